// Image files through Qt's image readers and writers (PNG, JPEG, ...), and the screens' density as
// Qt reports it (QT_SCALE_FACTOR included). Needs no window.
#pragma once

#include "platform/ImageCodec.h"

namespace zemtra::platform::qt {

class QtImageCodec final : public ImageCodec {
  public:
    std::optional<Image> decode(std::span<const uint8_t> bytes) const override;
    std::optional<std::vector<uint8_t>> encode(const Image& image, ImageFormat format,
                                               int quality) const override;
    float displayScale() const override;
};

}  // namespace zemtra::platform::qt
