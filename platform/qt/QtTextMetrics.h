// Text measured with Qt's font metrics (needs a QGuiApplication).
#pragma once

#include "platform/TextMetrics.h"

namespace zemtra::platform::qt {

class QtTextMetrics final : public TextMetrics {
  public:
    TextSize measure(const std::u16string& text, const Font& font, float wrapWidth) const override;
};

}  // namespace zemtra::platform::qt
