// Numeric operations of the Common object: rounding, formatting, random integers.
#include <array>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <utility>

#include <gtest/gtest.h>

#include "runtime/core/RtCommon.h"
#include "runtime/lib/RtNumbers.h"
#include "tests/support/LibraryTest.h"

namespace zemtra {
namespace {

class NumbersTest : public testing::LibraryTest {
  protected:
    const std::shared_ptr<RtNumbers> numbers = RtCommon::New()->service<RtNumbers>();
};

TEST_F(NumbersTest, RoundTakesHalvesAwayFromZeroAndMaxAndMinIgnoreNaN) {
    const std::pair<double, double> rows[] = {
        {0.5, 1}, {-0.5, -1}, {2.5, 3}, {-2.5, -3}, {0.49999999999999994, 0},
        {-7, -7}, {1.4999, 1}};
    for (const auto& [x, expected] : rows) EXPECT_EQ(numbers->Round(x), expected) << x;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(numbers->Max(nan, 2), 2);
    EXPECT_EQ(numbers->Min(3, nan), 3);
}

TEST_F(NumbersTest, NumberFormatRoundsHalfToEvenWithDigitCountsAndGrouping) {
    struct Row {
        double number;
        int32_t minimumIntegers, maximumFractions, minimumFractions;
        bool grouping;
        const char16_t* expected;
    };
    // One shared formatter for every row, in this order: a setting left over from the row before
    // would show up as a wrong text.
    for (const Row& row : std::initializer_list<Row>{
             {3.1, 1, 3, 2, true, u"3.10"},
             {0.5, 0, 2, 0, true, u".5"},
             {0.5, 1, 2, 0, true, u"0.5"},
             {1000, 1, 0, 0, true, u"1,000"},
             {1000, 1, 0, 0, false, u"1000"},
             {2.5, 1, 0, 0, true, u"2"},
             {3.5, 1, 0, 0, true, u"4"},
             {0.125, 1, 2, 0, true, u"0.12"},
             {0.375, 1, 2, 0, true, u"0.38"},
             {1234567.891, 0, 2, 0, true, u"1,234,567.89"},
             {5, 2, 0, 0, true, u"05"},
             {-1234.5, 0, 1, 0, true, u"-1,234.5"},
             {7, 3, 2, 2, false, u"007.00"},
         }) {
        SCOPED_TRACE(row.number);
        EXPECT_EQ(numbers->NumberFormat2(row.number, row.minimumIntegers, row.maximumFractions,
                                         row.minimumFractions, row.grouping),
                  row.expected);
    }
    EXPECT_EQ(numbers->NumberFormat(1234.5678, 1, 2), u"1,234.57");
}

TEST_F(NumbersTest, RndStaysInItsRangeWithoutModuloBias) {
    for (int i = 0; i < 100; ++i) EXPECT_EQ(numbers->Rnd(1, 2), 1);
    EXPECT_EQ(numbers->Rnd(5, 5), 5);

    // 7 values, 10000 expected each; 5% is more than five standard deviations.
    std::array<int, 7> counts{};
    for (int i = 0; i < 70000; ++i) {
        const int32_t value = numbers->Rnd(-3, 4);
        ASSERT_TRUE(value >= -3 && value < 4) << value;
        ++counts[static_cast<size_t>(value + 3)];
    }
    for (int count : counts) EXPECT_NEAR(count, 10000, 500);

    // A span of 3 * 2^30: a 32-bit draw reduced modulo the span would put half of the results
    // in the first third; 0.02 is about ten standard deviations.
    constexpr int32_t kMin = -1610612736;
    constexpr int32_t kMax = 1610612736;
    int firstThird = 0;
    for (int i = 0; i < 60000; ++i) {
        const int32_t value = numbers->Rnd(kMin, kMax);
        ASSERT_TRUE(value >= kMin && value < kMax) << value;
        if (int64_t{value} - kMin < (int64_t{1} << 30)) ++firstThird;
    }
    EXPECT_NEAR(firstThird / 60000.0, 1.0 / 3, 0.02);
}

}  // namespace
}  // namespace zemtra
