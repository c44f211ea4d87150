// The wrapper of a push button; Text is the title for the normal state ("" when none).
#pragma once

#include "ui/RtViewWrapper.h"
#include "ui/UiButton.h"
#include "ui/UiFont.h"

namespace zemtra {

class RtButtonWrapper final : public RtControlWrapper {
  public:
    static constexpr StringView kClassName = u"RtButtonWrapper";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override { return &classInfoOf<UiButton>(); }
    const MethodTable* methods() const override;

    // Creates a new button of the given style (STYLE_*) and binds its events.
    void Initialize(const std::shared_ptr<RtCore>& core, const String& prefix, int32_t style = 1);

    String Text() const { return button().title(); }
    void setText(const String& text) { button().setTitle(text); }
    std::shared_ptr<RtFontWrapper> Font() const {
        return RtFontWrapper::wrap(button().state().font);
    }
    void setFont(const std::shared_ptr<RtFontWrapper>& font);

    int32_t STYLE_SYSTEM() const { return 1; }
    int32_t STYLE_DETAIL_DISCLOSURE() const { return 2; }
    int32_t STYLE_INFO() const { return 3; }
    int32_t STYLE_CONTACT_ADD() const { return 5; }

    UiButton& button() const { return *objectAs<UiButton>(); }
};

}  // namespace zemtra
