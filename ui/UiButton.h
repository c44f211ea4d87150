// A push button with a title for its normal state and one of the platform's button styles.
#pragma once

#include "ui/UiControl.h"

namespace zemtra {

class UiButton final : public UiControl {
  public:
    static constexpr StringView kClassName = u"UiButton";
    explicit UiButton(int32_t style = 1) : UiControl(platform::ViewKind::Button), style_(style) {}
    String className() const override { return String(kClassName); }
    String description() const override { return formatText(u"<UiButton: title = %@>", {title()}); }

    const String& title() const { return state().text; }
    void setTitle(String title) {
        mutableState().text = std::move(title);
        notify(platform::change::kText);
    }
    std::optional<uint32_t> titleColor() const { return state().textColor; }
    void setTitleColor(std::optional<uint32_t> color) {
        mutableState().textColor = color;
        notify(platform::change::kAppearance);
    }
    std::optional<uint32_t> pressedTitleColor() const { return pressedTitleColor_; }
    void setPressedTitleColor(std::optional<uint32_t> color) { pressedTitleColor_ = color; }
    void setFont(platform::Font font) {
        mutableState().font = std::move(font);
        notify(platform::change::kAppearance);
    }
    int32_t style() const { return style_; }

  private:
    int32_t style_;
    std::optional<uint32_t> pressedTitleColor_;
};

}  // namespace zemtra
