// View and control wrappers.
#include "ui/RtViewWrapper.h"

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCore.h"
#include "ui/RtMainView.h"
#include "ui/UiControl.h"

namespace zemtra {

const MethodTable* RtViewWrapper::methods() const {
    static const MethodTable table{
        MethodTable::operation("Left", &RtViewWrapper::Left),
        MethodTable::operation("setLeft:", &RtViewWrapper::setLeft),
        MethodTable::operation("Top", &RtViewWrapper::Top),
        MethodTable::operation("setTop:", &RtViewWrapper::setTop),
        MethodTable::operation("Width", &RtViewWrapper::Width),
        MethodTable::operation("setWidth:", &RtViewWrapper::setWidth),
        MethodTable::operation("Height", &RtViewWrapper::Height),
        MethodTable::operation("setHeight:", &RtViewWrapper::setHeight),
        MethodTable::operation("SetLayoutAnimated::::::", &RtViewWrapper::SetLayoutAnimated),
        MethodTable::operation("Color", &RtViewWrapper::Color),
        MethodTable::operation("setColor:", &RtViewWrapper::setColor),
        MethodTable::operation("SetColorAnimated::", &RtViewWrapper::SetColorAnimated),
        MethodTable::operation("Alpha", &RtViewWrapper::Alpha),
        MethodTable::operation("setAlpha:", &RtViewWrapper::setAlpha),
        MethodTable::operation("SetAlphaAnimated::", &RtViewWrapper::SetAlphaAnimated),
        MethodTable::operation("Visible", &RtViewWrapper::Visible),
        MethodTable::operation("setVisible:", &RtViewWrapper::setVisible),
        MethodTable::operation("Tag", &RtViewWrapper::Tag),
        MethodTable::operation("setTag:", &RtViewWrapper::setTag),
        MethodTable::operation("UserInteractionEnabled", &RtViewWrapper::UserInteractionEnabled),
        MethodTable::operation("setUserInteractionEnabled:",
                               &RtViewWrapper::setUserInteractionEnabled),
        MethodTable::operation("TintColor", &RtViewWrapper::TintColor),
        MethodTable::operation("setTintColor:", &RtViewWrapper::setTintColor),
        MethodTable::operation("SetBorder:::", &RtViewWrapper::SetBorder),
        MethodTable::operation("SetShadow:::::", &RtViewWrapper::SetShadow),
        MethodTable::operation("Parent", &RtViewWrapper::Parent),
        MethodTable::operation("RemoveViewFromParent", &RtViewWrapper::RemoveViewFromParent),
        MethodTable::operation("BringToFront", &RtViewWrapper::BringToFront),
        MethodTable::operation("SendToBack", &RtViewWrapper::SendToBack),
        MethodTable::operation("RequestFocus", &RtViewWrapper::RequestFocus),
        MethodTable::operation("ResignFocus", &RtViewWrapper::ResignFocus),
        MethodTable::operation("IsFocused", &RtViewWrapper::IsFocused),
        MethodTable::operation("SizeToFit", &RtViewWrapper::SizeToFit),
        MethodTable::operation("IsInitialized", &RtViewWrapper::IsInitialized),
    };
    return &table;
}

void RtViewWrapper::innerInitialize(const std::shared_ptr<RtCore>& core, StringView prefix, bool) {
    UiView& target = view();
    setBIAndEventName(target, core, prefix);
    if (hasMethod(target, u"_click")) target.attachTapGesture();
    if (hasMethod(target, u"_longclick")) target.attachLongPressGesture();
}

void RtViewWrapper::setLeft(float left) {
    UiView& target = view();
    target.setCenter(left + target.width() / 2, target.centerY());
}

void RtViewWrapper::setTop(float top) {
    UiView& target = view();
    target.setCenter(target.centerX(), top + target.height() / 2);
}

void RtViewWrapper::setWidth(float width) {
    UiView& target = view();
    target.setFrame(target.left(), target.top(), width, target.height());
}

void RtViewWrapper::setHeight(float height) {
    UiView& target = view();
    target.setFrame(target.left(), target.top(), target.width(), height);
}

void RtViewWrapper::SetLayoutAnimated(int32_t duration, float, float left, float top, float width,
                                      float height) {
    view().setFrame(left, top, width, height, duration >= 1 ? duration : 0);
}

void RtViewWrapper::setColor(int32_t color) {
    UiView& target = view();
    target.setBackgroundColor(static_cast<uint32_t>(color));
    if (auto* mainView = dynamic_cast<RtMainView*>(target.parent())) {
        mainView->setBackgroundColor(static_cast<uint32_t>(color));
    }
}

void RtViewWrapper::SetColorAnimated(int32_t, int32_t color) {
    setColor(color);
}

void RtViewWrapper::SetAlphaAnimated(int32_t, float alpha) {
    view().setAlpha(alpha);
}

int32_t RtViewWrapper::TintColor() const {
    return static_cast<int32_t>(view().state().tintColor.value_or(0xFF007AFFu));
}

void RtViewWrapper::SetBorder(float width, int32_t color, float cornerRadius) {
    view().setBorder(width, static_cast<uint32_t>(color), cornerRadius);
}

void RtViewWrapper::SetShadow(int32_t, float, float, float, float) {
    (void)view();
}

Value RtViewWrapper::Parent() const {
    UiView* parent = view().parent();
    return parent ? Value(parent->shared_from_this()) : Value();
}

void RtViewWrapper::RemoveViewFromParent() {
    view().removeFromSuperview();
}

void RtViewWrapper::BringToFront() {
    UiView& target = view();
    if (UiView* parent = target.parent()) parent->bringSubviewToFront(target);
}

void RtViewWrapper::SendToBack() {
    UiView& target = view();
    if (UiView* parent = target.parent()) parent->sendSubviewToBack(target);
}

const ClassInfo* RtControlWrapper::getClass() const {
    return &classInfoOf<UiControl>();
}

const MethodTable* RtControlWrapper::methods() const {
    static const MethodTable table{
        {
            MethodTable::operation("Enabled", &RtControlWrapper::Enabled),
            MethodTable::operation("setEnabled:", &RtControlWrapper::setEnabled),
        },
        RtViewWrapper::methods()};
    return &table;
}

bool RtControlWrapper::Enabled() const {
    return objectAs<UiControl>()->enabled();
}

void RtControlWrapper::setEnabled(bool enabled) {
    objectAs<UiControl>()->setEnabled(enabled);
}

}  // namespace zemtra
