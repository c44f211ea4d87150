// Regular expressions: whole-text tests, matchers, the pattern cache, replacement and splitting.
#include <chrono>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/core/RtCommon.h"
#include "runtime/core/RtException.h"
#include "runtime/lib/RtRegex.h"
#include "tests/runtime/Raises.h"
#include "tests/support/LibraryTest.h"

namespace zemtra {
namespace {

class RegexTest : public testing::LibraryTest {
  protected:
    RegexTest() { RtRegex::resetForTesting(); }
    ~RegexTest() override { RtRegex::resetForTesting(); }

    const std::shared_ptr<RtRegex> regex = RtCommon::New()->service<RtRegex>();
};

// An empty text never matches; a match later in the text does not count, and the first
// alternative that matches wins even when a longer one would cover the text.
TEST_F(RegexTest, IsMatchNeedsTheFirstAnchoredMatchToCoverTheWholeText) {
    constexpr int32_t kFold = RtRegex::kCaseInsensitive;
    const std::tuple<const char16_t*, int32_t, const char16_t*, bool> rows[] = {
        {u"a*", 0, u"", false},
        {u"", 0, u"", false},
        {u"ab", 0, u"abc", false},
        {u"abc", 0, u"abc", true},
        {u"b", 0, u"ab", false},
        {u"a|ab", 0, u"ab", false},
        {u"ab|a", 0, u"ab", true},
        {u"abc", 0, u"ABC", false},
        {u"abc", kFold, u"ABC", true},
        {u"a$\\n^b", 0, u"a\nb", false},
        {u"a$\\n^b", RtRegex::kMultiline, u"a\nb", true}};
    for (const auto& [pattern, options, text, expected] : rows) {
        EXPECT_EQ(regex->IsMatch2(pattern, options, text), expected)
            << toUtf8(pattern) << " / " << toUtf8(text);
    }
}

TEST_F(RegexTest, MatcherWalksTheSensorPatternsMatchesWithGroups) {
    const auto matcher = regex->Matcher(u"([.])\\d{8}", u"0.123456789,-1.5");
    EXPECT_THROW(matcher->Match(), RtException);  // before the first Find
    ASSERT_TRUE(matcher->Find());
    EXPECT_EQ(matcher->Match(), u".12345678");
    EXPECT_EQ(matcher->GroupCount(), 2);
    EXPECT_EQ(matcher->Group(1), u".");
    EXPECT_EQ(matcher->GetStart(0), 1);
    EXPECT_EQ(matcher->GetEnd(0), 10);
    EXPECT_FALSE(matcher->Find());
    EXPECT_FALSE(matcher->Find());
    EXPECT_EQ(testing::raised([&] { matcher->GroupCount(); }).name(), u"range");
}

TEST_F(RegexTest, GroupsThatTookNoPartOrDoNotExistAreRangeErrors) {
    const auto none = regex->Matcher(u"x", u"abc");
    EXPECT_FALSE(none->Find());
    EXPECT_FALSE(none->Find());

    const auto matcher = regex->Matcher(u"(a)|(b)", u"b");
    ASSERT_TRUE(matcher->Find());
    EXPECT_EQ(matcher->Group(2), u"b");
    EXPECT_EQ(matcher->GetStart(1), -1);
    EXPECT_EQ(matcher->GetEnd(1), -1);
    EXPECT_EQ(testing::raised([&] { matcher->Group(1); }).name(), u"range");
    EXPECT_EQ(testing::raised([&] { matcher->Group(3); }).name(), u"range");
    EXPECT_EQ(testing::raised([&] { matcher->Group(-1); }).name(), u"range");
}

// The cache is bounded: a pattern is compiled anew once many others have come after it. (That
// the options are part of the key shows in the IsMatch rows.) A pattern that does not compile is
// reported every time, not remembered as an empty pattern.
TEST_F(RegexTest, TheCacheIsBoundedAndRemembersNoBadPattern) {
    const auto first = RtRegex::getPattern(u"p0", 0);
    EXPECT_EQ(RtRegex::getPattern(u"p0", 0), first);
    for (int i = 1; i < 1000; ++i) RtRegex::getPattern(u"p" + decimal(i), 0);
    EXPECT_NE(RtRegex::getPattern(u"p0", 0), first);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const RtException error = testing::raised([&] { regex->IsMatch(u"[a", u"a"); });
        EXPECT_EQ(error.name(), u"regex");
        EXPECT_NE(error.reason().find(u"U_REGEX_MISSING_CLOSE_BRACKET"), String::npos);
    }
}

TEST_F(RegexTest, ReplaceExpandsGroupsAndKeepsEscapedAndLoneDollars) {
    EXPECT_EQ(regex->Replace(u"(\\w+)@(\\w+)", u"me@host, you@there", u"$2:$1"),
              u"host:me, there:you");
    EXPECT_EQ(regex->Replace(u"a", u"banana", u"\\$0"), u"b$0n$0n$0");
    EXPECT_EQ(regex->Replace(u"\\d+", u"cost 5", u"$ $0"), u"cost $ 5");
    EXPECT_EQ(regex->Replace2(u"b", RtRegex::kCaseInsensitive, u"aBc", u"-"), u"a-c");
    // A group the pattern lacks must not give a silently shortened text.
    EXPECT_EQ(testing::raised([&] { regex->Replace(u"(a)", u"xay", u"[$5]"); }).name(), u"regex");
}

TEST_F(RegexTest, SplitDropsTrailingEmptyPiecesOnly) {
    const std::pair<const char16_t*, std::vector<String>> rows[] = {
        {u"a,b,,", {u"a", u"b"}}, {u",,a,,", {u"", u"", u"a"}}, {u",", {u""}}, {u"", {u""}}};
    for (const auto& [text, expected] : rows) {
        std::vector<String> pieces;
        for (const Value& piece : elementsOf(Value(regex->Split(u",", text)))) {
            pieces.push_back(piece.description());
        }
        EXPECT_EQ(pieces, expected) << toUtf8(text);
    }
    EXPECT_EQ(regex->Split(u"\\s*;\\s*", u"x ; y;z")->Length(), 3);
}

// A lazy loop over an empty group never ends in the engine, and nested repetition takes
// exponential time; every way in must come back with an error that names the pattern, and the
// service must stay usable.
TEST_F(RegexTest, RunawayMatchingIsStoppedWithAClearError) {
    const auto stopped = [](StringView pattern) {
        return u"Matching the pattern \"" + String(pattern) + u"\" took too long and was stopped";
    };
    const String nested = u"(a+)+b";
    const String as(40, u'a');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(testing::raised([&] { regex->IsMatch(u"()*?c", u"y"); }).reason(), stopped(u"()*?c"));
    EXPECT_EQ(testing::raised([&] { regex->Matcher(nested, as); }).reason(), stopped(nested));
    EXPECT_EQ(testing::raised([&] { regex->Split(nested, as); }).reason(), stopped(nested));
    EXPECT_EQ(testing::raised([&] { regex->Replace(nested, as, u"x"); }).reason(), stopped(nested));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_TRUE(regex->IsMatch(u"a+", u"aaa"));
}

}  // namespace
}  // namespace zemtra
