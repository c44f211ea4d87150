// The wrapper of an image. Loading a file prefers a "@2x" variant on screens of scale above 1:
// - a name whose base (before the last ".") already ends with "@2x" loads with scale 2;
// - otherwise, above scale 1, "name@2x.ext" in the same folder is loaded instead when it exists;
// - sizes in points are the pixel sizes divided by the scale.
// Bytes that do not decode raise "Error loading image." (empty name).
#pragma once

#include <memory>

#include "runtime/core/RtObjectWrapper.h"
#include "ui/UiImageView.h"

namespace zemtra {

class RtInputStream;
class RtOutputStream;

class RtBitmap final : public RtObjectWrapper {
  public:
    static constexpr StringView kClassName = u"RtBitmap";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override { return &classInfoOf<UiImage>(); }
    const MethodTable* methods() const override;

    void Initialize(const String& dir, const String& fileName);
    // Reads the rest of the stream as an image of scale 1 (the stream is not closed).
    void Initialize2(const std::shared_ptr<RtInputStream>& input);
    // Writes the image to the stream: PNG when `format` is "PNG", otherwise JPEG at quality / 100
    // (quality 0 to 100). Raises "Error writing image." when it cannot be encoded.
    void WriteToStream(const std::shared_ptr<RtOutputStream>& output, int32_t quality,
                       const String& format) const;
    float Width() const { return image().width(); }
    float Height() const { return image().height(); }

    // The image of a file by the rule above; raises like Initialize.
    static std::shared_ptr<UiImage> load(StringView dir, StringView fileName);
    // Decodes bytes as an image of that scale; raises "Error loading image." when they are not one.
    static std::shared_ptr<UiImage> decode(const std::vector<uint8_t>& bytes, float scale);

    UiImage& image() const { return *objectAs<UiImage>(); }
};

}  // namespace zemtra
