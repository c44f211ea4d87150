// The registry of custom view classes.
#include "ui/CustomView.h"

#include <map>

#include "ui/RtPanelView.h"

namespace zemtra {

namespace {
std::map<String, CustomView::Factory, std::less<>>& registry() {
    static std::map<String, CustomView::Factory, std::less<>> classes;
    return classes;
}
}  // namespace

std::shared_ptr<CustomView> CustomView::of(UiView& view) {
    const AttachedMap* map = view.attachedMapIfAny();
    if (!map) return nullptr;
    const auto found = map->find(u"customview");
    return found == map->end() ? nullptr : found->second.as<CustomView>();
}

void CustomView::registerClass(StringView name, Factory factory) {
    registry().insert_or_assign(String(name), std::move(factory));
}

std::shared_ptr<CustomView> CustomView::create(StringView name) {
    const auto found = registry().find(name);
    return found == registry().end() ? nullptr : found->second();
}

void CustomView::resetForTesting() {
    registry().clear();
}

const ClassInfo* RtCustomViewWrapper::getClass() const {
    return &classInfoOf<RtPanelView>();
}

void RtCustomViewWrapper::innerInitialize(const std::shared_ptr<RtCore>& core, StringView prefix,
                                          bool viewExists) {
    RtViewWrapper::innerInitialize(core, prefix, viewExists);
    objectAs<RtPanelView>()->bindTouchEvent();
}

}  // namespace zemtra
