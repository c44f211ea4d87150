// A multi-line text view that scrolls its text; editable unless told otherwise.
#pragma once

#include <algorithm>

#include "ui/UiView.h"

namespace zemtra {

class UiTextView final : public UiView {
  public:
    static constexpr StringView kClassName = u"UiTextView";
    UiTextView() : UiView(platform::ViewKind::TextView) {}
    String className() const override { return String(kClassName); }
    String description() const override { return formatText(u"<UiTextView: text = %@>", {text()}); }

    const String& text() const { return state().text; }
    void setText(String text) {
        mutableState().text = std::move(text);
        notify(platform::change::kText);
    }
    std::optional<uint32_t> textColor() const { return state().textColor; }
    void setTextColor(std::optional<uint32_t> color) {
        mutableState().textColor = color;
        notify(platform::change::kAppearance);
    }
    const platform::Font& font() const { return state().font; }
    void setFont(platform::Font font) {
        mutableState().font = std::move(font);
        notify(platform::change::kAppearance);
    }
    platform::TextAlignment alignment() const { return state().alignment; }
    void setAlignment(platform::TextAlignment alignment) {
        mutableState().alignment = alignment;
        notify(platform::change::kAppearance);
    }
    bool editable() const { return state().editable; }
    void setEditable(bool editable) {
        mutableState().editable = editable;
        notify(platform::change::kInteraction);
    }
    // Scrolls so the character at `index` shows (clamped to the text).
    void scrollTo(int32_t index) {
        const auto length = static_cast<int32_t>(text().size());
        mutableState().scrollToIndex = std::clamp(index, 0, length);
        notify(platform::change::kScroll);
    }

    void editText(std::u16string text) override {
        if (!editable() || !receivesInput()) return;
        mutableState().text = std::move(text);
        notify(platform::change::kText);
    }

  protected:
    bool consumesTouches() const override { return true; }
};

}  // namespace zemtra
