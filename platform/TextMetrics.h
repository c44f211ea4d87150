// Measuring text as the display back end would draw it (for views that size themselves to fit).
#pragma once

#include <string>

#include "platform/ViewTree.h"

namespace zemtra::platform {

struct TextSize {
    float width = 0;
    float height = 0;
};

class TextMetrics {
  public:
    virtual ~TextMetrics() = default;
    // The size of `text` in `font`; lines wrap at `wrapWidth` when it is above 0.
    virtual TextSize measure(const std::u16string& text, const Font& font,
                             float wrapWidth) const = 0;
};

}  // namespace zemtra::platform
