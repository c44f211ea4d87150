// The wrapper of a page (RtViewController). Its root panel carries the page's module and event
// prefix, so the panel's resize event is the page's: prefix + "_resize::" (width, height as
// Doubles), queued after the page's layouts were re-applied, once per settled size.
#pragma once

#include <memory>

#include "runtime/core/RtObjectWrapper.h"
#include "ui/RtViewController.h"

namespace zemtra {

class RtPanelWrapper;

class RtPage final : public RtObjectWrapper {
  public:
    static constexpr StringView kClassName = u"RtPage";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override { return &classInfoOf<RtViewController>(); }
    const MethodTable* methods() const override;
    // "Page: %@" with the title.
    String description() const override;

    void Initialize(const std::shared_ptr<RtCore>& core, const String& prefix);
    // A new panel wrapper around the root panel.
    std::shared_ptr<RtPanelWrapper> RootPanel() const;
    String Title() const { return controller().title(); }
    void setTitle(const String& title) { controller().setTitle(title); }
    bool HideBackButton() const { return controller().hidesBackButton(); }
    void setHideBackButton(bool hide) { controller().setHidesBackButton(hide); }
    String Prompt() const { return controller().prompt(); }
    void setPrompt(const String& prompt) { controller().setPrompt(prompt); }
    bool Visible() const { return controller().isVisible(); }
    // Every view inside the root panel gives up the keyboard.
    void ResignFocus();
    void setStatusBarHeight(int32_t height) { controller().mainView()->setStatusBarHeight(height); }

    RtViewController& controller() const { return *objectAs<RtViewController>(); }
};

}  // namespace zemtra
