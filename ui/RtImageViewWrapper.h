// The wrapper of an image view.
#pragma once

#include "ui/RtBitmap.h"
#include "ui/RtViewWrapper.h"
#include "ui/UiImageView.h"

namespace zemtra {

class RtImageViewWrapper final : public RtViewWrapper {
  public:
    static constexpr StringView kClassName = u"RtImageViewWrapper";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override { return &classInfoOf<UiImageView>(); }
    const MethodTable* methods() const override;

    void Initialize(const std::shared_ptr<RtCore>& core, const String& prefix);

    // A bitmap around the view's image (uninitialized when the view shows none).
    std::shared_ptr<RtBitmap> Bitmap() const;
    void setBitmap(const std::shared_ptr<RtBitmap>& bitmap);
    int32_t ContentMode() const { return static_cast<int32_t>(imageView().contentMode()); }
    void setContentMode(int32_t mode);

    int32_t MODE_FILL() const { return 0; }
    int32_t MODE_FIT() const { return 1; }
    int32_t MODE_CENTER() const { return 4; }
    int32_t MODE_TOPLEFT() const { return 9; }

    UiImageView& imageView() const { return *objectAs<UiImageView>(); }
};

}  // namespace zemtra
