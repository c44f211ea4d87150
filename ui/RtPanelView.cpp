// Panel touches and the queued resize step.
#include "ui/RtPanelView.h"

#include "runtime/core/MainQueue.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtObjectWrapper.h"
#include "ui/CustomView.h"
#include "ui/RtLayoutBuilder.h"

namespace zemtra {

RtPanelView::RtPanelView() : UiView(platform::ViewKind::Panel) {
    mutableState().clipsToBounds = true;
}

void RtPanelView::bindTouchEvent() {
    bi_ = RtObjectWrapper::getBI(*this);
    const Value prefix = RtObjectWrapper::getEventName(*this);
    eventName_ = (prefix.isString() ? *prefix.string() : String()) + u"_touch:::";
    const auto core = bi_.lock();
    touchEventEnabled_ = core && core->hasMethod(eventName_);
}

void RtPanelView::touch(platform::TouchAction action, float x, float y) {
    if (!touchEventEnabled_ || !receivesInput()) return;
    const auto core = bi_.lock();
    if (!core) return;
    const Value parameters[] = {Value::ofInt(static_cast<int32_t>(action)), Value::ofDouble(x),
                                Value::ofDouble(y)};
    core->raiseEvent(Value(shared_from_this()), eventName_, parameters);
}

void RtPanelView::layoutSubviews() {
    if (width() == currentWidth_ && height() == currentHeight_) return;
    currentWidth_ = width();
    currentHeight_ = height();
    MainQueue* queue = MainQueue::currentOrNull();
    if (!queue) return;
    std::weak_ptr<RtPanelView> weak = std::static_pointer_cast<RtPanelView>(shared_from_this());
    queue->post([weak = std::move(weak), width = currentWidth_, height = currentHeight_] {
        if (const auto panel = weak.lock()) panel->runResizeStep(width, height);
    });
}

void RtPanelView::runResizeStep(float width, float height) {
    if (currentWidth_ != width || currentHeight_ != height) return;
    if (const auto custom = CustomView::of(*this)) {
        custom->resize(width, height);
    } else if (RtLayoutBuilder::hasLayoutData(*this)) {
        RtLayoutBuilder::resizeLayout(*this, width, height);
    }
    const Value parameters[] = {Value::ofDouble(width), Value::ofDouble(height)};
    RtObjectWrapper::raiseEvent(*this, u"_resize::", parameters);
}

}  // namespace zemtra
