// The string operations that module code calls on every string value, on UTF-16 code units:
// every index and length counts code units from 0. Searching and slicing are literal (code unit
// by code unit); only CompareTo and the case-insensitive comparisons treat canonically
// equivalent texts (a precomposed letter and its decomposed form) as equal. Case mapping follows
// the fixed en_US rules whatever the process locale. An index or range outside the string
// raises "RangeError" and the string is never read out of range.
#pragma once

#include <cstdint>

#include "runtime/core/Text.h"

namespace zemtra {

// The Common object's text constants. CRLF is a single line feed (code 10), not CR LF.
inline constexpr StringView CRLF = u"\n";
inline constexpr StringView TAB = u"\t";
inline constexpr StringView QUOTE = u"\"";

// Chr: an integer code to a char (its low 16 bits); Asc: a char to its code, 0 to 65535.
inline char16_t Chr(int32_t code) {
    return static_cast<char16_t>(static_cast<uint32_t>(code) & 0xFFFF);
}
inline int32_t Asc(char16_t c) {
    return c;
}

namespace strings {

inline int32_t Length(StringView text) {
    return static_cast<int32_t>(text.size());
}
char16_t CharAt(StringView text, int32_t index);

// IndexOf2 with start 0.
int32_t IndexOf(StringView text, StringView searched);
// The first occurrence at or after `start`, -1 when none; an empty `searched` gives `start`.
// A start beyond the end (or negative) raises.
int32_t IndexOf2(StringView text, StringView searched, int32_t start);
// The last occurrence in the whole string; -1 when none (also for an empty `searched`).
int32_t LastIndexOf(StringView text, StringView searched);
// The last occurrence lying entirely within the first Length - start code units, so that start 0
// searches the whole string like LastIndexOf. A start outside 0..Length raises.
int32_t LastIndexOf2(StringView text, StringView searched, int32_t start);
// Every string contains the empty text.
bool Contains(StringView text, StringView searched);
// An empty prefix or suffix gives false.
bool StartsWith(StringView text, StringView prefix);
bool EndsWith(StringView text, StringView suffix);

String SubString(StringView text, int32_t begin);
// From begin up to, not including, end (begin <= end <= Length).
String SubString2(StringView text, int32_t begin, int32_t end);
// Without leading and trailing Unicode white space and line breaks.
String Trim(StringView text);
String ToLowerCase(StringView text);
String ToUpperCase(StringView text);

// -1, 0 or 1 in character-code order; canonically equivalent texts compare 0.
int32_t CompareTo(StringView text, StringView other);
// The same ignoring letter case (full case folding).
int32_t compareIgnoringCase(StringView text, StringView other);
bool EqualsIgnoreCase(StringView text, StringView other);
// Every non-overlapping occurrence of target, found from left to right, replaced; an empty
// target leaves the text unchanged.
String Replace(StringView text, StringView target, StringView replacement);

}  // namespace strings
}  // namespace zemtra
