// Numeric operations of the Common object: rounding, formatting, random integers.
#include <array>
#include <cmath>
#include <initializer_list>
#include <limits>

#include <gtest/gtest.h>

#include "runtime/core/RtCommon.h"
#include "runtime/core/RtCore.h"
#include "runtime/lib/RtNumbers.h"
#include "tests/support/TestSupport.h"

namespace zemtra {
namespace {

class NumbersTest : public testing::RuntimeTest {
  protected:
    const std::shared_ptr<RtNumbers> numbers = RtCommon::New()->service<RtNumbers>();
};

TEST_F(NumbersTest, RoundTakesHalvesAwayFromZero) {
    struct Row {
        double x, expected;
    };
    for (const Row& row : std::initializer_list<Row>{{0.5, 1},
                                                     {-0.5, -1},
                                                     {2.5, 3},
                                                     {-2.5, -3},
                                                     {1.4999, 1},
                                                     {0.49999999999999994, 0},
                                                     {-7, -7}}) {
        EXPECT_EQ(numbers->Round(row.x), row.expected) << row.x;
    }
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

TEST_F(NumbersTest, RndStaysInItsRangeAndIsEvenlySpread) {
    for (int i = 0; i < 100; ++i) EXPECT_EQ(numbers->Rnd(1, 2), 1);
    EXPECT_EQ(numbers->Rnd(5, 5), 5);

    // 7 values, 10000 expected each; 5% is more than five standard deviations.
    std::array<int, 7> counts{};
    for (int i = 0; i < 70000; ++i) {
        const int32_t value = numbers->Rnd(-3, 4);
        ASSERT_GE(value, -3);
        ASSERT_LT(value, 4);
        ++counts[static_cast<size_t>(value + 3)];
    }
    for (int count : counts) EXPECT_NEAR(count, 10000, 500);
}

TEST_F(NumbersTest, RndHasNoModuloBiasOverAWideRange) {
    // A span of 3 * 2^30: reducing a 32-bit draw modulo the span would put half of the results
    // in the first third instead of a third.
    constexpr int32_t kMin = -1610612736;
    constexpr int32_t kMax = 1610612736;
    constexpr int kDraws = 60000;
    int firstThird = 0;
    for (int i = 0; i < kDraws; ++i) {
        const int32_t value = numbers->Rnd(kMin, kMax);
        ASSERT_GE(value, kMin);
        ASSERT_LT(value, kMax);
        if (int64_t{value} - kMin < (int64_t{1} << 30)) ++firstThird;
    }
    EXPECT_NEAR(static_cast<double>(firstThird) / kDraws, 1.0 / 3, 0.02);
}

TEST_F(NumbersTest, MathFollowsIeeeAndTheDegreeConversions) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(numbers->Max(nan, 2), 2);
    EXPECT_EQ(numbers->Min(3, nan), 3);
    EXPECT_TRUE(std::isnan(numbers->Sqrt(-1)));
    EXPECT_DOUBLE_EQ(numbers->Logarithm(8, 2), 3);
    EXPECT_DOUBLE_EQ(numbers->SinD(90), 1);
    EXPECT_DOUBLE_EQ(numbers->ATan2D(1, 1), 45);
    EXPECT_DOUBLE_EQ(numbers->ACosD(-1), 180);
    EXPECT_EQ(numbers->Floor(-1.5), -2);
    EXPECT_EQ(numbers->Ceil(-1.5), -1);
}

TEST_F(NumbersTest, PercentOfTheCurrentSize) {
    EXPECT_DOUBLE_EQ(numbers->PerXToCurrent(50), 170);
    EXPECT_DOUBLE_EQ(numbers->PerYToCurrent(25), 142);
    numbers->setCurrentSizeSource([] { return RtNumbers::Size{1000, 400}; });
    EXPECT_DOUBLE_EQ(numbers->PerXToCurrent(10), 100);
    EXPECT_DOUBLE_EQ(numbers->PerYToCurrent(10), 40);
}

TEST_F(NumbersTest, OperationsAreReachableByName) {
    const Value args[] = {Value::ofDouble(0.5), Value::ofInt(0), Value::ofInt(2)};
    EXPECT_EQ(
        RtCore::runDynamicMethod(Value(numbers), u"NumberFormat:::", true, args).description(),
        u".5");
    const Value half[] = {Value::ofDouble(-2.5)};
    EXPECT_EQ(RtCore::runDynamicMethod(Value(numbers), u"Round:", true, half).number()->toDouble(),
              -3);
}

}  // namespace
}  // namespace zemtra
