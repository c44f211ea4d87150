// The wrapper of a text label.
#pragma once

#include "ui/RtViewWrapper.h"
#include "ui/UiFont.h"
#include "ui/UiLabel.h"

namespace zemtra {

class RtLabelWrapper final : public RtViewWrapper {
  public:
    static constexpr StringView kClassName = u"RtLabelWrapper";

    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override { return &classInfoOf<UiLabel>(); }
    const MethodTable* methods() const override;

    // Creates a new label and binds its events.
    void Initialize(const std::shared_ptr<RtCore>& core, const String& prefix);

    String Text() const { return label().text(); }
    void setText(const String& text) { label().setText(text); }
    // The platform's default (opaque black) when none was set.
    int32_t TextColor() const {
        return static_cast<int32_t>(label().textColor().value_or(0xFF000000u));
    }
    void setTextColor(int32_t color) { label().setTextColor(static_cast<uint32_t>(color)); }
    std::shared_ptr<RtFontWrapper> Font() const { return RtFontWrapper::wrap(label().font()); }
    void setFont(const std::shared_ptr<RtFontWrapper>& font);
    bool Multiline() const { return label().multiline(); }
    void setMultiline(bool multiline) { label().setMultiline(multiline); }
    bool AdjustFontSizeToFit() const { return label().adjustFontSizeToFit(); }
    void setAdjustFontSizeToFit(bool adjust) { label().setAdjustFontSizeToFit(adjust); }
    int32_t TextAlignment() const { return static_cast<int32_t>(label().alignment()); }
    void setTextAlignment(int32_t alignment);

    int32_t ALIGNMENT_LEFT() const { return 0; }
    int32_t ALIGNMENT_CENTER() const { return 1; }
    int32_t ALIGNMENT_RIGHT() const { return 2; }

    UiLabel& label() const { return *objectAs<UiLabel>(); }
};

// ALIGNMENT_* (0 left, 1 centre, 2 right) to the platform's alignment; others align left.
platform::TextAlignment textAlignmentFrom(int32_t alignment);

}  // namespace zemtra
