// The platform view of our own retained view tree (what a wrapper wraps): float geometry kept as
// a centre and a bounds size, appearance, children in back-to-front order, and the gestures that
// binding attached. Every change is announced to the renderer of the window the view is in, if
// any, so a back end can mirror it; with no renderer (headless) the tree works on its own.
//
// Ownership: a parent holds its children; a child knows its parent without owning it. Views are
// created with std::make_shared (wrappers, attached maps and queued steps hold them by
// shared_ptr or weak_ptr). Main thread only.
#pragma once

#include <memory>
#include <vector>

#include "platform/ViewTree.h"
#include "runtime/core/Object.h"

namespace zemtra {

class RtCore;

class UiView : public Object, public platform::ViewNode {
  public:
    static constexpr StringView kClassName = u"UiView";
    UiView() : UiView(platform::ViewKind::Plain) {}
    ~UiView() override;
    String className() const override { return String(kClassName); }
    String description() const override;

    // platform::ViewNode
    const platform::ViewState& state() const override { return state_; }
    size_t childCount() const override { return children_.size(); }
    platform::ViewNode& childAt(size_t index) override { return *children_.at(index); }
    bool reactsToTaps() const override { return tapEvent_ || longPressEvent_; }
    bool recognisesLongPress() const override;
    void tap() override;
    void longPress() override;
    void touch(platform::TouchAction action, float x, float y) override;
    void slide(float) override {}
    void editText(std::u16string) override {}

    // Geometry.
    float centerX() const { return state_.centerX; }
    float centerY() const { return state_.centerY; }
    float width() const { return state_.width; }
    float height() const { return state_.height; }
    float left() const { return state_.centerX - state_.width / 2; }
    float top() const { return state_.centerY - state_.height / 2; }
    void setCenter(float x, float y, int32_t animationMillis = 0);
    // A new size runs layoutSubviews (at once, on this view only).
    void setBoundsSize(float width, float height, int32_t animationMillis = 0);
    // Centre (left + width / 2, top + height / 2) and bounds (0, 0, width, height).
    void setFrame(float left, float top, float width, float height, int32_t animationMillis = 0);

    // A view that fills its parent follows every change of the parent's size.
    void setFillsParent(bool fills) { fillsParent_ = fills; }

    // Appearance; each setter announces the change.
    void setBackgroundColor(uint32_t color);
    void setAlpha(float alpha);
    void setHidden(bool hidden);
    void setUserInteractionEnabled(bool enabled);
    void setClipsToBounds(bool clips);
    void setBorder(float width, uint32_t color, float cornerRadius);
    void setTintColor(std::optional<uint32_t> color);
    void setAccessibleName(String name);

    // The tree.
    UiView* parent() const { return parent_; }
    const std::vector<std::shared_ptr<UiView>>& children() const { return children_; }
    // Appends `child` as the frontmost child, taking it from its old parent first.
    void addSubview(const std::shared_ptr<UiView>& child);
    void insertSubview(const std::shared_ptr<UiView>& child, size_t index);
    void removeFromSuperview();
    void bringSubviewToFront(UiView& child);
    void sendSubviewToBack(UiView& child);
    // Whether this view, and every ancestor, is shown (not hidden, alpha above 0.01).
    bool isShownInTree() const;
    // Whether the person can reach this view now: it is shown and no message box is in front of
    // the window (message boxes are modal to the window).
    bool receivesInput() const;
    // The topmost view at `x`, `y` (this view's coordinates) that accepts touches, as a phone
    // finds it: front children first, hidden and non-interactive views skipped, clipping views
    // containing their children. nullptr when the point is outside or nothing accepts it.
    UiView* hitTest(float x, float y);

    // Gestures, attached by event binding; events go through the view's attached map.
    void attachTapGesture() {
        tapEvent_ = true;
        setUserInteractionEnabled(true);
    }
    void attachLongPressGesture() {
        longPressEvent_ = true;
        setUserInteractionEnabled(true);
    }
    bool hasTapGesture() const { return tapEvent_; }
    bool hasLongPressGesture() const { return longPressEvent_; }

    // Focus (keyboard); only one view of the process has it.
    bool requestFocus();
    void resignFocus();
    bool isFocused() const { return state_.focused; }
    // Resigns focus for this view and every view inside it.
    void resignFocusRecursive();

    // Text views and labels answer the size of their text; other views keep theirs.
    virtual void sizeToFit() {}

    // Makes this view the root of a rendered tree (the window): every change inside it goes to
    // `renderer`. nullptr detaches.
    void setRenderer(platform::ViewRenderer* renderer) { renderer_ = renderer; }

  protected:
    explicit UiView(platform::ViewKind kind);
    // After the bounds size changed.
    virtual void layoutSubviews() {}
    // Whether a tap that reaches this view stops here even without a tap gesture (controls).
    virtual bool consumesTouches() const { return false; }
    void notify(uint32_t changes);
    platform::ViewRenderer* renderer() const;
    platform::ViewState& mutableState() { return state_; }

  private:
    void detachChild(UiView& child);
    void sizeChanged();
    // Tells the renderer about a new frame, animated over `animationMillis` (0: at once).
    void announceGeometry(int32_t animationMillis);
    // The view whose gesture a touch starting here reaches: this one or the nearest ancestor with
    // it, not past a control; nullptr when none.
    template <typename View>
    static View* gestureTarget(View& start, bool UiView::*gesture);

    platform::ViewState state_;
    UiView* parent_ = nullptr;
    std::vector<std::shared_ptr<UiView>> children_;
    platform::ViewRenderer* renderer_ = nullptr;
    bool fillsParent_ = false;
    bool tapEvent_ = false;
    bool longPressEvent_ = false;
    // The last geometry change was announced as animated: the renderer may still be moving the
    // view, so a change at once must be announced even when the frame is the same.
    bool animated_ = false;
};

}  // namespace zemtra
