// Geometry, appearance, the child list, hit testing and gesture delivery of the platform view.
#include "ui/UiView.h"

#include <algorithm>

#include "runtime/core/RtObjectWrapper.h"
#include "ui/Screen.h"

namespace zemtra {

namespace {
// A view this transparent is treated as hidden for touches, as phones do.
constexpr float kMinimumTouchAlpha = 0.01f;
}  // namespace

UiView::UiView(platform::ViewKind kind) {
    state_.kind = kind;
}

UiView::~UiView() {
    for (const auto& child : children_) child->parent_ = nullptr;
}

String UiView::description() const {
    return formatText(
        u"<%@: frame = (%@ %@; %@ %@)>",
        {className(), numberToString(Number::ofFloat(left())),
         numberToString(Number::ofFloat(top())), numberToString(Number::ofFloat(width())),
         numberToString(Number::ofFloat(height()))});
}

platform::ViewRenderer* UiView::renderer() const {
    const UiView* view = this;
    while (view->parent_) view = view->parent_;
    return view->renderer_;
}

void UiView::notify(uint32_t changes) {
    if (platform::ViewRenderer* target = renderer()) target->changed(*this, changes);
}

void UiView::announceGeometry(int32_t animationMillis) {
    state_.animationMillis = animationMillis;
    animated_ = animationMillis > 0;
    notify(platform::change::kGeometry);
    state_.animationMillis = 0;
}

void UiView::setCenter(float x, float y, int32_t animationMillis) {
    const bool moved = state_.centerX != x || state_.centerY != y;
    if (!moved && !(animated_ && animationMillis <= 0)) return;
    state_.centerX = x;
    state_.centerY = y;
    announceGeometry(animationMillis);
}

void UiView::setBoundsSize(float width, float height, int32_t animationMillis) {
    const bool resized = state_.width != width || state_.height != height;
    if (!resized && !(animated_ && animationMillis <= 0)) return;
    state_.width = width;
    state_.height = height;
    announceGeometry(animationMillis);
    if (resized) sizeChanged();
}

void UiView::sizeChanged() {
    for (const auto& child : children_) {
        if (child->fillsParent_) child->setFrame(0, 0, state_.width, state_.height);
    }
    layoutSubviews();
}

void UiView::setFrame(float left, float top, float width, float height, int32_t animationMillis) {
    // Bounds first, then the centre, so layoutSubviews sees the final size and a renderer sees
    // the final frame once the centre is announced.
    const bool resized = state_.width != width || state_.height != height;
    state_.width = width;
    state_.height = height;
    const float x = left + width / 2;
    const float y = top + height / 2;
    const bool centreChanged = state_.centerX != x || state_.centerY != y;
    state_.centerX = x;
    state_.centerY = y;
    // A frame set at once while an animation may still run stops it there, even when the model
    // already holds that frame.
    if (resized || centreChanged || (animated_ && animationMillis <= 0))
        announceGeometry(animationMillis);
    if (resized) sizeChanged();
}

void UiView::setBackgroundColor(uint32_t color) {
    state_.backgroundColor = color;
    notify(platform::change::kAppearance);
}

void UiView::setAlpha(float alpha) {
    state_.alpha = std::clamp(alpha, 0.0f, 1.0f);
    notify(platform::change::kAppearance);
}

void UiView::setHidden(bool hidden) {
    // Announced even when unchanged: the display timer sets every view on every tick and a
    // renderer may rely on seeing the state it is told.
    state_.hidden = hidden;
    notify(platform::change::kVisibility);
}

void UiView::setUserInteractionEnabled(bool enabled) {
    if (state_.userInteractionEnabled == enabled) return;
    state_.userInteractionEnabled = enabled;
    notify(platform::change::kInteraction);
}

void UiView::setClipsToBounds(bool clips) {
    state_.clipsToBounds = clips;
    notify(platform::change::kAppearance);
}

void UiView::setBorder(float width, uint32_t color, float cornerRadius) {
    state_.borderWidth = width;
    state_.borderColor = color;
    state_.cornerRadius = cornerRadius;
    notify(platform::change::kAppearance);
}

void UiView::setTintColor(std::optional<uint32_t> color) {
    state_.tintColor = color;
    notify(platform::change::kAppearance);
}

void UiView::setAccessibleName(String name) {
    state_.accessibleName = std::move(name);
    notify(platform::change::kText);
}

void UiView::addSubview(const std::shared_ptr<UiView>& child) {
    insertSubview(child, children_.size());
}

void UiView::insertSubview(const std::shared_ptr<UiView>& child, size_t index) {
    if (!child || child.get() == this) return;
    // Adding an ancestor below one of its descendants would make a cycle that owns itself.
    for (const UiView* ancestor = parent_; ancestor; ancestor = ancestor->parent_) {
        if (ancestor == child.get()) return;
    }
    const std::shared_ptr<UiView> keep = child;
    if (child->parent_) child->parent_->detachChild(*child);
    index = std::min(index, children_.size());
    children_.insert(children_.begin() + static_cast<ptrdiff_t>(index), child);
    child->parent_ = this;
    if (platform::ViewRenderer* target = renderer()) target->inserted(*this, *child, index);
}

void UiView::removeFromSuperview() {
    if (!parent_) return;
    const auto keep = std::static_pointer_cast<UiView>(shared_from_this());
    parent_->detachChild(*this);
}

void UiView::detachChild(UiView& child) {
    const auto found = std::find_if(
        children_.begin(), children_.end(),
        [&child](const std::shared_ptr<UiView>& each) { return each.get() == &child; });
    if (found == children_.end()) return;
    if (platform::ViewRenderer* target = renderer()) target->removing(*this, child);
    if (child.isFocused()) child.resignFocus();
    child.parent_ = nullptr;
    children_.erase(found);
}

void UiView::bringSubviewToFront(UiView& child) {
    const auto found = std::find_if(
        children_.begin(), children_.end(),
        [&child](const std::shared_ptr<UiView>& each) { return each.get() == &child; });
    if (found == children_.end()) return;
    std::rotate(found, found + 1, children_.end());
    if (platform::ViewRenderer* target = renderer()) target->reordered(*this);
}

void UiView::sendSubviewToBack(UiView& child) {
    const auto found = std::find_if(
        children_.begin(), children_.end(),
        [&child](const std::shared_ptr<UiView>& each) { return each.get() == &child; });
    if (found == children_.end()) return;
    std::rotate(children_.begin(), found, found + 1);
    if (platform::ViewRenderer* target = renderer()) target->reordered(*this);
}

bool UiView::isShownInTree() const {
    for (const UiView* view = this; view; view = view->parent_) {
        if (view->state_.hidden || view->state_.alpha <= kMinimumTouchAlpha) return false;
    }
    return true;
}

UiView* UiView::hitTest(float x, float y) {
    if (state_.hidden || !state_.userInteractionEnabled || state_.alpha <= kMinimumTouchAlpha)
        return nullptr;
    const bool inside = x >= 0 && y >= 0 && x < state_.width && y < state_.height;
    if (!inside && state_.clipsToBounds) return nullptr;
    for (auto child = children_.rbegin(); child != children_.rend(); ++child) {
        UiView& view = **child;
        if (UiView* hit = view.hitTest(x - view.left(), y - view.top())) return hit;
    }
    return inside ? this : nullptr;
}

bool UiView::receivesInput() const {
    return isShownInTree() && Screen::main().alerts().empty();
}

template <typename View>
View* UiView::gestureTarget(View& start, bool UiView::*gesture) {
    if (!start.receivesInput()) return nullptr;
    for (View* view = &start; view; view = view->parent_) {
        if (!view->state_.userInteractionEnabled) {
            // A view that takes no touches lets them through to its parent; a parent that takes
            // none hides its whole inside from touches.
            if (view == &start) continue;
            return nullptr;
        }
        if (view->*gesture) return view;
        if (view->consumesTouches()) return nullptr;
    }
    return nullptr;
}

bool UiView::recognisesLongPress() const {
    return gestureTarget(*this, &UiView::longPressEvent_) != nullptr;
}

void UiView::tap() {
    if (UiView* target = gestureTarget(*this, &UiView::tapEvent_))
        RtObjectWrapper::raiseUIEvent(*target, u"_click");
}

void UiView::longPress() {
    if (UiView* target = gestureTarget(*this, &UiView::longPressEvent_))
        RtObjectWrapper::raiseUIEvent(*target, u"_longclick");
}

void UiView::touch(platform::TouchAction, float, float) {}

bool UiView::requestFocus() {
    if (!isShownInTree()) return false;
    const std::shared_ptr<UiView> previous = Screen::main().focusedView();
    if (previous.get() == this) return true;
    if (previous) {
        previous->state_.focused = false;
        previous->notify(platform::change::kFocus);
    }
    state_.focused = true;
    Screen::main().setFocusedView(std::static_pointer_cast<UiView>(shared_from_this()));
    notify(platform::change::kFocus);
    return true;
}

void UiView::resignFocus() {
    if (!state_.focused) return;
    state_.focused = false;
    Screen::main().setFocusedView(nullptr);
    notify(platform::change::kFocus);
}

void UiView::resignFocusRecursive() {
    resignFocus();
    for (const auto& child : children_) child->resignFocusRecursive();
}

}  // namespace zemtra
