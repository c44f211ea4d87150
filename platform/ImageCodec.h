// Decoding and encoding of image files (PNG, JPEG and whatever else the back end's toolkit reads),
// and the density of the display the images are for. Safe to call on the main thread without a
// window.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/ViewTree.h"

namespace zemtra::platform {

enum class ImageFormat { Png, Jpeg };

class ImageCodec {
  public:
    virtual ~ImageCodec() = default;
    // Pixels of the image (scale 1), or nothing when the bytes are not an image.
    virtual std::optional<Image> decode(std::span<const uint8_t> bytes) const = 0;
    // Quality 0 to 100 (JPEG only). Nothing when encoding failed.
    virtual std::optional<std::vector<uint8_t>> encode(const Image& image, ImageFormat format,
                                                       int quality) const = 0;
    // Device pixels per point of the display the images are shown on, known with or without a
    // window (a headless run renders at it too); 1 where there is no display. Above 1, files
    // named "@2x" are preferred.
    virtual float displayScale() const { return 1.0f; }
};

}  // namespace zemtra::platform
