// Conversion rules between texts, numbers, booleans and chars, one row per case.
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "runtime/core/Conversions.h"
#include "runtime/core/RtException.h"
#include "tests/runtime/Raises.h"

namespace zemtra {
namespace {

using testing::raised;

constexpr double kInf = std::numeric_limits<double>::infinity();

// Out of range, the answer follows the size of the value, not the written exponent; a text that
// gives 0 must start with "." or "0".
TEST(ObjectToNumber, GivesTheLeadingNumberAsDoubleOrRaisesCannotParse) {
    const String zeros(400, u'0');
    const String huge = u"1" + zeros + u"e-5", tiny = u"0." + zeros + u"1";
    const std::pair<String, double> numbers[] = {
        {u"0", 0},        {u".5", 0.5},       {u".0", 0},   {u" 7", 7},   {u"12abc", 12},
        {u"-2.5", -2.5},  {u"1e3", 1000},     {u"1e", 1},   {u"\t+4", 4}, {u"3.25.7", 3.25},
        {u"1e400", kInf}, {u"-1E400", -kInf}, {huge, kInf}, {tiny, 0},    {u"0.1e-400", 0}};
    for (const auto& [text, expected] : numbers) {
        const Number number = objectToNumber(Value(text));
        EXPECT_EQ(number.tag(), 'd');
        EXPECT_DOUBLE_EQ(number.toDouble(), expected) << toUtf8(text);
    }
    for (const Value& value :
         {Value(u""), Value(u"x"), Value(u"abc"), Value(u"-0"), Value(u" 0"), Value(u"+0"),
          Value(u"-.0"), Value(u"e5"), Value(u"1E-400"), Value(u"5" + zeros + u"e-900"), Value()}) {
        EXPECT_EQ(raised([&] { objectToNumber(value); }).reason(),
                  u"Cannot parse: " + value.description());
    }
    // A boxed number comes back with its tag, so it still prints without a decimal part.
    EXPECT_EQ(numberToString(objectToNumber(Value::ofInt(42))), u"42");
}

// Doubles print with up to 16 significant digits and an exponent below 1e-4 and from 1e16, floats
// with up to 7; integers and booleans without a decimal part.
TEST(NumberToString, FormatsByTypeTag) {
    const auto d = [](double x) { return Value::ofDouble(x); };
    const std::pair<Value, const char16_t*> rows[] = {
        {d(5), u"5"},
        {d(0.1), u"0.1"},
        {d(0.00001), u"1e-05"},
        {d(1e16), u"1e+16"},
        {d(1.0 / 3.0), u"0.3333333333333333"},
        {Value::ofFloat(0.1f), u"0.1"},
        {Value::ofFloat(1.0f / 3.0f), u"0.3333333"},
        {Value::ofBoolean(true), u"1"},
        {Value::ofLong(INT64_MIN), u"-9223372036854775808"}};
    for (const auto& [number, expected] : rows) {
        EXPECT_EQ(numberToString(*number.number()), expected);
    }
}

TEST(ObjectToLongNumber, TruncatesDoublesAndReadsIntegerPrefixesSaturating) {
    const std::pair<Value, int64_t> rows[] = {{Value::ofDouble(-2.9), -2},
                                              {Value::ofDouble(1e300), INT64_MAX},
                                              {Value(u"  -42abc"), -42},
                                              {Value(u"abc"), 0},
                                              {Value(u"99999999999999999999"), INT64_MAX},
                                              {Value(u"-9223372036854775808"), INT64_MIN},
                                              {Value(u"-99999999999999999999"), INT64_MIN},
                                              {Value(), 0}};
    for (const auto& [value, expected] : rows) {
        EXPECT_EQ(objectToLongNumber(value), expected) << toUtf8(value.description());
    }
}

TEST(Conversions, BooleansCharsAndStrings) {
    const std::pair<Value, bool> booleans[] = {
        {Value(u"true"), true}, {Value(u"True"), false},      {Value(u"TRUE"), false},
        {Value(u"1"), false},   {Value::ofDouble(0.5), true}, {Value::ofInt(0), false},
        {Value(), false}};
    for (const auto& [value, expected] : booleans) {
        EXPECT_EQ(objectToBoolean(value), expected) << toUtf8(value.description());
    }
    EXPECT_EQ(objectToString(Value()), u"null");
    EXPECT_EQ(objectToString(Value::ofBoolean(false)), u"0");
    EXPECT_EQ(objectToString(Value(kNullMarker)), u"<null>");
    EXPECT_EQ(objectToChar(Value(u"xyz")), u'x');
    EXPECT_EQ(objectToChar(Value::ofInt(65)), u'A');
}

TEST(IsNumber, WholeTextMustBeOneNumber) {
    for (const StringView text : {u"1.5", u" 2 ", u"-3e2"}) EXPECT_TRUE(isNumber(text));
    for (const StringView text : {u"1.5x", u"1,5", u"", u"   "}) EXPECT_FALSE(isNumber(text));
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
    EXPECT_FLOAT_EQ(colorToRgba(static_cast<int32_t>(0xFF000000)).alpha, 1.0f);
    const int32_t color = static_cast<int32_t>(0x80FF4010);
    EXPECT_EQ(rgbaToColor(colorToRgba(color)), color);
}

}  // namespace
}  // namespace zemtra
