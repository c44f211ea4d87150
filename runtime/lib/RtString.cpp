// String operations; comparison, case mapping and white space come from ICU.
#include "runtime/lib/RtString.h"

#include "runtime/core/RtException.h"

#include <unicode/uchar.h>
#include <unicode/unorm.h>

#include <algorithm>

namespace zemtra::strings {

namespace {

[[noreturn]] void outOfRange(int64_t index, size_t length) {
    raise(u"RangeError", u"Index %d beyond bounds of a string of length %d",
          {decimal(index), decimal(static_cast<long long>(length))});
}

// Whether 0 <= index <= length (a position between code units, the end included).
void checkPosition(int64_t index, size_t length) {
    if (index < 0 || static_cast<uint64_t>(index) > length) outOfRange(index, length);
}

int32_t sign(int value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// Whether every code unit is below `limit`.
bool allBelow(StringView text, char16_t limit) {
    return std::all_of(text.begin(), text.end(), [limit](char16_t c) { return c < limit; });
}

char16_t asciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

int32_t compareCanonically(StringView text, StringView other, uint32_t options) {
    // Fast paths for the common case: below U+00C0 no character has a canonical decomposition or
    // is a combining mark, and below U+0080 case folding is plain ASCII lower-casing.
    const bool ignoreCase = (options & U_COMPARE_IGNORE_CASE) != 0;
    if (!ignoreCase && allBelow(text, 0xC0) && allBelow(other, 0xC0))
        return sign(text.compare(other));
    if (ignoreCase && allBelow(text, 0x80) && allBelow(other, 0x80)) {
        const size_t common = std::min(text.size(), other.size());
        for (size_t i = 0; i < common; ++i) {
            const char16_t a = asciiLower(text[i]);
            const char16_t b = asciiLower(other[i]);
            if (a != b) return a < b ? -1 : 1;
        }
        return text.size() == other.size() ? 0 : (text.size() < other.size() ? -1 : 1);
    }
    UErrorCode status = U_ZERO_ERROR;
    const int32_t result = unorm_compare(reinterpret_cast<const UChar*>(text.data()),
                                         static_cast<int32_t>(text.size()),
                                         reinterpret_cast<const UChar*>(other.data()),
                                         static_cast<int32_t>(other.size()), options, &status);
    // Failure is only possible when ICU's normalization data is missing; compare code units then.
    if (U_FAILURE(status)) return sign(text.compare(other));
    return sign(result);
}

}  // namespace

char16_t CharAt(StringView text, int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= text.size()) outOfRange(index, text.size());
    return text[static_cast<size_t>(index)];
}

int32_t IndexOf(StringView text, StringView searched) {
    return IndexOf2(text, searched, 0);
}

int32_t IndexOf2(StringView text, StringView searched, int32_t start) {
    checkPosition(start, text.size());
    if (searched.empty()) return start;
    const size_t found = text.find(searched, static_cast<size_t>(start));
    return found == StringView::npos ? -1 : static_cast<int32_t>(found);
}

int32_t LastIndexOf(StringView text, StringView searched) {
    return LastIndexOf2(text, searched, 0);
}

int32_t LastIndexOf2(StringView text, StringView searched, int32_t start) {
    checkPosition(start, text.size());
    if (searched.empty()) return -1;
    const StringView window = text.substr(0, text.size() - static_cast<size_t>(start));
    const size_t found = window.rfind(searched);
    return found == StringView::npos ? -1 : static_cast<int32_t>(found);
}

bool Contains(StringView text, StringView searched) {
    return IndexOf(text, searched) >= 0;
}

bool StartsWith(StringView text, StringView prefix) {
    return !prefix.empty() && text.starts_with(prefix);
}

bool EndsWith(StringView text, StringView suffix) {
    return !suffix.empty() && text.ends_with(suffix);
}

String SubString(StringView text, int32_t begin) {
    checkPosition(begin, text.size());
    return String(text.substr(static_cast<size_t>(begin)));
}

String SubString2(StringView text, int32_t begin, int32_t end) {
    checkPosition(begin, text.size());
    checkPosition(end, text.size());
    if (end < begin) outOfRange(end, text.size());
    return String(text.substr(static_cast<size_t>(begin), static_cast<size_t>(end - begin)));
}

String Trim(StringView text) {
    // White space and line breaks are all in the Basic Multilingual Plane, so code units suffice.
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && u_isUWhiteSpace(text[begin])) ++begin;
    while (end > begin && u_isUWhiteSpace(text[end - 1])) --end;
    return String(text.substr(begin, end - begin));
}

String ToLowerCase(StringView text) {
    return toLowerEnUs(text);
}

String ToUpperCase(StringView text) {
    return toUpperEnUs(text);
}

int32_t CompareTo(StringView text, StringView other) {
    return compareCanonically(text, other, 0);
}

int32_t compareIgnoringCase(StringView text, StringView other) {
    return compareCanonically(text, other, U_COMPARE_IGNORE_CASE | U_FOLD_CASE_DEFAULT);
}

bool EqualsIgnoreCase(StringView text, StringView other) {
    return compareIgnoringCase(text, other) == 0;
}

String Replace(StringView text, StringView target, StringView replacement) {
    if (target.empty()) return String(text);
    String out;
    out.reserve(text.size());
    size_t from = 0;
    for (size_t found = text.find(target); found != StringView::npos;
         found = text.find(target, from)) {
        out.append(text.substr(from, found - from));
        out.append(replacement);
        from = found + target.size();
    }
    out.append(text.substr(from));
    return out;
}

}  // namespace zemtra::strings
