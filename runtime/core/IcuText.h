// The one conversion from ICU's string type to the value model's String, for code that uses ICU.
#pragma once

#include <unicode/unistr.h>

#include "runtime/core/Text.h"

namespace zemtra {

inline String fromIcu(const icu::UnicodeString& text) {
    return String(reinterpret_cast<const char16_t*>(text.getBuffer()),
                  static_cast<size_t>(text.length()));
}

}  // namespace zemtra
