// The date-time service under pinned zones: New York (daylight saving, west of GMT), Berlin
// (daylight saving, east) and Kolkata (half-hour offset, east).
#include <cmath>
#include <limits>
#include <tuple>

#include <gtest/gtest.h>

#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"
#include "tests/runtime/lib/DateTestSupport.h"

namespace zemtra {
namespace {

using testing::DateTest;
using testing::reasonOf;

// Reference moments (UTC ticks) computed outside the program.
constexpr int64_t kMarch7NewYork150405 = 1772913845000;   // 2026-03-07 15:04:05 EST
constexpr int64_t kMarch7Kolkata150405 = 1772876045000;   // 2026-03-07 15:04:05 IST
constexpr int64_t kJan31NewYorkMidnight = 1706677200000;  // 2024-01-31 00:00:00 EST

TEST_F(DateTest, NowIsTheProgramClockAndWholeDaysDivideIt) {
    EXPECT_EQ(dates()->TicksPerDay(), 86400000);
    EXPECT_EQ(dates()->Now(), kStartTicks);
    clock.advanceBy(std::chrono::milliseconds(1500));
    EXPECT_EQ(dates()->Now(), kStartTicks + 1500);
    EXPECT_EQ(dates()->Now() / dates()->TicksPerDay(), 19675);  // 2023-11-14 UTC
}

TEST_F(DateTest, DefaultPatternsFormatLocalTime) {
    useZone("America/New_York");
    EXPECT_EQ(dates()->DateFormat(), u"MM/dd/yyyy");
    EXPECT_EQ(dates()->TimeFormat(), u"HH:mm:ss");
    EXPECT_EQ(dates()->Date(kMarch7NewYork150405), u"03/07/2026");
    EXPECT_EQ(dates()->Time(kMarch7NewYork150405), u"15:04:05");
    EXPECT_EQ(dates()->Date(0), u"12/31/1969");
    EXPECT_EQ(dates()->Time(0), u"19:00:00");

    useZone("Asia/Kolkata");
    EXPECT_EQ(dates()->Date(kMarch7Kolkata150405), u"03/07/2026");
    EXPECT_EQ(dates()->Time(kMarch7Kolkata150405 + 999), u"15:04:05");
    EXPECT_EQ(dates()->Time(0), u"05:30:00");
}

TEST_F(DateTest, MomentsBefore1970RoundDownNotTowardZero) {
    EXPECT_EQ(dates()->Date(-1), u"12/31/1969");
    EXPECT_EQ(dates()->Time(-1), u"23:59:59");
    EXPECT_EQ(dates()->GetSecond(-1), 59);
}

TEST_F(DateTest, DateParseIsStrictAndGivesLocalMidnight) {
    useZone("America/New_York");
    EXPECT_EQ(dates()->DateParse(u"01/31/2024"), kJan31NewYorkMidnight);
    for (const String text :
         {u"", u"2026-03-07", u"3/7/2026", u"02/30/2024", u"13/01/2024", u"03/07/2026x"}) {
        SCOPED_TRACE(toUtf8(text));
        try {
            dates()->DateParse(text);
            ADD_FAILURE() << "parsed";
        } catch (const RtException& error) {
            EXPECT_EQ(error.name(), u"");
            EXPECT_EQ(error.reason(), u"Error parsing: " + text);
        }
    }
}

TEST_F(DateTest, PatternChangesApplyToFormattingAndParsing) {
    dates()->setDateFormat(u"yyyy-MM-dd");
    dates()->setTimeFormat(u"HH.mm");
    EXPECT_EQ(dates()->Date(kMarch7NewYork150405), u"2026-03-07");
    EXPECT_EQ(dates()->Time(kMarch7NewYork150405), u"20.04");
    EXPECT_EQ(dates()->DateParse(u"2026-03-07"), 1772841600000);
    EXPECT_EQ(reasonOf([&] { dates()->DateParse(u"03/07/2026"); }), u"Error parsing: 03/07/2026");
    EXPECT_EQ(dates()->DateTimeParse(u"2026-03-07", u"20.04"), kMarch7NewYork150405 - 5000);
}

struct LocalTimeRow {
    const char* zone;
    const char16_t* date;
    const char16_t* time;
    int64_t expected;
    const char* what;
};

void PrintTo(const LocalTimeRow& row, std::ostream* out) {
    *out << row.zone << ' ' << row.what;
}

class DateTimeParseReadsLocalTime : public DateTest,
                                    public ::testing::WithParamInterface<LocalTimeRow> {};

TEST_P(DateTimeParseReadsLocalTime, InTheServiceZone) {
    const LocalTimeRow& row = GetParam();
    useZone(row.zone);
    EXPECT_EQ(dates()->DateTimeParse(row.date, row.time), row.expected);
}

// The rows at 03:30 and 03:00 (New York) and 01:30 (Berlin) land on the wrong side of the change
// after the first correction and need the second one.
INSTANTIATE_TEST_SUITE_P(
    Zones, DateTimeParseReadsLocalTime,
    ::testing::Values(LocalTimeRow{"America/New_York", u"03/07/2026", u"15:04:05",
                                   kMarch7NewYork150405, "standard time"},
                      LocalTimeRow{"America/New_York", u"03/08/2026", u"15:04:05", 1772996645000,
                                   "afternoon of spring day"},
                      LocalTimeRow{"America/New_York", u"03/08/2026", u"01:30:00", 1772951400000,
                                   "before the spring change"},
                      LocalTimeRow{"America/New_York", u"03/08/2026", u"03:30:00", 1772955000000,
                                   "after the spring change"},
                      LocalTimeRow{"America/New_York", u"11/01/2026", u"00:00:00", 1793505600000,
                                   "midnight of autumn day"},
                      LocalTimeRow{"America/New_York", u"11/01/2026", u"01:30:00", 1793511000000,
                                   "repeated hour: first"},
                      LocalTimeRow{"America/New_York", u"11/01/2026", u"03:00:00", 1793520000000,
                                   "after the autumn change"},
                      LocalTimeRow{"Europe/Berlin", u"03/29/2026", u"01:30:00", 1774744200000,
                                   "before the spring change"},
                      LocalTimeRow{"Europe/Berlin", u"03/29/2026", u"03:30:00", 1774747800000,
                                   "after the spring change"},
                      LocalTimeRow{"Europe/Berlin", u"10/25/2026", u"01:30:00", 1792884600000,
                                   "before the autumn change"},
                      LocalTimeRow{"Europe/Berlin", u"10/25/2026", u"02:30:00", 1792891800000,
                                   "repeated hour: second"},
                      LocalTimeRow{"Asia/Kolkata", u"03/07/2026", u"15:04:05", kMarch7Kolkata150405,
                                   "half-hour offset"},
                      LocalTimeRow{"Asia/Kolkata", u"03/07/2026", u"00:00:00", 1772821800000,
                                   "midnight, previous UTC day"},
                      LocalTimeRow{"Asia/Kolkata", u"01/01/1900", u"12:00:00", -2208964870000,
                                   "offset in seconds"},
                      LocalTimeRow{"UTC", u"01/01/1970", u"00:00:00", 0, "epoch"}));

TEST_F(DateTest, DateTimeParseFailuresRestoreTheLocalZone) {
    useZone("America/New_York");
    EXPECT_EQ(reasonOf([&] { dates()->DateTimeParse(u"2026-03-07", u"15:04:05"); }),
              u"Error parsing: 2026-03-07");
    EXPECT_EQ(dates()->Time(0), u"19:00:00");
    EXPECT_EQ(reasonOf([&] { dates()->DateTimeParse(u"03/07/2026", u"3 pm"); }),
              u"Error parsing date string.");
    EXPECT_EQ(reasonOf([&] { dates()->DateTimeParse(u"03/07/2026", u"25:00:00"); }),
              u"Error parsing date string.");
    EXPECT_EQ(dates()->Date(0), u"12/31/1969");
    EXPECT_EQ(dates()->Time(0), u"19:00:00");
    EXPECT_EQ(dates()->DateParse(u"01/31/2024"), kJan31NewYorkMidnight);
}

TEST_F(DateTest, OffsetsFollowDaylightSavingAndHalfHours) {
    useZone("America/New_York");
    EXPECT_DOUBLE_EQ(dates()->GetTimeZoneOffsetAt(kMarch7NewYork150405), -5.0);
    EXPECT_DOUBLE_EQ(dates()->GetTimeZoneOffsetAt(1772996645000), -4.0);
    EXPECT_DOUBLE_EQ(dates()->TimeZoneOffset(), -5.0);  // the virtual clock stands in November 2023

    useZone("Asia/Kolkata");
    EXPECT_DOUBLE_EQ(dates()->TimeZoneOffset(), 5.5);
    EXPECT_DOUBLE_EQ(dates()->GetTimeZoneOffsetAt(-2500000000000),
                     19270.0 / 3600.0);  // 1890: +05:21:10
}

TEST_F(DateTest, SetTimeZoneFixesTheOffsetForEverything) {
    useZone("America/New_York");
    dates()->SetTimeZone(5.5);
    EXPECT_DOUBLE_EQ(dates()->TimeZoneOffset(), 5.5);
    EXPECT_DOUBLE_EQ(dates()->GetTimeZoneOffsetAt(1772996645000),
                     5.5);  // no daylight saving any more
    EXPECT_DOUBLE_EQ(dates()->GetTimeZoneOffsetAt(1784000000000), 5.5);
    EXPECT_EQ(dates()->Time(0), u"05:30:00");
    EXPECT_EQ(dates()->GetHour(0), 5);
    EXPECT_EQ(dates()->DateTimeParse(u"03/07/2026", u"15:04:05"), kMarch7Kolkata150405);

    dates()->SetTimeZone(-3.99999);  // truncated to whole seconds toward zero: -3:59:59
    EXPECT_DOUBLE_EQ(dates()->TimeZoneOffset(), -14399.0 / 3600.0);
    EXPECT_EQ(dates()->Time(0), u"20:00:01");
}

TEST_F(DateTest, SetTimeZoneRejectsOffsetsNoZoneHas) {
    dates()->SetTimeZone(-12);
    EXPECT_EQ(reasonOf([&] { dates()->SetTimeZone(18.5); }), u"Invalid time zone offset: 18.5");
    EXPECT_EQ(reasonOf([&] { dates()->SetTimeZone(-19); }), u"Invalid time zone offset: -19");
    EXPECT_FALSE(reasonOf([&] { dates()->SetTimeZone(1e12); }).empty());
    EXPECT_FALSE(
        reasonOf([&] { dates()->SetTimeZone(std::numeric_limits<double>::quiet_NaN()); }).empty());
    EXPECT_DOUBLE_EQ(dates()->TimeZoneOffset(), -12.0);
}

TEST_F(DateTest, CalendarFieldsAreLocal) {
    EXPECT_EQ(dates()->GetDayOfWeek(0), 5);  // Thursday
    useZone("Asia/Kolkata");
    EXPECT_EQ(dates()->GetDayOfWeek(0), 5);
    const int64_t t = kMarch7Kolkata150405;
    EXPECT_EQ(dates()->GetYear(t), 2026);
    EXPECT_EQ(dates()->GetMonth(t), 3);
    EXPECT_EQ(dates()->GetDayOfMonth(t), 7);
    EXPECT_EQ(dates()->GetDayOfYear(t), 66);
    EXPECT_EQ(dates()->GetDayOfWeek(t), 7);  // Saturday
    EXPECT_EQ(dates()->GetHour(t), 15);
    EXPECT_EQ(dates()->GetMinute(t), 4);
    EXPECT_EQ(dates()->GetSecond(t), 5);
    useZone("America/New_York");
    EXPECT_EQ(dates()->GetDayOfWeek(0), 4);  // still Wednesday evening
    EXPECT_EQ(dates()->GetDayOfYear(dates()->DateParse(u"12/31/2024")), 366);
}

TEST_F(DateTest, AddIsCalendarArithmetic) {
    useZone("America/New_York");
    auto& service = *dates();
    const int64_t jan31 = kJan31NewYorkMidnight;
    EXPECT_EQ(service.Date(service.Add(jan31, 0, 1, 0)), u"02/29/2024");
    EXPECT_EQ(service.Date(service.Add(service.DateParse(u"02/29/2024"), 1, 0, 0)), u"02/28/2025");
    EXPECT_EQ(service.Date(service.Add(jan31, 0, 1, 1)), u"03/01/2024");  // months before days
    EXPECT_EQ(service.Date(service.Add(jan31, -1, -2, -31)), u"10/30/2022");
    EXPECT_EQ(service.Add(jan31, 0, 0, 0), jan31);

    // Days keep the local time of day: the spring day has 23 hours, the autumn day 25.
    const int64_t springEve = service.DateTimeParse(u"03/07/2026", u"15:04:05");
    EXPECT_EQ(service.Add(springEve, 0, 0, 1) - springEve, 23 * TicksPerHour);
    const int64_t autumnEve = service.DateTimeParse(u"10/31/2026", u"12:00:00");
    EXPECT_EQ(service.Add(autumnEve, 0, 0, 1) - autumnEve, 25 * TicksPerHour);
    EXPECT_EQ(service.Add(kMarch7NewYork150405 + 123, 0, 0, 1) % 1000, 123);  // milliseconds kept
}

TEST_F(DateTest, OperationsAreReachableByName) {
    useZone("Asia/Kolkata");
    const Value service(dates());
    const Value parsed =
        RtCore::runDynamicMethod(service, u"DateTimeParse::", true,
                                 std::vector<Value>{Value(u"03/07/2026"), Value(u"15:04:05")});
    EXPECT_EQ(parsed.number()->tag(), 'q');
    EXPECT_EQ(parsed.number()->toLong(), kMarch7Kolkata150405);
    const Value added = RtCore::runDynamicMethod(
        service, u"Add::::", true,
        std::vector<Value>{Value::ofLong(kMarch7Kolkata150405), Value::ofInt(0), Value::ofInt(0),
                           Value::ofInt(1)});
    EXPECT_EQ(
        RtCore::runDynamicMethod(service, u"Date:", true, std::vector<Value>{added}).description(),
        u"03/08/2026");
    EXPECT_DOUBLE_EQ(
        RtCore::runDynamicMethod(service, u"TimeZoneOffset", true).number()->toDouble(), 5.5);
}

TEST_F(DateTest, DeviceShortStylesArePatternsOfTheLocale) {
    EXPECT_EQ(dates()->DeviceDefaultDateFormat(), u"M/d/yy");
    EXPECT_FALSE(dates()->DeviceDefaultTimeFormat().empty());
}

TEST_F(DateTest, AbsentMomentsRaise) {
    EXPECT_EQ(reasonOf([] { RtDateTime::NSDateToTicks(std::nullopt); }),
              u"Error parsing date string.");
    EXPECT_EQ(reasonOf([] { RtDateTime::NSDateToTicks(1e300); }), u"Error parsing date string.");
    EXPECT_EQ(RtDateTime::NSDateToTicks(-1999.9), -1999);
}

// Past the calendar's range ICU would pin or wrap around silently (2^31 years on gave a year near
// 4.5 million, minus 3e8 years a positive one).
TEST_F(DateTest, MomentsBeyondTheCalendarRaiseInsteadOfWrapping) {
    constexpr int32_t kMaxInt = std::numeric_limits<int32_t>::max();
    for (const auto& [years, months, days] :
         {std::tuple{kMaxInt, 0, 0}, std::tuple{-300000000, 0, 0}, std::tuple{0, kMaxInt, 0},
          std::tuple{0, 0, kMaxInt}}) {
        EXPECT_EQ(reasonOf([&] { dates()->Add(0, years, months, days); }),
                  u"Error parsing date string.");
    }
    EXPECT_EQ(dates()->GetYear(dates()->Add(0, 4000000, 0, 0)), 4001970);
    const int64_t farAway = std::numeric_limits<int64_t>::max();
    EXPECT_EQ(reasonOf([&] { dates()->Date(farAway); }), u"Error parsing date string.");
    EXPECT_EQ(reasonOf([&] { dates()->GetYear(-farAway); }), u"Error parsing date string.");
}

}  // namespace
}  // namespace zemtra
