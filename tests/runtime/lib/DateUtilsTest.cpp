// The date utilities module under pinned zones: building ticks from fields and its failure path,
// periods forwards, backwards and across daylight-saving changes, names and eras.
#include <gtest/gtest.h>

#include "runtime/core/Module.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"
#include "runtime/lib/RtList.h"
#include "runtime/lib/zm_dateutils.h"
#include "tests/runtime/lib/DateTestSupport.h"

namespace zemtra {
namespace {

constexpr int64_t kJan31NewYorkMidnight = 1706677200000;  // 2024-01-31 00:00:00 EST
constexpr int64_t kJan31Utc = 1706659200000;              // 2024-01-31 00:00:00 UTC
constexpr int64_t kMarch1Utc123015 = 1709296215000;       // 2024-03-01 12:30:15 UTC

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
        try {
            call();
            ADD_FAILURE() << "no error for " << loggedText;
        } catch (const RtException& error) {
            EXPECT_EQ(error.name(), u"");
            EXPECT_EQ(error.reason(), u"Cannot parse: invalid date");
        }
        EXPECT_EQ(log.lines, std::vector<std::string>{"Error: Invalid value: " + loggedText});
        ASSERT_NE(RtCore::shared()->lastError(), nullptr);
        EXPECT_FALSE(RtCore::shared()->lastError()->localizedDescription.empty());
        expectPatternsRestored();
    }
};

TEST_F(DateUtilsTest, SetDateReadsLocalTimeIncludingDaylightSavingDays) {
    useZone("America/New_York");
    EXPECT_EQ(utils()->_setdate(2024, 1, 31), kJan31NewYorkMidnight);
    EXPECT_EQ(utils()->_setdateandtime(2026, 3, 8, 3, 30, 0), 1772955000000);
    expectPatternsRestored();
    useZone("Asia/Kolkata");
    EXPECT_EQ(utils()->_setdateandtime(2026, 3, 7, 15, 4, 5), 1772876045000);
}

TEST_F(DateUtilsTest, InvalidFieldsFailInsteadOfRollingOver) {
    useZone("Europe/Berlin");
    expectInvalidValue([] { utils()->_setdate(2024, 2, 30); }, "AD20240230 000000");
    expectInvalidValue([] { utils()->_setdate(2023, 2, 29); }, "AD20230229 000000");
    expectInvalidValue([] { utils()->_setdate(2024, 13, 1); }, "AD20241301 000000");
    expectInvalidValue([] { utils()->_setdate(2024, -1, 1); }, "AD2024-0101 000000");
    expectInvalidValue([] { utils()->_setdateandtime(2024, 1, 1, 24, 0, 0); }, "AD20240101 240000");
    expectInvalidValue([] { utils()->_setdateandtime2(2024, 2, 30, 15, 30, 0, 5.5); },
                       "AD20240230153000GMT+05:30");
    EXPECT_EQ(RtCore::shared()->lastError()->localizedDescription,
              u"Error parsing: AD20240230153000GMT+05:30");
}

TEST_F(DateUtilsTest, SetDateAndTime2UsesTheGivenOffsetWhateverTheZone) {
    useZone("America/New_York");
    EXPECT_EQ(utils()->_setdateandtime2(2024, 1, 31, 15, 30, 0, 5.5), 1706695200000);
    EXPECT_EQ(utils()->_setdateandtime2(2024, 1, 31, 15, 30, 0, -7), 1706740200000);
    EXPECT_EQ(utils()->_setdateandtime2(2024, 1, 31, 15, 30, 0, -3.5),
              1706715000000 + 210 * TicksPerMinute);
    expectPatternsRestored();
}

TEST_F(DateUtilsTest, YearsBeforeTheCommonEra) {
    const int64_t fiveBc = utils()->_setdate(-5, 6, 1);
    EXPECT_EQ(dates()->GetYear(fiveBc), 5);
    EXPECT_EQ(utils()->_getera(true), u"BC");
    EXPECT_EQ(utils()->_getera(false), u"AD");
    // Across the start of the era (there is no year 0).
    const auto period =
        utils()->_periodbetween(utils()->_setdate(-10, 1, 1), utils()->_setdate(10, 1, 1));
    EXPECT_EQ(period->Years, 19);
    EXPECT_EQ(period->Months, 0);
    EXPECT_EQ(period->Hours, 0);
    EXPECT_FALSE(utils()->_issameday(utils()->_setdate(-5, 6, 1), utils()->_setdate(5, 6, 1)));
}

struct PeriodRow {
    const char* zone;
    int64_t start;
    int64_t end;
    bool daysOnly;
    int32_t parts[6];  // years, months, days, hours, minutes, seconds
    const char* what;
};

void PrintTo(const PeriodRow& row, std::ostream* out) {
    *out << row.zone << ' ' << row.what;
}

class PeriodBetween : public DateUtilsTest, public ::testing::WithParamInterface<PeriodRow> {};

TEST_P(PeriodBetween, CountsCalendarUnitsFromTheStart) {
    const PeriodRow& row = GetParam();
    useZone(row.zone);
    const auto period = row.daysOnly ? utils()->_periodbetweenindays(row.start, row.end)
                                     : utils()->_periodbetween(row.start, row.end);
    EXPECT_TRUE(period->IsInitialized());
    const int32_t parts[6] = {period->Years, period->Months,  period->Days,
                              period->Hours, period->Minutes, period->Seconds};
    EXPECT_EQ(std::vector<int32_t>(parts, parts + 6),
              std::vector<int32_t>(row.parts, row.parts + 6));
}

INSTANTIATE_TEST_SUITE_P(
    Periods, PeriodBetween,
    ::testing::Values(
        PeriodRow{"UTC",
                  kJan31Utc,
                  kMarch1Utc123015,
                  false,
                  {0, 1, 1, 12, 30, 15},
                  "forward over February"},
        PeriodRow{
            "UTC", kMarch1Utc123015, kJan31Utc, false, {0, -1, -1, -12, -30, -15}, "backward"},
        PeriodRow{"UTC", kJan31Utc, kJan31Utc, false, {0, 0, 0, 0, 0, 0}, "equal moments"},
        PeriodRow{
            "UTC", kJan31Utc, kJan31Utc + 10 * TicksPerDay, true, {0, 0, 10, 0, 0, 0}, "ten days"},
        PeriodRow{"UTC", kJan31Utc, kMarch1Utc123015, true, {0, 0, 30, 12, 30, 15}, "days only"},
        PeriodRow{"UTC",
                  kMarch1Utc123015,
                  kJan31Utc,
                  true,
                  {0, 0, -30, -12, -30, -15},
                  "days only backward"},
        PeriodRow{"UTC", 0, 1709296215000, false, {54, 2, 0, 12, 30, 15}, "decades"},
        PeriodRow{"UTC",
                  1709164800000,
                  1740700800000,
                  false,
                  {1, 0, 0, 0, 0, 0},
                  "leap day to next 28 Feb"},
        PeriodRow{"UTC", 0, 86400000LL * 36525, true, {0, 0, 36525, 0, 0, 0}, "a century in days"},
        // 1 March to 11 March 2026 in New York is 10 days of 24 hours but one of 23.
        PeriodRow{"America/New_York",
                  1772341200000,
                  1773201600000,
                  false,
                  {0, 0, 10, 0, 0, 0},
                  "over spring change"},
        PeriodRow{"America/New_York",
                  1772341200000,
                  1773201600000,
                  true,
                  {0, 0, 10, 0, 0, 0},
                  "days over change"},
        PeriodRow{"America/New_York",
                  1773201600000,
                  1772341200000,
                  true,
                  {0, 0, -10, 0, 0, 0},
                  "back over change"},
        PeriodRow{"Asia/Kolkata",
                  1772821800000,
                  1772876045000,
                  false,
                  {0, 0, 0, 15, 4, 5},
                  "within a day"}));

TEST_F(DateUtilsTest, AddPeriodGoesBackToTheEnd) {
    useZone("America/New_York");
    const int64_t start = utils()->_setdateandtime(2024, 1, 31, 0, 0, 0);
    const int64_t end = utils()->_setdateandtime(2026, 3, 8, 15, 4, 5);
    EXPECT_EQ(utils()->_addperiod(start, utils()->_periodbetween(start, end)), end);
    EXPECT_EQ(utils()->_addperiod(end, utils()->_periodbetween(end, start)), start);
    EXPECT_EQ(utils()->_addperiod(start, nullptr), start);

    // The time parts are plain durations: 24 hours over the spring change end at 01:00 local.
    auto day = std::make_shared<_period>();
    day->Initialize();
    day->Hours = 24;
    const int64_t springEve = utils()->_setdate(2026, 3, 8);
    EXPECT_EQ(dates()->GetHour(utils()->_addperiod(springEve, day)), 1);
}

TEST_F(DateUtilsTest, PeriodDescribesItselfAsARecord) {
    const auto period = utils()->_periodbetween(kJan31Utc, kMarch1Utc123015);
    EXPECT_EQ(
        period->description(),
        u"[IsInitialized=1, Years=0, Months=1\n, Days=1, Hours=12, Minutes=30\n, Seconds=15]");
    EXPECT_EQ(Value(period).description(), period->description());
}

TEST_F(DateUtilsTest, DaysInMonthCountsWholeDays) {
    useZone("America/New_York");
    EXPECT_EQ(utils()->_numberofdaysinmonth(2, 2024), 29);
    EXPECT_EQ(utils()->_numberofdaysinmonth(2, 2023), 28);
    EXPECT_EQ(utils()->_numberofdaysinmonth(3, 2026), 31);  // 31 days minus the lost hour
    EXPECT_EQ(utils()->_numberofdaysinmonth(11, 2026), 30);
    expectInvalidValue([] { utils()->_numberofdaysinmonth(13, 2024); }, "AD20241301 000000");
}

TEST_F(DateUtilsTest, SameDayIsJudgedInTheLocalZone) {
    useZone("Asia/Kolkata");
    // 18:00 and 18:40 UTC on 31 January fall on two local days (23:30 and 00:10 next day).
    EXPECT_FALSE(utils()->_issameday(kJan31Utc + 18 * TicksPerHour,
                                     kJan31Utc + 18 * TicksPerHour + 40 * TicksPerMinute));
    EXPECT_TRUE(utils()->_issameday(kJan31Utc, kJan31Utc + 18 * TicksPerHour));
    EXPECT_FALSE(utils()->_issameday(kJan31Utc, dates()->Add(kJan31Utc, 1, 0, 0)));
}

TEST_F(DateUtilsTest, NamesComeFromTheDeviceLocaleAndAreCachedOnce) {
    EXPECT_EQ(utils()->_getdayofweekname(0), u"Thursday");
    EXPECT_EQ(utils()->_getmonthname(0), u"January");
    expectPatternsRestored();

    const auto days = utils()->_getdaysnames();
    ASSERT_EQ(days->Size(), 7);
    EXPECT_EQ(days->Get(0).description(), u"Sunday");
    EXPECT_EQ(days->Get(6).description(), u"Saturday");
    EXPECT_EQ(utils()->_getdaysnames(), days);
    EXPECT_EQ(days->Size(), 7);

    clock.advanceBy(
        std::chrono::hours(24 * 47));  // 31 December: every month must still appear once
    const auto months = utils()->_getmonthsnames();
    ASSERT_EQ(months->Size(), 12);
    const char16_t* expected[] = {u"January",   u"February", u"March",    u"April",
                                  u"May",       u"June",     u"July",     u"August",
                                  u"September", u"October",  u"November", u"December"};
    for (int32_t i = 0; i < 12; ++i) EXPECT_EQ(months->Get(i).description(), expected[i]);
    EXPECT_EQ(utils()->_getmonthsnames(), months);
    expectPatternsRestored();
}

TEST_F(DateUtilsTest, TextAndUnixTimeConversions) {
    dates()->setTimeFormat(u"HH:mm");
    EXPECT_EQ(utils()->_tickstostring(kMarch1Utc123015), u"03/01/2024 12:30");
    EXPECT_EQ(utils()->_tickstounixtime(1999), 1);
    EXPECT_EQ(utils()->_tickstounixtime(-1999), -1);
    EXPECT_EQ(utils()->_tickstounixtime(9007199254740993), 9007199254740);
    EXPECT_EQ(utils()->_unixtimetoticks(-5), -5000);
    EXPECT_EQ(utils()->_unixtimetoticks(std::numeric_limits<int64_t>::max() / 10),
              std::numeric_limits<int64_t>::max());
    EXPECT_EQ(utils()->_format(5, 2), u"05");
    EXPECT_EQ(utils()->_format(-5, 3), u"-005");
    EXPECT_EQ(utils()->_format(1234567, 2), u"1234567");
}

TEST_F(DateUtilsTest, SubsAreReachableByName) {
    const Value module(utils());
    const Value period = RtCore::runDynamicMethod(
        module, u"_periodbetween::", true,
        std::vector<Value>{Value::ofLong(kJan31Utc), Value::ofLong(kMarch1Utc123015)});
    ASSERT_NE(period.as<_period>(), nullptr);
    EXPECT_EQ(period.as<_period>()->Months, 1);
    const Value days = RtCore::runDynamicMethod(module, u"_getdaysnames", true);
    ASSERT_NE(days.as<RtList>(), nullptr);
    EXPECT_EQ(days.as<RtList>()->Size(), 7);
    const Value ticks = RtCore::runDynamicMethod(
        module, u"_setdate:::", true,
        std::vector<Value>{Value::ofInt(2024), Value::ofInt(1), Value::ofInt(31)});
    EXPECT_EQ(ticks.number()->toLong(), kJan31Utc);
}

}  // namespace
}  // namespace zemtra
