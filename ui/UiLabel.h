// A text label. Labels do not take touches until a gesture is attached to them.
#pragma once

#include "ui/UiView.h"

namespace zemtra {

class UiLabel final : public UiView {
  public:
    static constexpr StringView kClassName = u"UiLabel";
    UiLabel();
    String className() const override { return String(kClassName); }
    String description() const override;

    const String& text() const { return state().text; }
    void setText(String text);
    std::optional<uint32_t> textColor() const { return state().textColor; }
    void setTextColor(std::optional<uint32_t> color);
    const platform::Font& font() const { return state().font; }
    void setFont(platform::Font font);
    platform::TextAlignment alignment() const { return state().alignment; }
    void setAlignment(platform::TextAlignment alignment);
    bool multiline() const { return state().multiline; }
    void setMultiline(bool multiline);
    bool adjustFontSizeToFit() const { return state().adjustFontSizeToFit; }
    void setAdjustFontSizeToFit(bool adjust);

    void sizeToFit() override;
};

}  // namespace zemtra
