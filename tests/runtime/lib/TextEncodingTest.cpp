// Character-set lookup, strict encoding and decoding, and the interpolation formatter.
#include <tuple>

#include <gtest/gtest.h>

#include "runtime/lib/RtArray.h"
#include "runtime/lib/SmartStringFormatter.h"
#include "runtime/lib/TextEncoding.h"
#include "tests/runtime/Raises.h"
#include "tests/runtime/lib/DateTestSupport.h"
#include "tests/support/LibraryTest.h"

namespace zemtra {
namespace {

using strings::GetBytes;
using testing::raised;

std::vector<uint8_t> bytesOf(const std::shared_ptr<RtArray>& array) {
    return array->bytesData() ? array->bytesData()->bytes : std::vector<uint8_t>{};
}

TEST(TextEncodingTest, Utf8IsFoundUnderEverySpellingAndIanaNamesIgnoreCase) {
    const String text = u"Zo\u00eb \u20ac\U0001F600\n";
    const std::vector<uint8_t> expected = {'Z',  'o',  0xC3, 0xAB, ' ',  0xE2, 0x82,
                                           0xAC, 0xF0, 0x9F, 0x98, 0x80, '\n'};
    for (StringView name : {u"UTF8", u"utf8", u"uTf8", u"UTF-8", u"utf-8"}) {
        EXPECT_EQ(bytesOf(GetBytes(text, name)), expected) << toUtf8(name);
    }
    EXPECT_EQ(bytesOf(GetBytes(u"\u00e9", u"iso-8859-1")), std::vector<uint8_t>{0xE9});
    EXPECT_EQ(bytesOf(GetBytes(u"\u20ac", u"Windows-1252")), std::vector<uint8_t>{0x80});
    EXPECT_EQ(getEncoding(u"LATIN1"), getEncoding(u"ISO-8859-1"));
}

TEST(TextEncodingTest, UnknownNamesRaiseWithTheNameAsPassed) {
    const String withNul(u"UTF-8\0", 6);
    for (StringView name : {StringView(u"Klingon-8"), StringView(u""), StringView(u"utf\u00b48"),
                            StringView(withNul)}) {
        EXPECT_EQ(raised([&] { GetBytes(u"x", name); }).reason(),
                  u"Invalid CharSet " + String(name));
    }
}

TEST(TextEncodingTest, TextsTheSetCannotHoldGiveAnArrayWithoutStorage) {
    const auto euro = GetBytes(u"price \u20ac", u"ISO-8859-1");
    EXPECT_EQ(euro->Length(), 0);
    EXPECT_FALSE(euro->bytesData());
    EXPECT_FALSE(euro->objectsData());
    const String loneSurrogate(1, char16_t{0xD800});
    EXPECT_EQ(GetBytes(loneSurrogate, u"utf8")->Length(), 0);
    EXPECT_EQ(GetBytes(u"", u"utf8")->Length(), 0);
}

// Bad UTF-8 (a broken sequence, a cut one, a surrogate, a byte never used) and a byte without a
// character in the set.
TEST(TextEncodingTest, UndecodableBytesRaiseInsteadOfBeingReplaced) {
    const std::pair<std::vector<uint8_t>, const char16_t*> rows[] = {{{0xC3, 0x28}, u"UTF8"},
                                                                     {{'a', 0xE2, 0x82}, u"UTF8"},
                                                                     {{0xED, 0xA0, 0x80}, u"UTF8"},
                                                                     {{0xFF}, u"UTF8"},
                                                                     {{'a', 0xE9}, u"US-ASCII"}};
    for (const auto& [bad, charset] : rows) {
        const auto bytes = RtArray::ofBytes(bad);
        EXPECT_EQ(raised([&] { BytesToString(*bytes, 0, bytes->Length(), charset); }).reason(),
                  u"Error decoding data as string.");
    }
}

TEST(TextEncodingTest, BytesToStringDecodesExactlyTheRangeAndRejectsRangesOutside) {
    const auto bytes = GetBytes(u"x\u00e9y", u"UTF8");  // 78 C3 A9 79
    EXPECT_EQ(BytesToString(*bytes, 1, 2, u"utf8"), u"\u00e9");
    EXPECT_EQ(BytesToString(*bytes, 4, 0, u"utf8"), u"");
    EXPECT_EQ(raised([&] { BytesToString(*bytes, 1, 1, u"utf8"); }).reason(),
              u"Error decoding data as string.");
    for (const auto& [offset, length] : std::vector<std::pair<int32_t, int32_t>>{
             {-1, 1}, {3, 2}, {0, -1}, {5, 0}, {1, INT32_MAX}}) {
        EXPECT_EQ(raised([&] { BytesToString(*bytes, offset, length, u"utf8"); }).name(),
                  u"RangeError");
    }
    const auto wide = GetBytes(u"\u00e9\U0001F600", u"UTF-16LE");
    EXPECT_EQ(bytesOf(wide), (std::vector<uint8_t>{0xE9, 0x00, 0x3D, 0xD8, 0x00, 0xDE}));
    EXPECT_EQ(BytesToString(*wide, 0, 6, u"utf-16le"), u"\u00e9\U0001F600");
}

using SmartStringFormatterTest = testing::LibraryTest;

TEST_F(SmartStringFormatterTest, XmlEscapesTheFiveCharactersAndNothingElse) {
    EXPECT_EQ(SmartStringFormatter(u"xml", Value(u"<a href=\"x\">Tom & Jerry's</a> \u00e9")),
              u"&lt;a href=&quot;x&quot;&gt;Tom &amp; Jerry&#39;s&lt;/a&gt; \u00e9");
    EXPECT_EQ(SmartStringFormatter(u"", Value()), u"null");
    EXPECT_EQ(SmartStringFormatter(u"", Value::ofDouble(0.5)), u"0.5");
}

// Rounding and grouping are the number service's (tested there); these rows read the format.
TEST_F(SmartStringFormatterTest, NumberFormatsReadDigitCountsLeniently) {
    const std::tuple<const char16_t*, double, const char16_t*> rows[] = {
        {u"0.2", 0.5, u".5"},
        {u"1.2", 0.5, u"0.5"},
        {u"2", 5, u"05"},
        {u"1", 0.1, u"0.1"},
        {u"1", 1.0 / 3, u"0.3333333333333333"},
        {u"x.y", 12.5, u"12"},
        {u"3.1abc", -2.25, u"-002.2"},
        {u"0.2", 1234567.891, u"1,234,567.89"}};
    for (const auto& [format, value, expected] : rows) {
        EXPECT_EQ(SmartStringFormatter(format, Value::ofDouble(value)), expected) << toUtf8(format);
    }
    EXPECT_EQ(SmartStringFormatter(u"1", Value::ofLong(9007199254740992)),
              u"9,007,199,254,740,992");
    EXPECT_EQ(SmartStringFormatter(u"0.1", Value(u"7.25")), u"7.2");
    EXPECT_EQ(raised([] { SmartStringFormatter(u"1.1", Value(u"abc")); }).reason(),
              u"Cannot parse: abc");
}

class SmartStringFormatterDates : public testing::DateTest {};

TEST_F(SmartStringFormatterDates, DatesAndTimesFollowTheDateTimeServiceInTheProcessTimeZone) {
    useZone("America/New_York");
    const Value ticks = Value::ofLong(1700000000000);  // 2023-11-14T22:13:20Z
    EXPECT_EQ(SmartStringFormatter(u"date", ticks), u"11/14/2023");
    EXPECT_EQ(SmartStringFormatter(u"time", ticks), u"17:13:20");
    EXPECT_EQ(SmartStringFormatter(u"datetime", ticks), u"11/14/2023 17:13:20");
    dates()->setDateFormat(u"yyyy-MM-dd");
    EXPECT_EQ(SmartStringFormatter(u"date", ticks), u"2023-11-14");
}

}  // namespace
}  // namespace zemtra
