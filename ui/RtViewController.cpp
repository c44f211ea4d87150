// Page controllers.
#include "ui/RtViewController.h"

#include "runtime/core/RtObjectWrapper.h"
#include "ui/RtNavigationController.h"
#include "ui/RtPanelWrapper.h"

namespace zemtra {

String RtViewController::description() const {
    return formatText(u"<RtViewController: %@>", {title_});
}

std::shared_ptr<RtViewController> RtViewController::create(const std::shared_ptr<RtCore>& core,
                                                           StringView prefix) {
    auto controller = std::make_shared<RtViewController>();
    RtObjectWrapper::setBIAndEventName(*controller, core, prefix);
    controller->attachedMap().insert_or_assign(u"visible", Value::ofInt(0));
    const auto rootPanel = std::make_shared<RtPanelWrapper>();
    rootPanel->Initialize(core, String(prefix));
    controller->mainView_ = std::make_shared<RtMainView>();
    controller->mainView_->attach(rootPanel->objectAs<RtPanelView>(), controller);
    return controller;
}

void RtViewController::setTitle(String title) {
    title_ = std::move(title);
    if (navigation_) navigation_->titleChanged(*this);
}

bool RtViewController::isVisible() const {
    const AttachedMap* map = attachedMapIfAny();
    if (!map) return false;
    const auto found = map->find(u"visible");
    return found != map->end() && found->second.number() && found->second.number()->toBoolean();
}

void RtViewController::willAppear() {
    attachedMap().insert_or_assign(u"visible", Value::ofInt(1));
    RtObjectWrapper::raiseUIEvent(*this, u"_appear");
}

void RtViewController::willDisappear() {
    attachedMap().insert_or_assign(u"visible", Value::ofInt(0));
    RtObjectWrapper::raiseUIEvent(*this, u"_disappear");
}

}  // namespace zemtra
