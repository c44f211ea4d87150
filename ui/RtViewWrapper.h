// The wrapper of any view: geometry by centre and bounds (Left, Top, Width, Height), colour,
// alpha, visibility, the tree operations, focus, and event binding. Every operation needs an
// initialized wrapper ("Object was not initialized (UiView)" otherwise).
//
// Event binding (innerInitialize): the target and the lower-cased prefix go into the view's
// attached map; a tap gesture is attached when the module has prefix + "_click", a long-press
// gesture when it has prefix + "_longclick". Handlers are looked up once, here: a handler added
// later is not noticed. `_click` and `_longclick` are queued to the main queue.
#pragma once

#include <memory>

#include "runtime/core/RtObjectWrapper.h"
#include "ui/UiView.h"

namespace zemtra {

class RtViewWrapper : public RtObjectWrapper {
  public:
    static constexpr StringView kClassName = u"RtViewWrapper";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override { return &classInfoOf<UiView>(); }
    const MethodTable* methods() const override;

    // Binds the view's events; `viewExists` tells a panel that its view is already built.
    virtual void innerInitialize(const std::shared_ptr<RtCore>& core, StringView prefix,
                                 bool viewExists);

    float Left() const { return view().left(); }
    void setLeft(float left);
    float Top() const { return view().top(); }
    void setTop(float top);
    float Width() const { return view().width(); }
    // Keeps the left edge where it was.
    void setWidth(float width);
    float Height() const { return view().height(); }
    // Keeps the top edge where it was.
    void setHeight(float height);
    // Duration in milliseconds (animated when at least 1; the damping is the toolkit's concern).
    void SetLayoutAnimated(int32_t duration, float damping, float left, float top, float width,
                           float height);

    int32_t Color() const { return static_cast<int32_t>(view().state().backgroundColor); }
    // Also colours the parent when the parent is a page's main view (the whole page).
    void setColor(int32_t color);
    void SetColorAnimated(int32_t duration, int32_t color);
    float Alpha() const { return view().state().alpha; }
    void setAlpha(float alpha) { view().setAlpha(alpha); }
    void SetAlphaAnimated(int32_t duration, float alpha);
    bool Visible() const { return !view().state().hidden; }
    void setVisible(bool visible) { view().setHidden(!visible); }
    bool UserInteractionEnabled() const { return view().state().userInteractionEnabled; }
    void setUserInteractionEnabled(bool enabled) { view().setUserInteractionEnabled(enabled); }
    int32_t TintColor() const;
    void setTintColor(int32_t color) { view().setTintColor(static_cast<uint32_t>(color)); }
    void SetBorder(float width, int32_t color, float cornerRadius);
    // Kept for the toolkit; the desktop back end does not draw shadows.
    void SetShadow(int32_t color, float offsetX, float offsetY, float opacity, float radius);

    // The parent view (the platform view itself), or Null.
    Value Parent() const;
    void RemoveViewFromParent();
    void BringToFront();
    void SendToBack();
    bool RequestFocus() { return view().requestFocus(); }
    void ResignFocus() { view().resignFocus(); }
    bool IsFocused() const { return view().isFocused(); }
    void SizeToFit() { view().sizeToFit(); }

    UiView& view() const { return *objectAs<UiView>(); }
};

// The wrapper of a control: adds Enabled.
class RtControlWrapper : public RtViewWrapper {
  public:
    static constexpr StringView kClassName = u"RtControlWrapper";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override;
    const MethodTable* methods() const override;

    bool Enabled() const;
    void setEnabled(bool enabled);
};

}  // namespace zemtra
