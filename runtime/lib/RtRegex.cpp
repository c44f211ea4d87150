// The regular-expression service on ICU's RegexPattern / RegexMatcher, and the pattern cache.
#include "runtime/lib/RtRegex.h"
#include "runtime/core/IcuText.h"

#include <unordered_map>
#include <vector>

#include <unicode/regex.h>
#include <unicode/uchar.h>

#include "runtime/core/RtException.h"
#include "runtime/lib/PatternAndOptions.h"

namespace zemtra {

namespace {

// Lookups by (view, options) so a hit builds no key string.
struct KeyView {
    StringView pattern;
    int32_t options;
};

struct KeyHash {
    using is_transparent = void;
    size_t operator()(const PatternAndOptions& key) const { return key.hash(); }
    size_t operator()(const KeyView& key) const {
        return PatternAndOptions::hash(key.pattern, key.options);
    }
};

struct KeyEqual {
    using is_transparent = void;
    bool operator()(const PatternAndOptions& a, const PatternAndOptions& b) const { return a == b; }
    bool operator()(const KeyView& a, const PatternAndOptions& b) const {
        return a.options == b.options && a.pattern == b.pattern;
    }
    bool operator()(const PatternAndOptions& a, const KeyView& b) const { return (*this)(b, a); }
};

using PatternCache = std::unordered_map<PatternAndOptions, std::shared_ptr<const icu::RegexPattern>,
                                        KeyHash, KeyEqual>;

// Emptied wholesale rather than evicted: the module uses a handful of patterns, so clearing is
// rare and needs no bookkeeping.
constexpr size_t kCacheLimit = 50;

std::unique_ptr<PatternCache>& cacheSlot() {
    static std::unique_ptr<PatternCache> cache;
    return cache;
}

uint32_t engineFlags(int32_t options) {
    uint32_t flags = 0;
    if (options & RtRegex::kCaseInsensitive) flags |= UREGEX_CASE_INSENSITIVE;
    if (options & RtRegex::kMultiline) flags |= UREGEX_MULTILINE;
    return flags;
}

// A read-only alias of the caller's text: no copy, so the text must outlive the matcher's use.
icu::UnicodeString alias(StringView text) {
    return icu::UnicodeString(false, text.data(), static_cast<int32_t>(text.size()));
}

// Some patterns never finish on some texts (a lazy loop over an empty group, "()*?c" against
// "y") or take exponential time; one of them would hold the main thread for good. Each match
// operation gets this many of ICU's steps, which are on the order of a millisecond each.
constexpr int32_t kMatchTimeLimit = 1000;

// A matcher of the compiled pattern over `input`, which it references (keep both alive).
std::unique_ptr<icu::RegexMatcher> matcherOver(const icu::RegexPattern& pattern,
                                               const icu::UnicodeString& input) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(pattern.matcher(input, status));
    if (U_FAILURE(status)) raise(u"regex", u"%@", {fromUtf8(u_errorName(status))});
    matcher->setTimeLimit(kMatchTimeLimit, status);
    return matcher;
}

// Raises the engine's failure; running out of time says which pattern and that it was stopped.
[[noreturn]] void raiseMatchFailure(UErrorCode status, const icu::RegexMatcher& matcher) {
    if (status == U_REGEX_TIME_OUT) {
        raise(u"regex", u"%@",
              {formatText(u"Matching the pattern \"%@\" took too long and was stopped",
                          {fromIcu(matcher.pattern().pattern())})});
    }
    raise(u"regex", u"%@", {fromUtf8(u_errorName(status))});
}

// ICU rejects a "$" that does not start a group number; here it stands for itself.
icu::UnicodeString engineTemplate(StringView replacement) {
    icu::UnicodeString out;
    for (size_t i = 0; i < replacement.size(); ++i) {
        const char16_t c = replacement[i];
        if (c == u'\\' && i + 1 < replacement.size()) {
            out.append(c).append(replacement[++i]);
            continue;
        }
        if (c == u'$' && (i + 1 == replacement.size() || !u_isdigit(replacement[i + 1])))
            out.append(u'\\');
        out.append(c);
    }
    return out;
}

}  // namespace

const MethodTable* RtRegex::methods() const {
    static const MethodTable table{
        MethodTable::operation("IsMatch::", &RtRegex::IsMatch),
        MethodTable::operation("IsMatch2:::", &RtRegex::IsMatch2),
        MethodTable::operation("Matcher::", &RtRegex::Matcher),
        MethodTable::operation("Matcher2:::", &RtRegex::Matcher2),
        MethodTable::operation("Replace:::", &RtRegex::Replace),
        MethodTable::operation("Replace2::::", &RtRegex::Replace2),
        MethodTable::operation("Split::", &RtRegex::Split),
        MethodTable::operation("Split2:::", &RtRegex::Split2),
        MethodTable::operation("MULTILINE", &RtRegex::MULTILINE),
        MethodTable::operation("CASE_INSENSITIVE", &RtRegex::CASE_INSENSITIVE),
    };
    return &table;
}

std::shared_ptr<const icu::RegexPattern> RtRegex::getPattern(StringView pattern, int32_t options) {
    auto& cache = cacheSlot();
    if (!cache) cache = std::make_unique<PatternCache>();
    if (const auto hit = cache->find(KeyView{pattern, options}); hit != cache->end())
        return hit->second;

    UParseError where{};
    UErrorCode status = U_ZERO_ERROR;
    std::shared_ptr<const icu::RegexPattern> compiled(
        icu::RegexPattern::compile(alias(pattern), engineFlags(options), where, status));
    if (U_FAILURE(status)) {
        raise(u"regex", u"%@",
              {formatText(u"%@ at offset %d of the pattern \"%@\"",
                          {fromUtf8(u_errorName(status)), decimal(where.offset), pattern})});
    }
    if (cache->size() > kCacheLimit) cache->clear();
    cache->emplace(PatternAndOptions{String(pattern), options}, compiled);
    return compiled;
}

void RtRegex::resetForTesting() {
    cacheSlot().reset();
}

bool RtRegex::IsMatch2(const String& pattern, int32_t options, const String& text) const {
    if (text.empty()) return false;
    const auto compiled = getPattern(pattern, options);
    const icu::UnicodeString input = alias(text);
    const auto matcher = matcherOver(*compiled, input);
    UErrorCode status = U_ZERO_ERROR;
    // lookingAt takes the first match anchored at the start, without trying longer alternatives.
    const bool found = matcher->lookingAt(status);
    if (U_FAILURE(status)) raiseMatchFailure(status, *matcher);
    if (!found) return false;
    return matcher->start(status) == 0 && matcher->end(status) == input.length();
}

std::shared_ptr<RtMatcher> RtRegex::Matcher2(const String& pattern, int32_t options,
                                             const String& text) const {
    const auto compiled = getPattern(pattern, options);
    const icu::UnicodeString input = alias(text);
    const auto matcher = matcherOver(*compiled, input);
    const int32_t groups = matcher->groupCount();
    std::vector<int32_t> ranges;
    UErrorCode status = U_ZERO_ERROR;
    while (matcher->find(status) && U_SUCCESS(status)) {
        for (int32_t group = 0; group <= groups; ++group) {
            ranges.push_back(matcher->start(group, status));
            ranges.push_back(matcher->end(group, status));
        }
    }
    if (U_FAILURE(status)) raiseMatchFailure(status, *matcher);
    return std::make_shared<RtMatcher>(text, groups, std::move(ranges));
}

String RtRegex::Replace2(const String& pattern, int32_t options, const String& text,
                         const String& replacement) const {
    const auto compiled = getPattern(pattern, options);
    const icu::UnicodeString input = alias(text);
    const auto matcher = matcherOver(*compiled, input);
    // replaceAll's own loop takes a match that ran out of time for the end of the matches and
    // answers a half-replaced text without an error; this loop sees every find's status.
    const icu::UnicodeString engineReplacement = engineTemplate(replacement);
    icu::UnicodeString replaced;
    UErrorCode status = U_ZERO_ERROR;
    while (matcher->find(status) && U_SUCCESS(status)) {
        matcher->appendReplacement(replaced, engineReplacement, status);
        if (U_FAILURE(status)) break;
    }
    if (status == U_REGEX_TIME_OUT) raiseMatchFailure(status, *matcher);
    if (U_SUCCESS(status)) matcher->appendTail(replaced);
    // A template naming a missing group leaves ICU's output cut short: report it, never return it.
    if (U_FAILURE(status)) {
        raise(u"regex", u"%@",
              {formatText(u"%@ in the template \"%@\"",
                          {fromUtf8(u_errorName(status)), replacement})});
    }
    return fromIcu(replaced);
}

std::shared_ptr<RtArray> RtRegex::Split2(const String& pattern, int32_t options,
                                         const String& text) const {
    const auto compiled = getPattern(pattern, options);
    const icu::UnicodeString input = alias(text);
    const auto matcher = matcherOver(*compiled, input);
    std::vector<std::pair<int32_t, int32_t>> matches;
    UErrorCode status = U_ZERO_ERROR;
    while (matcher->find(status) && U_SUCCESS(status)) {
        matches.emplace_back(matcher->start(status), matcher->end(status));
    }
    if (U_FAILURE(status)) raiseMatchFailure(status, *matcher);
    if (matches.empty()) return RtArray::ofValues({Value(text)});

    // Walk backwards so that empty pieces after the last non-empty one can be dropped; the
    // pieces are collected as (start, end) from the last to the first.
    std::vector<std::pair<size_t, size_t>> pieces;
    size_t end = text.size();
    bool tookPiece = false;
    for (auto match = matches.rbegin(); match != matches.rend(); ++match) {
        const auto matchEnd = static_cast<size_t>(match->second);
        if (matchEnd < end) {
            pieces.emplace_back(matchEnd, end);
            tookPiece = true;
        } else if (tookPiece) {
            pieces.emplace_back(matchEnd, matchEnd);
        }
        end = static_cast<size_t>(match->first);
    }
    pieces.emplace_back(0, end);

    std::vector<Value> values;
    values.reserve(pieces.size());
    for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece) {
        values.emplace_back(StringView(text).substr(piece->first, piece->second - piece->first));
    }
    return RtArray::ofValues(std::move(values));
}

}  // namespace zemtra
