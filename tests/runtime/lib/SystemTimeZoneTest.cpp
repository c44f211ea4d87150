// Local times of the date-time service against the C library for each form of zone rule, the
// zone rules' source, times of day a change skips, and daylight time as ICU asks for it.
#include <gtest/gtest.h>

#include "runtime/core/RtException.h"
#include "runtime/lib/SystemTimeZone.h"
#include "tests/runtime/lib/ZoneComparison.h"

namespace zemtra {
namespace {

using SystemTimeZoneTest = testing::ZoneComparisonTest;

// Database zones with and without changes, north and south, with offsets of half and three
// quarter hours, a daylight shift of half an hour, negative daylight time, skipped midnights and
// a skipped day; and rule strings the C library reads without a file: southern summers, negative
// and odd change times, Julian days, a zone that is always in daylight time. bench/zone_sweep
// runs the comparison over every zone of the database.
TEST_F(SystemTimeZoneTest, EachFormOfZoneRuleShowsWhatTheCLibraryShows) {
    for (const char* zone :
         {"Europe/Berlin", "America/New_York", "America/Santiago", "America/Havana", "Asia/Kolkata",
          "Asia/Kathmandu", "Australia/Lord_Howe", "Africa/Casablanca", "Pacific/Apia", "UTC",
          "CET-1CEST,M3.5.0,M10.5.0/3", "IST-5:30", "EST5EDT", "NZST-12NZDT,M9.5.0,M4.1.0/3",
          "<-03>3<-02>,M3.5.0/-2,M10.5.0/-1", "<+1345>-13:45<+1445>,M9.5.0/2:45,M4.1.0/3:45",
          "AAA-1:23:45", "XXX3YYY,J60/2,J300/2", "EST5EDT,0/0,J365/25"}) {
        expectZoneMatches(zone);
    }
}

// Mexico ended daylight saving time in 2022; zone data older than that still moves the clock.
TEST_F(SystemTimeZoneTest, ZoneRulesComeFromTheSystemDatabase) {
    useZone("America/Mexico_City");
    constexpr int64_t kJuly1NoonUtc = 1782907200000;  // 2026-07-01 12:00:00 UTC
    EXPECT_EQ(dates()->Time(kJuly1NoonUtc), u"06:00:00");
    EXPECT_DOUBLE_EQ(dates()->GetTimeZoneOffsetAt(kJuly1NoonUtc), -6.0);
    useZone("IST-5:30");
    EXPECT_DOUBLE_EQ(dates()->GetTimeZoneOffsetAt(kJuly1NoonUtc), 5.5);
}

// (That a date alone reads as the first instant of its day, where a change skips its midnight
// too, is what the comparison above checks for each zone.)
TEST_F(SystemTimeZoneTest, SkippedTimesReadAsTheMomentAfterTheChange) {
    useZone("America/Santiago");
    // A text that is not a date still fails, skipped midnight or not.
    EXPECT_THROW(dates()->DateParse(u"02/30/2026"), RtException);
    // A skipped time of day reads as the moment after the change it would be before it.
    dates()->setDateFormat(u"MM/dd/yyyy HH:mm");
    EXPECT_EQ(dates()->Time(dates()->DateParse(u"09/06/2026 00:30")), u"01:30:00");
}

TEST_F(SystemTimeZoneTest, DaylightTimeIsToldApartFromStandardTime) {
    useZone("Europe/Berlin");
    const SystemTimeZone zone;
    UErrorCode status = U_ZERO_ERROR;
    int32_t rawOffset = 0;
    int32_t dstOffset = 0;
    zone.getOffset(1782907200000.0, false, rawOffset, dstOffset, status);  // July 2026
    EXPECT_EQ(rawOffset, 3600000);
    EXPECT_EQ(dstOffset, 3600000);
    EXPECT_FALSE(zone.inDaylightTime(1767268800000.0, status));  // January 2026
    EXPECT_TRUE(zone.useDaylightTime());
    icu::UnicodeString id;
    EXPECT_TRUE(zone.getID(id) == u"Europe/Berlin");
    // A repeated wall time (02:30 on 25 October 2026) reads as the later, standard-time moment.
    zone.getOffset(1792895400000.0, true, rawOffset, dstOffset, status);
    EXPECT_EQ(rawOffset + dstOffset, 3600000);
    EXPECT_TRUE(U_SUCCESS(status));
}

}  // namespace
}  // namespace zemtra
