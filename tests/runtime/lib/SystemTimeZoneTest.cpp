// Local times of the date-time service against the C library, for every zone of the system's
// time-zone database and for POSIX rule strings: formatted text and calendar fields around each
// change of offset, reading the text back, and the first instant of days whose midnight a change
// skips.
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/core/RtException.h"
#include "runtime/lib/SystemTimeZone.h"
#include "tests/runtime/lib/DateTestSupport.h"

namespace zemtra {
namespace {

// Rule strings the C library reads without a file: half hours, southern summers, rules with
// negative and odd change times, Julian days, a zone that is always in daylight time.
const std::vector<std::string> kRuleStrings{
    "CET-1CEST,M3.5.0,M10.5.0/3",
    "IST-5:30",
    "EST5EDT",
    "NZST-12NZDT,M9.5.0,M4.1.0/3",
    "<-03>3<-02>,M3.5.0/-2,M10.5.0/-1",
    "<+1345>-13:45<+1445>,M9.5.0/2:45,M4.1.0/3:45",
    "AAA-1:23:45",
    "XXX3YYY,J60/2,J300/2",
    "EST5EDT,0/0,J365/25",
    "UTC0",
};

std::vector<std::string> databaseZones() {
    std::vector<std::string> zones;
    std::ifstream table("/usr/share/zoneinfo/zone.tab");
    for (std::string line; std::getline(table, line);) {
        if (line.empty() || line.front() == '#') continue;
        std::istringstream fields(line);
        std::string country, coordinates, zone;
        fields >> country >> coordinates >> zone;
        zones.push_back(zone);
    }
    return zones;
}

struct LocalTime {
    std::string text;  // "MM/dd/yyyy HH:mm:ss"
    std::tm fields{};
};

LocalTime localTime(int64_t seconds) {
    const auto moment = static_cast<time_t>(seconds);
    LocalTime local;
    localtime_r(&moment, &local.fields);
    char text[64];
    std::strftime(text, sizeof text, "%m/%d/%Y %H:%M:%S", &local.fields);
    local.text = text;
    return local;
}

long offsetAt(int64_t seconds) {
    return localTime(seconds).fields.tm_gmtoff;
}

// The moments (seconds) at which the offset changes between `from` and `to`, found by weekly
// steps and bisection.
std::vector<int64_t> offsetChanges(int64_t from, int64_t to) {
    std::vector<int64_t> changes;
    constexpr int64_t kWeek = 7 * 86400;
    long next = offsetAt(from);
    for (int64_t t = from; t < to; t += kWeek) {
        const long current = next;
        next = offsetAt(t + kWeek);
        if (current == next) continue;
        int64_t low = t;
        int64_t high = t + kWeek;
        while (high - low > 1) {
            const int64_t middle = low + (high - low) / 2;
            (offsetAt(middle) == offsetAt(low) ? low : high) = middle;
        }
        changes.push_back(high);
    }
    return changes;
}

// Whether another moment shows the same wall time (a change repeats it).
bool isRepeated(int64_t seconds) {
    const long offset = offsetAt(seconds);
    const int64_t wall = seconds + offset;
    for (const long other : {offsetAt(seconds - 86400), offsetAt(seconds + 86400)}) {
        if (other != offset && offsetAt(wall - other) == other) return true;
    }
    return false;
}

class SystemTimeZoneTest : public testing::DateTest {
  protected:
    // Checks one moment; answers false after the first mismatch so a broken zone reports once.
    bool matchesCLibrary(const std::string& zone, int64_t seconds, bool withFields) {
        const LocalTime expected = localTime(seconds);
        const int64_t ticks = seconds * 1000;
        const std::string shown = toUtf8(dates()->Date(ticks) + u" " + dates()->Time(ticks));
        EXPECT_EQ(shown, expected.text) << zone << " at " << seconds;
        if (shown != expected.text) return false;
        if (withFields) {
            const std::tm& tm = expected.fields;
            const auto& d = *dates();
            const std::vector<int> fields{d.GetYear(ticks),       d.GetMonth(ticks),
                                          d.GetDayOfMonth(ticks), d.GetDayOfYear(ticks),
                                          d.GetDayOfWeek(ticks),  d.GetHour(ticks),
                                          d.GetMinute(ticks),     d.GetSecond(ticks)};
            const std::vector<int> libc{tm.tm_year + 1900, tm.tm_mon + 1,  tm.tm_mday,
                                        tm.tm_yday + 1,    tm.tm_wday + 1, tm.tm_hour,
                                        tm.tm_min,         tm.tm_sec};
            EXPECT_EQ(fields, libc) << zone << " at " << seconds;
            if (fields != libc) return false;
        }
        if (!isRepeated(seconds)) {
            const String text = fromUtf8(expected.text);
            const int64_t parsed = dates()->DateTimeParse(text.substr(0, 10), text.substr(11));
            EXPECT_EQ(parsed, ticks) << zone << " reading " << expected.text;
            if (parsed != ticks) return false;
        }
        // The date alone reads as the first instant of that day, even where midnight is skipped.
        const int64_t dayStart = dates()->DateParse(fromUtf8(expected.text.substr(0, 10)));
        const bool firstInstant =
            dayStart % 1000 == 0 &&
            localTime(dayStart / 1000).text.substr(0, 10) == expected.text.substr(0, 10) &&
            localTime(dayStart / 1000 - 1).text.substr(0, 10) != expected.text.substr(0, 10);
        EXPECT_TRUE(firstInstant) << zone << " day of " << expected.text << " read as "
                                  << localTime(dayStart / 1000).text;
        return firstInstant;
    }

    void expectZoneMatches(const std::string& zone) {
        useZone(zone.c_str());
        constexpr int64_t k2015 = 1420070400;
        constexpr int64_t k2035 = 2051222400;
        for (const int64_t change : offsetChanges(k2015, k2035)) {
            for (const int64_t seconds : {change - 1, change, change + 1799}) {
                if (!matchesCLibrary(zone, seconds, false)) return;
            }
        }
        // Ordinary moments from 1901 to 2100, fields included.
        for (int64_t seconds = -2200000000; seconds < 4100000000; seconds += 395061728) {
            if (!matchesCLibrary(zone, seconds, true)) return;
        }
    }
};

TEST_F(SystemTimeZoneTest, EveryDatabaseZoneShowsWhatTheCLibraryShows) {
    const std::vector<std::string> zones = databaseZones();
    if (zones.empty()) GTEST_SKIP() << "no /usr/share/zoneinfo/zone.tab";
    for (const std::string& zone : zones) expectZoneMatches(zone);
}

TEST_F(SystemTimeZoneTest, RuleStringsShowWhatTheCLibraryShows) {
    for (const std::string& zone : kRuleStrings) expectZoneMatches(zone);
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

TEST_F(SystemTimeZoneTest, SkippedMidnightsReadAsTheFirstInstantOfTheDay) {
    useZone("America/Havana");
    EXPECT_EQ(dates()->DateParse(u"03/08/2026"), 1772946000000);  // 01:00 CDT = 05:00 UTC
    EXPECT_EQ(dates()->Time(dates()->DateParse(u"03/08/2026")), u"01:00:00");
    useZone("America/Santiago");
    EXPECT_EQ(dates()->Time(dates()->DateParse(u"09/06/2026")), u"01:00:00");
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
