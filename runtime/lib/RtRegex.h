// The regular-expression service (the Common object's `Regex`): whole-text tests, matchers,
// replacement and splitting with ICU patterns, over a small process-wide cache of compiled
// patterns. Main thread only: neither the cache nor the shared matchers are guarded.
//
// Every match operation runs under a time limit of about a second: a pattern that would run
// away on a text (some never end) raises "regex" with "Matching the pattern "..." took too long
// and was stopped" instead of holding the main thread.
#pragma once

#include <cstdint>
#include <memory>

#include "runtime/core/MethodTable.h"
#include "runtime/core/Object.h"
#include "runtime/lib/RtArray.h"
#include "runtime/lib/RtMatcher.h"

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class RegexPattern;
U_NAMESPACE_END

namespace zemtra {

class RtRegex : public Object {
  public:
    static constexpr StringView kClassName = u"RtRegex";
    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override;

    // The option bits callers pass (they key the cache); other bits are kept in the key but
    // change nothing.
    static constexpr int32_t kCaseInsensitive = 1;
    static constexpr int32_t kMultiline = 16;
    int32_t CASE_INSENSITIVE() const { return kCaseInsensitive; }
    int32_t MULTILINE() const { return kMultiline; }

    // Whether the whole text matches: the first match the engine finds at index 0 must cover the
    // text (no longer alternative is tried). An empty text never matches.
    bool IsMatch(const String& pattern, const String& text) const {
        return IsMatch2(pattern, 0, text);
    }
    bool IsMatch2(const String& pattern, int32_t options, const String& text) const;

    std::shared_ptr<RtMatcher> Matcher(const String& pattern, const String& text) const {
        return Matcher2(pattern, 0, text);
    }
    std::shared_ptr<RtMatcher> Matcher2(const String& pattern, int32_t options,
                                        const String& text) const;

    // Every match replaced by the template: "$n" is group n, a backslash takes the next character
    // literally, and a "$" not followed by a digit stands for itself. A template naming a group
    // the pattern lacks raises "regex".
    String Replace(const String& pattern, const String& text, const String& replacement) const {
        return Replace2(pattern, 0, text, replacement);
    }
    String Replace2(const String& pattern, int32_t options, const String& text,
                    const String& replacement) const;

    // A one-dimensional array of the pieces between matches: trailing empty pieces are dropped,
    // leading and inner ones kept; no match gives the whole text as the one piece (so an empty
    // text gives one empty string).
    std::shared_ptr<RtArray> Split(const String& pattern, const String& text) const {
        return Split2(pattern, 0, text);
    }
    std::shared_ptr<RtArray> Split2(const String& pattern, int32_t options,
                                    const String& text) const;

    // The compiled pattern for (pattern, options), from the cache or compiled now. A pattern that
    // does not compile raises "regex" with the engine's description and is not cached. When a
    // new entry would make the cache hold more than 51, the cache is emptied first.
    static std::shared_ptr<const icu::RegexPattern> getPattern(StringView pattern, int32_t options);

    static void resetForTesting();
};

}  // namespace zemtra
