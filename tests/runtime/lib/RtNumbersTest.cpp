// Numeric operations of the Common object: rounding, formatting, random integers, shifts, radix
// parsing and colour packing.
#include <array>
#include <cmath>
#include <limits>
#include <tuple>
#include <utility>

#include <gtest/gtest.h>

#include "runtime/core/RtCommon.h"
#include "runtime/core/RtException.h"
#include "runtime/lib/RtBit.h"
#include "runtime/lib/RtColors.h"
#include "runtime/lib/RtNumbers.h"
#include "tests/runtime/Raises.h"
#include "tests/support/LibraryTest.h"

namespace zemtra {
namespace {

using testing::raised;

class NumbersTest : public testing::LibraryTest {
  protected:
    const std::shared_ptr<RtNumbers> numbers = RtCommon::New()->service<RtNumbers>();
};

TEST_F(NumbersTest, RoundTakesHalvesAwayFromZeroAndMaxAndMinIgnoreNaN) {
    // Half to even would give 0 for the first two; adding 0.5 then flooring gives 1 for the last.
    const std::pair<double, double> rows[] = {
        {0.5, 1}, {-0.5, -1}, {1.4999, 1}, {0.49999999999999994, 0}};
    for (const auto& [x, expected] : rows) EXPECT_EQ(numbers->Round(x), expected) << x;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(numbers->Max(nan, 2), 2);
    EXPECT_EQ(numbers->Min(3, nan), 3);
}

// One shared formatter for every row, in this order: a setting left over from the row before
// would show up as a wrong text.
TEST_F(NumbersTest, NumberFormatRoundsHalfToEvenWithDigitCountsAndGrouping) {
    // number, minimum integer digits, maximum and minimum fraction digits, grouping
    const std::tuple<double, int32_t, int32_t, int32_t, bool, const char16_t*> rows[] = {
        {3.1, 1, 3, 2, true, u"3.10"},   {0.5, 0, 2, 0, true, u".5"},
        {0.5, 1, 2, 0, true, u"0.5"},    {1000, 1, 0, 0, true, u"1,000"},
        {1000, 1, 0, 0, false, u"1000"}, {2.5, 1, 0, 0, true, u"2"},
        {3.5, 1, 0, 0, true, u"4"},      {5, 2, 0, 0, true, u"05"},
        {7, 3, 2, 2, false, u"007.00"}};
    for (const auto& [number, integers, maxFractions, minFractions, grouping, expected] : rows) {
        EXPECT_EQ(numbers->NumberFormat2(number, integers, maxFractions, minFractions, grouping),
                  expected)
            << number;
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

TEST(RtBit, ShiftsUseTheLowFiveBitsOfTheCount) {
    const RtBit bit;
    EXPECT_EQ(bit.ShiftLeft(1, 33), 2);
    EXPECT_EQ(bit.ShiftLeft(1, 31), INT32_MIN);
    EXPECT_EQ(bit.ShiftLeft(3, -1), INT32_MIN);  // -1 counts as 31
    EXPECT_EQ(bit.UnsignedShiftRight(-1, 28), 15);
    EXPECT_EQ(bit.UnsignedShiftRight(-1, 32), -1);
    EXPECT_EQ(bit.ShiftRight(-16, 34), -4);
}

// The integer prefix after the white space C skips (not U+00A0), cut to 32 bits; radix 0 reads
// "0x" as hexadecimal and a leading 0 as octal.
TEST(RtBit, ParseIntReadsTheIntegerPrefixCutTo32Bits) {
    const RtBit bit;
    const std::tuple<const char16_t*, int32_t, int32_t> rows[] = {
        {u"123", 10, 123},      {u" \t-42xyz", 10, -42}, {u"abc", 10, 0},
        {u"12", 2, 1},          {u"ff", 16, 255},        {u"0x1A", 16, 26},
        {u"0x1A", 0, 26},       {u"017", 0, 15},         {u"0x", 0, 0},
        {u"0xg", 16, 0},        {u"zz", 36, 1295},       {u"FFFFFFFF", 16, -1},
        {u"1FFFFFFFF", 16, -1}, {u"4294967296", 10, 0},  {u"2147483648", 10, INT32_MIN},
        {u"-0x10", 0, -16},     {u"\u00a05", 10, 0}};
    for (const auto& [text, radix, expected] : rows) {
        EXPECT_EQ(bit.ParseInt(text, radix), expected) << toUtf8(text) << " radix " << radix;
    }
    EXPECT_EQ(bit.ParseInt(u"FF000000", 16), -16777216);  // a colour
    for (int32_t radix : {1, 37, -16}) {
        EXPECT_EQ(raised([&] { bit.ParseInt(u"10", radix); }).reason(),
                  u"Invalid radix: " + decimal(radix));
    }
}

// The named colours are constants; what can go wrong is the packing (alpha above 127 too).
TEST(RtColors, PackingPutsAlphaInTheTopByte) {
    const RtColors colors;
    EXPECT_EQ(colors.RGB(0x44, 0x45, 0x46), static_cast<int32_t>(0xFF444546u));
    EXPECT_EQ(colors.ARGB(0x80, 0x01, 0x02, 0x03), static_cast<int32_t>(0x80010203u));
}

}  // namespace
}  // namespace zemtra
