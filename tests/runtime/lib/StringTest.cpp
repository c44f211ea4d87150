// String operations, the string builder and the Common object's text helpers.
#include <clocale>
#include <string>

#include <gtest/gtest.h>

#include <unicode/locid.h>

#include "runtime/core/RtCore.h"
#include "runtime/lib/RtString.h"
#include "runtime/lib/RtStringBuilder.h"
#include "tests/runtime/Raises.h"

namespace zemtra {
namespace {

using namespace strings;
using testing::raised;

// Positions count UTF-16 code units (the emoji is two); the empty text is found at the start
// position and contained, yet no text starts or ends with it and LastIndexOf never finds it.
TEST(StringTest, SearchingCountsCodeUnitsAndTreatsTheEmptyTextAsTheRulesSay) {
    const String text = u"a\U0001F600b a\U0001F600b";
    EXPECT_EQ(Length(text), 9);
    EXPECT_EQ(IndexOf2(text, u"b", 4), 8);
    EXPECT_EQ(IndexOf2(text, u"", 9), 9);
    EXPECT_TRUE(Contains(text, u""));
    EXPECT_FALSE(StartsWith(text, u""));
    EXPECT_FALSE(EndsWith(text, u""));
    EXPECT_EQ(LastIndexOf(text, u""), -1);
    EXPECT_EQ(LastIndexOf(text, u"a"), 5);
    // Only occurrences lying wholly within the first Length - start code units count.
    EXPECT_EQ(LastIndexOf2(text, u"a\U0001F600b", 1), 0);
    EXPECT_EQ(LastIndexOf2(text, u"a", 4), 0);
    EXPECT_EQ(CharAt(text, 1), 0xD83D);
    EXPECT_EQ(SubString2(text, 9, 9), u"");
    for (const auto& operation : std::vector<std::function<void()>>{
             [&] { CharAt(text, 9); }, [&] { IndexOf2(text, u"", -1); },
             [&] { SubString(text, 10); }, [&] { SubString2(text, 2, 1); },
             [&] { SubString2(text, 0, 10); }, [&] { LastIndexOf2(text, u"a", 10); }}) {
        EXPECT_EQ(raised(operation).name(), u"RangeError");
    }
}

TEST(StringTest, ReplaceWorksLeftToRightWithoutOverlapsOrRescanning) {
    EXPECT_EQ(Replace(u"aaa", u"aa", u"b"), u"ba");
    EXPECT_EQ(Replace(u"a.a", u"a", u"aa"), u"aa.aa");
    EXPECT_EQ(Replace(u"abc", u"", u"x"), u"abc");
    EXPECT_EQ(String(u"line") + String(CRLF), u"line\n");  // CRLF is one line feed
}

TEST(StringTest, TrimRemovesUnicodeWhiteSpaceAndLineBreaksOnly) {
    EXPECT_EQ(Trim(u"\t\r\n \u00a0\u3000\u2028 word  x \n\u0085"), u"word  x");
    EXPECT_EQ(Trim(u"\u200bword"), u"\u200bword");  // a zero-width space is not white space
    EXPECT_EQ(Trim(u" \n "), u"");
}

TEST(StringTest, CompareToAnswersOnlyTheSignInCodeUnitOrderWithCanonicalEquivalence) {
    EXPECT_EQ(CompareTo(u"a", u"z"), -1);
    EXPECT_EQ(CompareTo(u"Z", u"a"), -1);
    EXPECT_EQ(CompareTo(u"ab", u"a"), 1);
    EXPECT_EQ(CompareTo(u"caf\u00e9", u"cafe\u0301"), 0);
    EXPECT_EQ(CompareTo(u"\u1e69", u"s\u0323\u0307"), 0);  // two combining marks in another order
    EXPECT_EQ(CompareTo(u"\u1e69", u"s\u0307\u0323"), 0);
    // Code units, not code points: a surrogate (D83D) sorts before U+FF5E.
    EXPECT_EQ(CompareTo(u"\U0001F600", u"\uff5e"), -1);
    EXPECT_TRUE(EqualsIgnoreCase(u"\u00c9COLE", u"e\u0301cole"));
    EXPECT_FALSE(EqualsIgnoreCase(u"ecole", u"\u00e9cole"));
}

// Case mapping must follow en_US even when the process and ICU default to Turkish, where "i"
// would become a dotted capital I.
class TurkishLocaleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* current = std::setlocale(LC_ALL, nullptr);
        savedCLocale_ = current ? current : "C";
        std::setlocale(LC_ALL,
                       "tr_TR.UTF-8");  // may be missing on the machine; ICU's default is set below
        savedIcuLocale_ = icu::Locale::getDefault();
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale("tr_TR"), status);
        ASSERT_TRUE(U_SUCCESS(status));
    }
    void TearDown() override {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(savedIcuLocale_, status);
        std::setlocale(LC_ALL, savedCLocale_.c_str());
    }

  private:
    std::string savedCLocale_;
    icu::Locale savedIcuLocale_;
};

TEST_F(TurkishLocaleTest, CaseMappingStaysEnglish) {
    ASSERT_EQ(icu::UnicodeString(u"i").toUpper(),
              icu::UnicodeString(u"\u0130"));  // the trap is armed
    EXPECT_EQ(ToUpperCase(u"i"), u"I");
    EXPECT_EQ(ToLowerCase(u"I"), u"i");
    EXPECT_EQ(ToUpperCase(u"istanbul stra\u00dfe"), u"ISTANBUL STRASSE");
    EXPECT_TRUE(EqualsIgnoreCase(u"TITLE", u"title"));
}

TEST(StringBuilderTest, EditsCountCodeUnitsAndRangeErrorsChangeNothing) {
    RtStringBuilder builder;
    EXPECT_EQ(builder.description(), u"null");
    EXPECT_EQ(raised([&] { builder.Append(u"x"); }).reason(),
              u"Object was not initialized (NSMutableString)");
    builder.Initialize();
    builder.Append(u"hello").Append(u" world").Insert(0, u">> ").Remove(3, 4);
    EXPECT_EQ(builder.ToString(), u">> ello world");
    EXPECT_EQ(builder.Length(), 13);
    EXPECT_EQ(raised([&] { builder.Insert(14, u"x"); }).name(), u"RangeError");
    EXPECT_EQ(raised([&] { builder.Remove(5, 4); }).name(), u"RangeError");
    EXPECT_EQ(raised([&] { builder.Remove(0, 14); }).name(), u"RangeError");
    EXPECT_EQ(builder.ToString(), u">> ello world");
}

TEST(StringBuilderTest, AppendByNameWritesNullAsText) {
    const auto builder = std::make_shared<RtStringBuilder>();
    builder->Initialize();
    const Value null[] = {Value()};
    const Value number[] = {Value::ofDouble(2.5)};
    const Value result = RtCore::runDynamicMethod(Value(builder), u"Append:", true, null);
    RtCore::runDynamicMethod(Value(builder), u"Append:", true, number);
    EXPECT_EQ(result.object(), builder);
    EXPECT_EQ(builder->ToString(), u"(null)2.5");
}

}  // namespace
}  // namespace zemtra
