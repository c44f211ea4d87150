// The runtime's own container view, wrapped by RtPanelWrapper. It clips its children, reports
// touches to its module when bound to a "_touch:::" handler, and after each change of size runs a
// queued resize step:
//
// - a layout pass with the size it already had does nothing;
// - otherwise the size is remembered and a step is queued that captures it; when the step runs
//   and a newer size has arrived meanwhile, it does nothing (so two quick size changes give one
//   step, with the final size);
// - the step resizes the panel's custom view when it has one, otherwise re-applies the panel's
//   stored layout (if any) for the new size, then raises prefix + "_resize::" (width, height as
//   Doubles) at once, the panel as sender.
#pragma once

#include <memory>

#include "ui/UiView.h"

namespace zemtra {

class RtCore;

class RtPanelView final : public UiView {
  public:
    static constexpr StringView kClassName = u"RtPanelView";
    RtPanelView();
    String className() const override { return String(kClassName); }
    bool becomesMainViewOnResize() const override { return true; }

    // Reads the target and the prefix from the attached map (put there by binding), stores
    // prefix + "_touch:::" and notes whether the module has that handler.
    void bindTouchEvent();
    std::shared_ptr<RtCore> bi() const { return bi_.lock(); }
    const String& eventName() const { return eventName_; }
    bool touchEventEnabled() const { return touchEventEnabled_; }
    float currentWidth() const { return currentWidth_; }
    float currentHeight() const { return currentHeight_; }

    // A touch at x, y in this panel's coordinates, raised now when the module has the handler.
    void touch(platform::TouchAction action, float x, float y) override;

  protected:
    void layoutSubviews() override;

  private:
    void runResizeStep(float width, float height);

    std::weak_ptr<RtCore> bi_;
    String eventName_;
    bool touchEventEnabled_ = false;
    float currentWidth_ = 0;
    float currentHeight_ = 0;
};

}  // namespace zemtra
