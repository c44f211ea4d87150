// The date-time service and the date utilities module under pinned zones: New York (daylight
// saving, west of GMT), Berlin (daylight saving, east) and Kolkata (half-hour offset, east).
#include <cmath>
#include <limits>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/core/Module.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"
#include "runtime/lib/RtList.h"
#include "runtime/lib/zm_dateutils.h"
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
constexpr int64_t kJan31Utc = 1706659200000;              // 2024-01-31 00:00:00 UTC
constexpr int64_t kMarch1Utc123015 = 1709296215000;       // 2024-03-01 12:30:15 UTC
constexpr const char16_t* kAbsent = u"Error parsing date string.";
constexpr const char* kNewYork = "America/New_York";
constexpr const char* kBerlin = "Europe/Berlin";
constexpr const char* kKolkata = "Asia/Kolkata";

// Local text and calendar fields around the changes of many zones are compared with the C
// library in the time-zone tests; these are the cases that comparison does not reach.
TEST_F(DateTest, FormatsLocalTimeFlooringMilliseconds) {
    EXPECT_EQ(dates()->Time(-1), u"23:59:59");  // not rounded toward 1970
    useZone(kKolkata);
    EXPECT_EQ(dates()->Time(kMarch7Kolkata150405 + 999), u"15:04:05");
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

// The date utilities module: ticks from fields and its failure path, periods, names and eras.
class DateUtilsTest : public testing::DateTest {
  protected:
    static std::shared_ptr<zm_dateutils> utils() {
        auto module = StaticModules::New<zm_dateutils>();
        if (!module->_dayslist) module->initializeModule();
        return module;
    }

    void expectPatternsRestored() {
        EXPECT_EQ(dates()->DateFormat(), u"MM/dd/yyyy");
        EXPECT_EQ(dates()->TimeFormat(), u"HH:mm:ss");
    }

    // The failure path: the log line, the conversion error, the recorded cause, the patterns back.
    template <class F>
    void expectInvalidValue(F&& call, const std::string& loggedText) {
        log.lines.clear();
        EXPECT_EQ(raised(call).reason(), u"Cannot parse: invalid date");
        EXPECT_EQ(log.lines, std::vector<std::string>{"Error: Invalid value: " + loggedText});
        ASSERT_NE(RtCore::shared()->lastError(), nullptr);
        expectPatternsRestored();
    }
};

TEST_F(DateUtilsTest, SetDateReadsLocalTimeIncludingDaylightSavingDays) {
    useZone(kNewYork);
    EXPECT_EQ(utils()->_setdate(2024, 1, 31), kJan31NewYorkMidnight);
    EXPECT_EQ(utils()->_setdateandtime(2026, 3, 8, 3, 30, 0), 1772955000000);
    // An explicit offset wins over the zone.
    EXPECT_EQ(utils()->_setdateandtime2(2024, 1, 31, 15, 30, 0, 5.5), 1706695200000);
    EXPECT_EQ(utils()->_setdateandtime2(2024, 1, 31, 15, 30, 0, -3.5),
              kJan31Utc + 19 * TicksPerHour);
    expectPatternsRestored();
}

TEST_F(DateUtilsTest, InvalidFieldsFailInsteadOfRollingOver) {
    useZone(kBerlin);
    expectInvalidValue([] { utils()->_setdate(2023, 2, 29); }, "AD20230229 000000");
    expectInvalidValue([] { utils()->_setdateandtime(2024, 1, 1, 24, 0, 0); }, "AD20240101 240000");
    expectInvalidValue([] { utils()->_setdateandtime2(2024, 2, 30, 15, 30, 0, 5.5); },
                       "AD20240230153000GMT+05:30");
    EXPECT_EQ(RtCore::shared()->lastError()->localizedDescription,
              u"Error parsing: AD20240230153000GMT+05:30");
    expectInvalidValue([] { utils()->_numberofdaysinmonth(13, 2024); }, "AD20241301 000000");
}

TEST_F(DateUtilsTest, YearsBeforeTheCommonEra) {
    EXPECT_EQ(dates()->GetYear(utils()->_setdate(-5, 6, 1)), 5);
    EXPECT_EQ(utils()->_getera(true), u"BC");
    EXPECT_EQ(utils()->_getera(false), u"AD");
    // Across the start of the era (there is no year 0).
    const auto period =
        utils()->_periodbetween(utils()->_setdate(-10, 1, 1), utils()->_setdate(10, 1, 1));
    EXPECT_EQ(period->description(),
              u"[IsInitialized=1, Years=19, Months=0\n, Days=0, Hours=0, Minutes=0\n, Seconds=0]");
    EXPECT_FALSE(utils()->_issameday(utils()->_setdate(-5, 6, 1), utils()->_setdate(5, 6, 1)));
}

// 1 March 00:00 to 11 March 00:00 2026 in New York is ten calendar days, one of 23 hours.
constexpr int64_t kMarch1NewYork = 1772341200000;
constexpr int64_t kMarch11NewYork = 1773201600000;

// Each row: zone, start, end, in days, then years, months, days, hours, minutes, seconds. Adding
// the period to the start must give the end again.
TEST_F(DateUtilsTest, PeriodsCountCalendarUnitsFromTheStart) {
    const std::tuple<const char*, int64_t, int64_t, bool, std::vector<int32_t>> rows[] = {
        {"UTC", kJan31Utc, kMarch1Utc123015, false, {0, 1, 1, 12, 30, 15}},
        {"UTC", kMarch1Utc123015, kJan31Utc, false, {0, -1, -1, -12, -30, -15}},
        {"UTC", kJan31Utc, kMarch1Utc123015, true, {0, 0, 30, 12, 30, 15}},
        {"UTC", 1709164800000, 1740700800000, false, {1, 0, 0, 0, 0, 0}},  // from 29 February
        {kNewYork, kMarch1NewYork, kMarch11NewYork, false, {0, 0, 10, 0, 0, 0}},
        {kNewYork, kMarch11NewYork, kMarch1NewYork, true, {0, 0, -10, 0, 0, 0}},
        {kKolkata, 1772821800000, 1772876045000, false, {0, 0, 0, 15, 4, 5}}};
    for (const auto& [zone, start, end, inDays, parts] : rows) {
        useZone(zone);
        const auto p = inDays ? utils()->_periodbetweenindays(start, end)
                              : utils()->_periodbetween(start, end);
        EXPECT_EQ((std::vector{p->Years, p->Months, p->Days, p->Hours, p->Minutes, p->Seconds}),
                  parts)
            << zone << ' ' << start << " to " << end;
        EXPECT_EQ(utils()->_addperiod(start, p), end);
    }
}

// Between moments millions of years apart the day count needs more than 32 bits, and an end
// beyond the calendar made the rest overflow: an end before the start gave +2^31 hours. A span
// that fits is still answered exactly.
TEST_F(DateUtilsTest, PeriodsWhosePartsDoNotFitRaise) {
    constexpr int64_t kFar = 150000000000000000;  // about 4.75 million years after 1970
    constexpr int64_t kEarliest = -184303902528000000;
    const std::pair<int64_t, int64_t> spans[] = {
        {kFar, std::numeric_limits<int64_t>::min()},
        {kFar, -kFar},
        {kEarliest, std::numeric_limits<int64_t>::max()},
    };
    for (const auto& [start, end] : spans) {
        EXPECT_EQ(raised([&] { utils()->_periodbetweenindays(start, end); }).reason(),
                  u"Error parsing date string.")
            << start << " to " << end;
    }
    const auto period = utils()->_periodbetweenindays(0, -kFar);
    EXPECT_EQ(period->Days, -1736111111);
    EXPECT_EQ(utils()->_addperiod(0, period), -kFar);
}

TEST_F(DateUtilsTest, AddPeriodTimePartsArePlainDurations) {
    useZone(kNewYork);
    EXPECT_EQ(utils()->_addperiod(kMarch1NewYork, nullptr), kMarch1NewYork);
    auto day = std::make_shared<_period>();
    day->Initialize();
    day->Hours = 24;
    // 24 hours from midnight over the spring change end at 01:00.
    EXPECT_EQ(dates()->GetHour(utils()->_addperiod(utils()->_setdate(2026, 3, 8), day)), 1);
}

TEST_F(DateUtilsTest, DaysInMonthAndSameDay) {
    useZone(kNewYork);
    EXPECT_EQ(utils()->_numberofdaysinmonth(2, 2024), 29);
    EXPECT_EQ(utils()->_numberofdaysinmonth(3, 2026), 31);  // 31 days minus the lost hour
    useZone(kKolkata);
    // 18:00 and 18:40 UTC fall on two local days (23:30 and 00:10).
    EXPECT_TRUE(utils()->_issameday(kJan31Utc, kJan31Utc + 18 * TicksPerHour));
    EXPECT_FALSE(
        utils()->_issameday(kJan31Utc + 18 * TicksPerHour, kJan31Utc + 1120 * TicksPerMinute));
}

TEST_F(DateUtilsTest, NamesAreComputedOnceFromTheCurrentWeekAndYear) {
    EXPECT_EQ(utils()->_getdayofweekname(0), u"Thursday");
    EXPECT_EQ(utils()->_getmonthname(0), u"January");
    const auto days = utils()->_getdaysnames();
    EXPECT_EQ(testing::texts(*days),
              (std::vector<String>{u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday",
                                   u"Friday", u"Saturday"}));
    EXPECT_EQ(utils()->_getdaysnames(), days);
    clock.advanceBy(std::chrono::hours(24 * 47));  // 31 December: no month may be skipped
    const auto months = testing::texts(*utils()->_getmonthsnames());
    ASSERT_EQ(months.size(), 12u);
    EXPECT_EQ(months[1], u"February");
    expectPatternsRestored();
}

TEST_F(DateUtilsTest, TextAndUnixTimeConversions) {
    dates()->setTimeFormat(u"HH:mm");
    EXPECT_EQ(utils()->_tickstostring(kMarch1Utc123015), u"03/01/2024 12:30");
    EXPECT_EQ(utils()->_tickstounixtime(-1999), -1);
    EXPECT_EQ(utils()->_unixtimetoticks(INT64_MAX / 10), INT64_MAX);
    EXPECT_EQ(utils()->_format(-5, 3), u"-005");
    EXPECT_EQ(utils()->_format(1234567, 2), u"1234567");
}

}  // namespace
}  // namespace zemtra
