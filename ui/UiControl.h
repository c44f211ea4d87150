// A control (button, slider): a view with an enabled state that takes the touches it receives,
// so a tap on it never reaches a gesture of a view behind or around it.
#pragma once

#include "ui/UiView.h"

namespace zemtra {

class UiControl : public UiView {
  public:
    static constexpr StringView kClassName = u"UiControl";
    String className() const override { return String(kClassName); }

    bool enabled() const { return state().enabled; }
    void setEnabled(bool enabled) {
        mutableState().enabled = enabled;
        notify(platform::change::kInteraction);
    }

    // A disabled control ignores taps and long presses (and blocks them).
    void tap() override {
        if (enabled()) UiView::tap();
    }
    void longPress() override {
        if (enabled()) UiView::longPress();
    }

  protected:
    explicit UiControl(platform::ViewKind kind) : UiView(kind) {}
    bool consumesTouches() const override { return true; }
};

}  // namespace zemtra
