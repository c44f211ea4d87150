// The value model's text type (UTF-16 code units, as module code indexes it) and the few
// conversions the runtime core needs: UTF-8 at the process's edges and reason formatting.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace zemtra {

using String = std::u16string;
using StringView = std::u16string_view;

// Invalid UTF-8 sequences become U+FFFD; nothing is dropped silently.
String fromUtf8(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string toUtf8(StringView text);

// Fills the placeholders %@, %d, %i, %s and %lli of a fixed reason text, in order, with the given
// texts ("%%" stays a literal "%"). Extra placeholders stay as written, extra arguments are
// ignored: a malformed reason never throws while an error is being reported.
String formatText(StringView pattern, std::initializer_list<StringView> arguments);

// Case mapping with the fixed en_US rules, whatever the process locale.
String toLowerEnUs(StringView text);
String toUpperEnUs(StringView text);

// Decimal text of an integer, for reason texts.
String decimal(long long value);

}  // namespace zemtra
