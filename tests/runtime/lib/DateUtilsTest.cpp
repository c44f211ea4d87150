// The date utilities module under pinned zones: building ticks from fields and its failure path,
// periods forwards, backwards and across daylight-saving changes, names and eras.
#include <limits>
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

constexpr int64_t kJan31NewYorkMidnight = 1706677200000;  // 2024-01-31 00:00:00 EST
constexpr int64_t kJan31Utc = 1706659200000;              // 2024-01-31 00:00:00 UTC
constexpr int64_t kMarch1Utc123015 = 1709296215000;       // 2024-03-01 12:30:15 UTC
constexpr const char* kNewYork = "America/New_York";
constexpr const char* kBerlin = "Europe/Berlin";
constexpr const char* kKolkata = "Asia/Kolkata";

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
        EXPECT_EQ(testing::raised(call).reason(), u"Cannot parse: invalid date");
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
    expectInvalidValue([] { utils()->_setdate(2024, -1, 1); }, "AD2024-0101 000000");
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
constexpr bool kInDays = true;

struct Span {
    const char* zone;
    int64_t start;
    int64_t end;
    bool inDays;
    std::vector<int32_t> parts;  // years, months, days, hours, minutes, seconds
};

void PrintTo(const Span& row, std::ostream* out) {
    *out << row.zone << ' ' << row.start << " to " << row.end << (row.inDays ? " in days" : "");
}

class PeriodBetween : public DateUtilsTest, public ::testing::WithParamInterface<Span> {};

TEST_P(PeriodBetween, CountsCalendarUnitsFromTheStart) {
    const Span& row = GetParam();
    useZone(row.zone);
    const auto p = row.inDays ? utils()->_periodbetweenindays(row.start, row.end)
                              : utils()->_periodbetween(row.start, row.end);
    EXPECT_EQ((std::vector{p->Years, p->Months, p->Days, p->Hours, p->Minutes, p->Seconds}),
              row.parts);
    EXPECT_EQ(utils()->_addperiod(row.start, p), row.end);
}

INSTANTIATE_TEST_SUITE_P(
    Periods, PeriodBetween,
    ::testing::Values(
        Span{"UTC", kJan31Utc, kMarch1Utc123015, false, {0, 1, 1, 12, 30, 15}},
        Span{"UTC", kMarch1Utc123015, kJan31Utc, false, {0, -1, -1, -12, -30, -15}},
        Span{"UTC", kJan31Utc, kJan31Utc, false, {0, 0, 0, 0, 0, 0}},
        Span{"UTC", kJan31Utc, kMarch1Utc123015, kInDays, {0, 0, 30, 12, 30, 15}},
        Span{"UTC", kMarch1Utc123015, kJan31Utc, kInDays, {0, 0, -30, -12, -30, -15}},
        Span{"UTC", 0, TicksPerDay * 36525, kInDays, {0, 0, 36525, 0, 0, 0}},
        Span{"UTC", 1709164800000, 1740700800000, false, {1, 0, 0, 0, 0, 0}},  // 29 Feb
        Span{kNewYork, kMarch1NewYork, kMarch11NewYork, false, {0, 0, 10, 0, 0, 0}},
        Span{kNewYork, kMarch11NewYork, kMarch1NewYork, kInDays, {0, 0, -10, 0, 0, 0}},
        Span{kKolkata, 1772821800000, 1772876045000, false, {0, 0, 0, 15, 4, 5}}));

// Between moments millions of years apart the day count needs more than 32 bits, and an end
// beyond the calendar made the rest overflow: an end before the start gave +2^31 hours. A span
// that fits is still answered exactly.
TEST_F(DateUtilsTest, PeriodsWhosePartsDoNotFitRaise) {
    constexpr int64_t kFar = 150000000000000000;  // about 4.75 million years after 1970
    constexpr int64_t kEarliest = -184303902528000000;
    const std::pair<int64_t, int64_t> spans[] = {
        {kFar, std::numeric_limits<int64_t>::min()},
        {kFar, -kFar},
        {kEarliest, kFar},
        {kEarliest, std::numeric_limits<int64_t>::max()},
    };
    for (const auto& [start, end] : spans) {
        EXPECT_EQ(testing::raised([&] { utils()->_periodbetweenindays(start, end); }).reason(),
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
    EXPECT_EQ(utils()->_numberofdaysinmonth(2, 2023), 28);
    EXPECT_EQ(utils()->_numberofdaysinmonth(3, 2026), 31);  // 31 days minus the lost hour
    useZone(kKolkata);
    // 18:00 and 18:40 UTC fall on two local days (23:30 and 00:10).
    EXPECT_TRUE(utils()->_issameday(kJan31Utc, kJan31Utc + 18 * TicksPerHour));
    EXPECT_FALSE(
        utils()->_issameday(kJan31Utc + 18 * TicksPerHour, kJan31Utc + 1120 * TicksPerMinute));
}

TEST_F(DateUtilsTest, NamesAreComputedOnceFromTheCurrentWeekAndYear) {
    const auto texts = [](const std::shared_ptr<RtList>& list) {
        std::vector<String> out;
        for (const Value& item : list->sequence().items) out.push_back(item.description());
        return out;
    };
    EXPECT_EQ(utils()->_getdayofweekname(0), u"Thursday");
    EXPECT_EQ(utils()->_getmonthname(0), u"January");
    const auto days = utils()->_getdaysnames();
    EXPECT_EQ(texts(days), (std::vector<String>{u"Sunday", u"Monday", u"Tuesday", u"Wednesday",
                                                u"Thursday", u"Friday", u"Saturday"}));
    EXPECT_EQ(utils()->_getdaysnames(), days);
    clock.advanceBy(std::chrono::hours(24 * 47));  // 31 December: no month may be skipped
    EXPECT_EQ(
        texts(utils()->_getmonthsnames()),
        (std::vector<String>{u"January", u"February", u"March", u"April", u"May", u"June", u"July",
                             u"August", u"September", u"October", u"November", u"December"}));
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
