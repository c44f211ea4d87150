// Images (decoded pixels with a scale: sizes in points are pixel sizes divided by the scale) and
// the view that shows one. Image views do not take touches until a gesture is attached.
#pragma once

#include <memory>

#include "ui/UiView.h"

namespace zemtra {

class UiImage final : public Object {
  public:
    static constexpr StringView kClassName = u"UiImage";
    explicit UiImage(std::shared_ptr<const platform::Image> pixels) : pixels_(std::move(pixels)) {}
    String className() const override { return String(kClassName); }
    String description() const override {
        return u"<UiImage: " + decimal(pixels_->width) + u" x " + decimal(pixels_->height) +
               u" pixels>";
    }

    const std::shared_ptr<const platform::Image>& pixels() const { return pixels_; }
    float scale() const { return pixels_->scale; }
    float width() const { return static_cast<float>(pixels_->width) / pixels_->scale; }
    float height() const { return static_cast<float>(pixels_->height) / pixels_->scale; }

  private:
    std::shared_ptr<const platform::Image> pixels_;
};

class UiImageView final : public UiView {
  public:
    static constexpr StringView kClassName = u"UiImageView";
    UiImageView() : UiView(platform::ViewKind::Image) {
        mutableState().userInteractionEnabled = false;
    }
    String className() const override { return String(kClassName); }

    const std::shared_ptr<UiImage>& image() const { return image_; }
    void setImage(std::shared_ptr<UiImage> image) {
        image_ = std::move(image);
        mutableState().image = image_ ? image_->pixels() : nullptr;
        notify(platform::change::kImage);
    }
    platform::ContentMode contentMode() const { return state().contentMode; }
    void setContentMode(platform::ContentMode mode) {
        mutableState().contentMode = mode;
        notify(platform::change::kImage);
    }
    void sizeToFit() override {
        if (image_) setFrame(left(), top(), image_->width(), image_->height());
    }

  private:
    std::shared_ptr<UiImage> image_;
};

}  // namespace zemtra
