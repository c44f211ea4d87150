// Bit operations, radix parsing and colour packing.
#include <initializer_list>

#include <gtest/gtest.h>

#include "runtime/core/RtException.h"
#include "runtime/lib/RtBit.h"
#include "runtime/lib/RtColors.h"
#include "tests/runtime/Raises.h"

namespace zemtra {
namespace {

using testing::raised;

TEST(RtBit, ShiftsUseTheLowFiveBitsOfTheCount) {
    const RtBit bit;
    EXPECT_EQ(bit.ShiftLeft(1, 33), 2);
    EXPECT_EQ(bit.ShiftLeft(1, 31), INT32_MIN);
    EXPECT_EQ(bit.ShiftLeft(3, -1), INT32_MIN);  // -1 counts as 31
    EXPECT_EQ(bit.UnsignedShiftRight(-1, 28), 15);
    EXPECT_EQ(bit.UnsignedShiftRight(-1, 32), -1);
    EXPECT_EQ(bit.ShiftRight(-16, 2), -4);
    EXPECT_EQ(bit.ShiftRight(-16, 34), -4);
    EXPECT_EQ(bit.Not(0), -1);
    EXPECT_EQ(bit.Xor(0b1100, 0b1010), 0b0110);
}

TEST(RtBit, ParseIntReadsTheIntegerPrefixCutTo32Bits) {
    const RtBit bit;
    struct Row {
        const char16_t* text;
        int32_t radix;
        int32_t expected;
    };
    for (const Row& row : std::initializer_list<Row>{
             {u"123", 10, 123},
             {u" \t-42xyz", 10, -42},
             {u"", 10, 0},
             {u"abc", 10, 0},
             {u"12", 2, 1},
             {u"ff", 16, 255},
             {u"0x1A", 16, 26},
             {u"0x1A", 0, 26},
             {u"017", 0, 15},
             {u"0x", 0, 0},
             {u"0xg", 16, 0},
             {u"zz", 36, 1295},
             {u"FF000000", 16, -16777216},
             {u"FFFFFFFF", 16, -1},
             {u"1FFFFFFFF", 16, -1},
             {u"4294967296", 10, 0},
             {u"2147483648", 10, INT32_MIN},
             {u"-0x10", 0, -16},
             {u"\u00a0"
              u"5",
              10, 0},  // only the white space C skips
         }) {
        EXPECT_EQ(bit.ParseInt(row.text, row.radix), row.expected)
            << toUtf8(row.text) << " radix " << row.radix;
    }
}

TEST(RtBit, ParseIntRejectsRadicesOutsideItsRange) {
    const RtBit bit;
    for (int32_t radix : {1, 37, -16}) {
        EXPECT_EQ(raised([&] { bit.ParseInt(u"10", radix); }).reason(),
                  u"Invalid radix: " + decimal(radix));
    }
    EXPECT_EQ(bit.ParseInt(u"z", 36), 35);
}

// The named colours are constants; what can go wrong is the packing (alpha above 127 too).
TEST(RtColors, PackingPutsAlphaInTheTopByte) {
    const RtColors colors;
    EXPECT_EQ(colors.RGB(0x44, 0x45, 0x46), static_cast<int32_t>(0xFF444546u));
    EXPECT_EQ(colors.ARGB(0x80, 0x01, 0x02, 0x03), static_cast<int32_t>(0x80010203u));
    EXPECT_EQ(colors.ARGB(0, 0, 0, 0), colors.Transparent());
}

}  // namespace
}  // namespace zemtra
