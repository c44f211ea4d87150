// Character sets: looking one up by name, encoding a text into a byte array and decoding bytes
// into a text. Names are "utf8" in any letter case, or any IANA character-set name that ICU's
// converters know (compared without regard to case); anything else raises "Invalid CharSet %@".
// Encoding and decoding are strict: a character the set cannot represent, or bytes that are not
// valid in it, are reported, never replaced by a substitute.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "runtime/core/Text.h"

namespace zemtra {

class RtArray;

class TextEncoding {
  public:
    static TextEncoding utf8() { return TextEncoding("UTF-8"); }

    // The ICU converter's canonical name ("UTF-8", "ISO-8859-1", ...).
    const std::string& converterName() const { return converterName_; }

    // The bytes of `text`, or nothing when a character cannot be represented (an unpaired
    // surrogate counts as such in every Unicode encoding).
    std::optional<std::vector<uint8_t>> encode(StringView text) const;
    // The text of `bytes`, or nothing when they are not valid in this character set.
    std::optional<String> decode(std::span<const uint8_t> bytes) const;

    bool operator==(const TextEncoding&) const = default;

  private:
    explicit TextEncoding(std::string converterName) : converterName_(std::move(converterName)) {}
    friend TextEncoding getEncoding(StringView name);

    std::string converterName_;
};

// The Common object's getEncoding: the character set named `name`.
TextEncoding getEncoding(StringView name);

namespace strings {
// GetBytes: the text encoded in the character set as a new byte array; an array without storage
// (length 0) when the text cannot be represented in it.
std::shared_ptr<RtArray> GetBytes(StringView text, StringView charset);
}  // namespace strings

// The Common object's BytesToString::::: the `length` bytes from `offset` decoded with the
// character set. Raises "Error decoding data as string." for bytes that are not valid in it, and a
// "RangeError" when the range does not lie within the array's bytes.
String BytesToString(const RtArray& bytes, int32_t offset, int32_t length, StringView charset);

}  // namespace zemtra
