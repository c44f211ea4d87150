// Conversion rules between texts, numbers, booleans and chars, one row per case.
#include <limits>

#include <gtest/gtest.h>

#include "runtime/core/Conversions.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"

namespace zemtra {
namespace {

struct ParseRow {
    const char16_t* text;
    double expected;
};

void PrintTo(const ParseRow& row, std::ostream* out) {
    *out << '"' << toUtf8(row.text) << '"';
}

class ObjectToNumberAccepts : public ::testing::TestWithParam<ParseRow> {};

TEST_P(ObjectToNumberAccepts, GivesTheLeadingNumberAsDouble) {
    const Number number = objectToNumber(Value(GetParam().text));
    EXPECT_EQ(number.tag(), 'd');
    EXPECT_DOUBLE_EQ(number.toDouble(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, ObjectToNumberAccepts,
                         ::testing::Values(ParseRow{u"0", 0}, ParseRow{u".5", 0.5},
                                           ParseRow{u"0.000", 0}, ParseRow{u".0", 0},
                                           ParseRow{u" 7", 7}, ParseRow{u"12abc", 12},
                                           ParseRow{u"007x", 7}, ParseRow{u"-2.5", -2.5},
                                           ParseRow{u"1e3", 1000}, ParseRow{u"1e", 1},
                                           ParseRow{u"\t+4", 4}, ParseRow{u"3.25.7", 3.25}));

class ObjectToNumberRejects : public ::testing::TestWithParam<const char16_t*> {};

TEST_P(ObjectToNumberRejects, RaisesCannotParseWithTheText) {
    const String text = GetParam();
    try {
        objectToNumber(Value(text));
        FAIL() << "no error for " << toUtf8(text);
    } catch (const RtException& error) {
        EXPECT_EQ(error.name(), u"");
        EXPECT_EQ(error.reason(), u"Cannot parse: " + text);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ObjectToNumberRejects,
                         ::testing::Values(u"", u"x", u"abc", u"-0", u" 0", u"+0", u"-.0", u"e5"));

// Out of range, the answer follows the size of the value, not the sign of the written exponent.
TEST(ObjectToNumber, OutOfRangeTextsBecomeInfinityOrZeroByTheirSize) {
    const String zeros(400, u'0');
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(objectToNumber(Value(u"1e400")).toDouble(), infinity);
    EXPECT_EQ(objectToNumber(Value(u"-1E400")).toDouble(), -infinity);
    EXPECT_EQ(objectToNumber(Value(u"1" + zeros + u"e-5")).toDouble(), infinity);
    EXPECT_EQ(objectToNumber(Value(u"0." + zeros + u"1")).toDouble(), 0.0);
    EXPECT_EQ(objectToNumber(Value(u"0.1e-400")).toDouble(), 0.0);
    // Too small to be anything but 0, and 0 from a text that starts with a digit other than 0.
    for (const String& text : {String(u"1E-400"), String(u"1e-400"), u"5" + zeros + u"e-900"}) {
        EXPECT_THROW(objectToNumber(Value(text)), RtException) << toUtf8(text);
    }
}

TEST(ObjectToNumber, KeepsABoxedNumberWithItsTag) {
    const Number number = objectToNumber(Value::ofInt(42));
    EXPECT_EQ(number.tag(), 'i');
    EXPECT_EQ(numberToString(number), u"42");
}

TEST(ObjectToNumber, NullIsDescribedAndRaises) {
    try {
        objectToNumber(Value());
        FAIL();
    } catch (const RtException& error) {
        EXPECT_EQ(error.reason(), u"Cannot parse: (null)");
    }
}

struct FormatRow {
    Value number;
    const char16_t* expected;
};

void PrintTo(const FormatRow& row, std::ostream* out) {
    *out << toUtf8(row.expected);
}

class NumberToStringFormats : public ::testing::TestWithParam<FormatRow> {};

TEST_P(NumberToStringFormats, ByTypeTag) {
    EXPECT_EQ(numberToString(*GetParam().number.number()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, NumberToStringFormats,
    ::testing::Values(
        FormatRow{Value::ofDouble(5.0), u"5"}, FormatRow{Value::ofDouble(2.0), u"2"},
        FormatRow{Value::ofDouble(0.1), u"0.1"},
        FormatRow{Value::ofDouble(1.0 / 3.0), u"0.3333333333333333"},
        FormatRow{Value::ofDouble(-2.5), u"-2.5"}, FormatRow{Value::ofDouble(0.00001), u"1e-05"},
        FormatRow{Value::ofDouble(0.0001), u"0.0001"},
        FormatRow{Value::ofDouble(0.123456789), u"0.123456789"},
        FormatRow{Value::ofDouble(1e16), u"1e+16"},
        FormatRow{Value::ofDouble(1234567890123456.0), u"1234567890123456"},
        FormatRow{Value::ofDouble(1e20), u"1e+20"}, FormatRow{Value::ofFloat(0.1f), u"0.1"},
        FormatRow{Value::ofFloat(1.0f / 3.0f), u"0.3333333"}, FormatRow{Value::ofInt(-17), u"-17"},
        FormatRow{Value::ofLong(std::numeric_limits<int64_t>::min()), u"-9223372036854775808"},
        FormatRow{Value::ofShort(-3), u"-3"}, FormatRow{Value::ofByte(-128), u"-128"},
        FormatRow{Value::ofBoolean(true), u"1"}));

TEST(ObjectToLongNumber, TruncatesDoublesAndReadsIntegerPrefixes) {
    EXPECT_EQ(objectToLongNumber(Value::ofDouble(-2.9)), -2);
    EXPECT_EQ(objectToLongNumber(Value::ofDouble(1e300)), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(objectToLongNumber(Value(u"  -42abc")), -42);
    EXPECT_EQ(objectToLongNumber(Value(u"12.9")), 12);
    EXPECT_EQ(objectToLongNumber(Value(u"abc")), 0);
    EXPECT_EQ(objectToLongNumber(Value(u"99999999999999999999")),
              std::numeric_limits<int64_t>::max());
    EXPECT_EQ(objectToLongNumber(Value(u"-9223372036854775808")),
              std::numeric_limits<int64_t>::min());
    EXPECT_EQ(objectToLongNumber(Value(u"-99999999999999999999")),
              std::numeric_limits<int64_t>::min());
    EXPECT_EQ(objectToLongNumber(Value()), 0);
}

TEST(ObjectToBoolean, OnlyExactTrueTextIsTrue) {
    EXPECT_TRUE(objectToBoolean(Value(u"true")));
    EXPECT_FALSE(objectToBoolean(Value(u"True")));
    EXPECT_FALSE(objectToBoolean(Value(u"TRUE")));
    EXPECT_FALSE(objectToBoolean(Value(u"1")));
    EXPECT_TRUE(objectToBoolean(Value::ofDouble(0.5)));
    EXPECT_FALSE(objectToBoolean(Value::ofInt(0)));
    EXPECT_FALSE(objectToBoolean(Value()));
}

TEST(ObjectToStringAndChar, NullAndBoxedValues) {
    const auto core = RtCore::create(nullptr);
    EXPECT_EQ(objectToString(Value()), u"null");
    EXPECT_EQ(core->returnString(Value()), u"");
    EXPECT_EQ(objectToString(Value::ofBoolean(false)), u"0");
    EXPECT_EQ(objectToString(Value(kNullMarker)), u"<null>");
    EXPECT_EQ(objectToChar(Value(u"xyz")), u'x');
    EXPECT_EQ(objectToChar(Value(u"")), 0);
    EXPECT_EQ(objectToChar(Value()), 0);
    EXPECT_EQ(objectToChar(Value::ofInt(65)), u'A');
    EXPECT_TRUE(isKindOfNumber(Value::ofDouble(1), u"d"));
    EXPECT_FALSE(isKindOfNumber(Value::ofInt(1), u"d"));
    EXPECT_FALSE(isKindOfNumber(Value(u"1"), u"i"));
    EXPECT_TRUE(core->IsLong(Value::ofLong(1)));
    EXPECT_FALSE(core->IsLong(Value::ofInt(1)));
}

TEST(IsNumber, WholeTextMustBeOneNumber) {
    EXPECT_TRUE(isNumber(u"1.5"));
    EXPECT_TRUE(isNumber(u" 2 "));
    EXPECT_TRUE(isNumber(u"-3e2"));
    EXPECT_FALSE(isNumber(u"1.5x"));
    EXPECT_FALSE(isNumber(u"1,5"));
    EXPECT_FALSE(isNumber(u""));
    EXPECT_FALSE(isNumber(u"   "));
}

TEST(SwitchObjectToInt, NumbersByValueOthersByEquality) {
    const Value numberCases[] = {Value::ofDouble(1.0), Value::ofDouble(2.0)};
    EXPECT_EQ(switchObjectToInt(Value::ofInt(2), numberCases), 1);
    const Value textCases[] = {Value(u"A"), Value(u"a")};
    EXPECT_EQ(switchObjectToInt(Value(u"a"), textCases), 1);
    EXPECT_EQ(switchObjectToInt(Value(u"b"), textCases), -1);
    // A number never matches a text case, even one that reads as the same number.
    const Value mixed[] = {Value(u"2"), Value::ofInt(2)};
    EXPECT_EQ(switchObjectToInt(Value::ofInt(2), mixed), 1);
}

TEST(Colors, PackingTruncatesComponents) {
    EXPECT_EQ(rgbaToColor(Rgba{0.5f, 0.5f, 0.5f, 1.0f}), static_cast<int32_t>(0xFF7F7F7F));
    const Rgba black = colorToRgba(static_cast<int32_t>(0xFF000000));
    EXPECT_FLOAT_EQ(black.alpha, 1.0f);
    EXPECT_FLOAT_EQ(black.red, 0.0f);
    const int32_t color = static_cast<int32_t>(0x80FF4010);
    EXPECT_EQ(rgbaToColor(colorToRgba(color)), color);
}

}  // namespace
}  // namespace zemtra
