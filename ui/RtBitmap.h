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

class RtBitmap final : public RtObjectWrapper {
  public:
    static constexpr StringView kClassName = u"RtBitmap";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override { return &classInfoOf<UiImage>(); }
    const MethodTable* methods() const override;

    void Initialize(const String& dir, const String& fileName);
    float Width() const { return image().width(); }
    float Height() const { return image().height(); }

    // The image of a file by the rule above; raises like Initialize.
    static std::shared_ptr<UiImage> load(StringView dir, StringView fileName);
    // Decodes bytes as an image of that scale; raises "Error loading image." when they are not one.
    static std::shared_ptr<UiImage> decode(const std::vector<uint8_t>& bytes, float scale);

    UiImage& image() const { return *objectAs<UiImage>(); }
};

}  // namespace zemtra
