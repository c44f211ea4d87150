// The date-time service under pinned zones: New York (daylight saving, west of GMT), Berlin
// (daylight saving, east) and Kolkata (half-hour offset, east).
#include <cmath>
#include <limits>
#include <tuple>

#include <gtest/gtest.h>

#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"
#include "tests/runtime/Raises.h"
#include "tests/runtime/lib/DateTestSupport.h"

namespace zemtra {
namespace {

using testing::DateTest;
using testing::raised;

// Reference moments (UTC ticks) computed outside the program.
constexpr int64_t kMarch7NewYork150405 = 1772913845000;   // 2026-03-07 15:04:05 EST
constexpr int64_t kMarch7Kolkata150405 = 1772876045000;   // 2026-03-07 15:04:05 IST
constexpr int64_t kJan31NewYorkMidnight = 1706677200000;  // 2024-01-31 00:00:00 EST
constexpr const char16_t* kAbsent = u"Error parsing date string.";
constexpr const char* kNewYork = "America/New_York";
constexpr const char* kBerlin = "Europe/Berlin";
constexpr const char* kKolkata = "Asia/Kolkata";

TEST_F(DateTest, NowIsTheProgramClock) {
    clock.advanceBy(std::chrono::milliseconds(1500));
    EXPECT_EQ(dates()->Now(), kStartTicks + 1500);
    EXPECT_EQ(dates()->Now() / dates()->TicksPerDay(), 19675);  // 2023-11-14 UTC
}

// Local text and calendar fields around the changes of many zones are compared with the C
// library in the time-zone tests; these are the cases that comparison does not reach.
TEST_F(DateTest, FormatsLocalTimeFlooringMilliseconds) {
    EXPECT_EQ(dates()->Time(-1), u"23:59:59");  // not rounded toward 1970
    useZone(kKolkata);
    EXPECT_EQ(dates()->Time(kMarch7Kolkata150405 + 999), u"15:04:05");
    EXPECT_EQ(dates()->GetDayOfYear(dates()->DateParse(u"12/31/2024")), 366);
}

TEST_F(DateTest, DateParseIsStrictAndGivesLocalMidnight) {
    useZone(kNewYork);
    EXPECT_EQ(dates()->DateParse(u"01/31/2024"), kJan31NewYorkMidnight);
    for (const String text : {u"", u"2026-03-07", u"3/7/2026", u"02/30/2024", u"03/07/2026x"}) {
        EXPECT_EQ(raised([&] { dates()->DateParse(text); }).reason(), u"Error parsing: " + text);
    }
    dates()->setDateFormat(u"yyyy-MM-dd");
    EXPECT_EQ(dates()->DateParse(u"2024-01-31"), kJan31NewYorkMidnight);
    EXPECT_EQ(dates()->Date(kJan31NewYorkMidnight), u"2024-01-31");
}

// Days when daylight saving starts and ends: a repeated time reads as its first moment. At these
// times a first correction of the offset lands on the wrong side of the change.
TEST_F(DateTest, DateTimeParseReadsLocalTimeAroundTheChanges) {
    const std::tuple<const char*, const char16_t*, const char16_t*, int64_t> rows[] = {
        {kNewYork, u"03/08/2026", u"03:30:00", 1772955000000},
        {kNewYork, u"11/01/2026", u"01:30:00", 1793511000000},
        {kNewYork, u"11/01/2026", u"03:00:00", 1793520000000},
        {kBerlin, u"10/25/2026", u"01:30:00", 1792884600000}};
    for (const auto& [zone, date, time, expected] : rows) {
        useZone(zone);
        EXPECT_EQ(dates()->DateTimeParse(date, time), expected) << zone << ' ' << toUtf8(time);
    }
}

TEST_F(DateTest, DateTimeParseFailuresRestoreTheLocalZone) {
    useZone(kNewYork);
    EXPECT_EQ(raised([&] { dates()->DateTimeParse(u"2026-03-07", u"15:04:05"); }).reason(),
              u"Error parsing: 2026-03-07");
    EXPECT_EQ(dates()->Time(0), u"19:00:00");
    EXPECT_EQ(raised([&] { dates()->DateTimeParse(u"03/07/2026", u"25:00:00"); }).reason(),
              kAbsent);
    EXPECT_EQ(dates()->Time(0), u"19:00:00");
    EXPECT_EQ(dates()->DateParse(u"01/31/2024"), kJan31NewYorkMidnight);
}

TEST_F(DateTest, OffsetsFollowTheZoneUntilSetTimeZoneFixesThem) {
    useZone(kNewYork);
    EXPECT_DOUBLE_EQ(dates()->GetTimeZoneOffsetAt(kMarch7NewYork150405), -5.0);
    EXPECT_DOUBLE_EQ(dates()->GetTimeZoneOffsetAt(1772996645000), -4.0);  // 8 March, afternoon

    dates()->SetTimeZone(5.5);
    EXPECT_DOUBLE_EQ(dates()->TimeZoneOffset(), 5.5);
    EXPECT_DOUBLE_EQ(dates()->GetTimeZoneOffsetAt(1772996645000), 5.5);
    EXPECT_EQ(dates()->GetHour(0), 5);
    EXPECT_EQ(dates()->DateTimeParse(u"03/07/2026", u"15:04:05"), kMarch7Kolkata150405);

    dates()->SetTimeZone(-3.99999);  // whole seconds, truncated toward zero: -03:59:59
    EXPECT_EQ(dates()->Time(0), u"20:00:01");
    EXPECT_EQ(raised([&] { dates()->SetTimeZone(18.5); }).reason(),
              u"Invalid time zone offset: 18.5");
    EXPECT_FALSE(raised([&] { dates()->SetTimeZone(std::nan("")); }).reason().empty());
    EXPECT_EQ(dates()->Time(0), u"20:00:01");
}

TEST_F(DateTest, AddIsCalendarArithmetic) {
    useZone(kNewYork);
    auto& service = *dates();
    const int64_t jan31 = kJan31NewYorkMidnight;
    EXPECT_EQ(service.Date(service.Add(jan31, 0, 1, 0)), u"02/29/2024");
    EXPECT_EQ(service.Date(service.Add(service.Add(jan31, 0, 1, 0), 1, 0, 0)), u"02/28/2025");
    EXPECT_EQ(service.Date(service.Add(jan31, 0, 1, 1)), u"03/01/2024");  // months before days
    EXPECT_EQ(service.Date(service.Add(jan31, -1, -2, -31)), u"10/30/2022");
    // Days keep the local time of day: the spring day has 23 hours.
    EXPECT_EQ(service.Add(kMarch7NewYork150405 + 7, 0, 0, 1) - kMarch7NewYork150405,
              23 * TicksPerHour + 7);
}

// Past the calendar's range ICU pins or wraps around silently (2^31 years on gave a year near
// 4.5 million, minus 3e8 years a positive one).
TEST_F(DateTest, MomentsBeyondTheCalendarRaiseInsteadOfWrapping) {
    constexpr int32_t kMaxInt = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(raised([&] { dates()->Add(0, kMaxInt, 0, 0); }).reason(), kAbsent);
    EXPECT_EQ(raised([&] { dates()->Add(0, 0, 0, kMaxInt); }).reason(), kAbsent);
    EXPECT_EQ(dates()->GetYear(dates()->Add(0, 4000000, 0, 0)), 4001970);
    EXPECT_EQ(raised([&] { dates()->Date(std::numeric_limits<int64_t>::max()); }).reason(),
              kAbsent);
    EXPECT_EQ(raised([] { RtDateTime::NSDateToTicks(std::nullopt); }).reason(), kAbsent);
    // The parts are added one after the other: a step that leaves the range is refused even when
    // the next one would come back (ICU pinned it at the range's end and carried on from there).
    EXPECT_EQ(raised([&] {
                  dates()->Add(0, 0, 100000000, std::numeric_limits<int32_t>::min());
              }).reason(),
              kAbsent);
    EXPECT_EQ(raised([&] { dates()->Add(0, -2000000, -100000000, kMaxInt); }).reason(), kAbsent);
    EXPECT_EQ(dates()->Add(0, 3000000, -36000000, 0), 0);
}

}  // namespace
}  // namespace zemtra
