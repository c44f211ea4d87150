// The key of the compiled-pattern cache: the pattern text together with the option bits it was
// compiled with, so the same text with different options is a different entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "runtime/core/Text.h"

namespace zemtra {

struct PatternAndOptions {
    String pattern;
    int32_t options = 0;

    bool operator==(const PatternAndOptions&) const = default;

    // The pattern's hash × 31 + options.
    static size_t hash(StringView pattern, int32_t options) {
        return std::hash<StringView>{}(pattern)*31 +
               static_cast<size_t>(static_cast<uint32_t>(options));
    }
    size_t hash() const { return hash(pattern, options); }
};

}  // namespace zemtra
