// The wrappers of text input views and of the multi-line text view.
#pragma once

#include "ui/RtViewWrapper.h"
#include "ui/UiFont.h"
#include "ui/UiTextView.h"

namespace zemtra {

// The keyboard traits of text input views; the desktop keyboard has none of them, so they are
// kept only for reading back.
class RtTextInputTraitsWrapper : public RtViewWrapper {
  public:
    static constexpr StringView kClassName = u"RtTextInputTraitsWrapper";
    String className() const override { return String(kClassName); }
};

class RtTextViewWrapper final : public RtTextInputTraitsWrapper {
  public:
    static constexpr StringView kClassName = u"RtTextViewWrapper";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override { return &classInfoOf<UiTextView>(); }
    const MethodTable* methods() const override;

    void Initialize(const std::shared_ptr<RtCore>& core, const String& prefix);

    String Text() const { return textView().text(); }
    void setText(const String& text) { textView().setText(text); }
    int32_t TextColor() const {
        return static_cast<int32_t>(textView().textColor().value_or(0xFF000000u));
    }
    void setTextColor(int32_t color) { textView().setTextColor(static_cast<uint32_t>(color)); }
    std::shared_ptr<RtFontWrapper> Font() const { return RtFontWrapper::wrap(textView().font()); }
    void setFont(const std::shared_ptr<RtFontWrapper>& font);
    int32_t TextAlignment() const { return static_cast<int32_t>(textView().alignment()); }
    void setTextAlignment(int32_t alignment);
    bool Editable() const { return textView().editable(); }
    void setEditable(bool editable) { textView().setEditable(editable); }
    void ScrollTo(int32_t index) { textView().scrollTo(index); }

    UiTextView& textView() const { return *objectAs<UiTextView>(); }
};

}  // namespace zemtra
