// Panel wrapper.
#include "ui/RtPanelWrapper.h"

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCore.h"
#include "runtime/lib/RtList.h"
#include "ui/RtLayoutBuilder.h"

namespace zemtra {

const MethodTable* RtPanelWrapper::methods() const {
    static const MethodTable table{
        {
            MethodTable::operation("Initialize::", &RtPanelWrapper::Initialize),
            MethodTable::operation("AddView:::::", &RtPanelWrapper::AddView),
            MethodTable::operation("LoadLayout::", &RtPanelWrapper::LoadLayout),
            MethodTable::operation("GetAllViewsRecursive", &RtPanelWrapper::GetAllViewsRecursive),
            MethodTable::operation("NumberOfViews", &RtPanelWrapper::NumberOfViews),
            MethodTable::operation("Size", &RtPanelWrapper::Size),
            MethodTable::operation("GetView:", &RtPanelWrapper::GetView),
            MethodTable::operation("Get:", &RtPanelWrapper::Get),
            MethodTable::operation("RemoveViewAt:", &RtPanelWrapper::RemoveViewAt),
            MethodTable::operation("RemoveAllViews", &RtPanelWrapper::RemoveAllViews),
            MethodTable::operation("ACTION_DOWN", &RtPanelWrapper::ACTION_DOWN),
            MethodTable::operation("ACTION_UP", &RtPanelWrapper::ACTION_UP),
            MethodTable::operation("ACTION_MOVE", &RtPanelWrapper::ACTION_MOVE),
        },
        RtViewWrapper::methods()};
    return &table;
}

void RtPanelWrapper::Initialize(const std::shared_ptr<RtCore>& core, const String& prefix) {
    innerInitialize(core, prefix, false);
}

void RtPanelWrapper::innerInitialize(const std::shared_ptr<RtCore>& core, StringView prefix,
                                     bool viewExists) {
    if (!viewExists || !IsInitialized()) setObject(zemtra::Value(std::make_shared<RtPanelView>()));
    RtViewWrapper::innerInitialize(core, prefix, true);
    panel().bindTouchEvent();
}

void RtPanelWrapper::AddView(const zemtra::Value& view, float left, float top, float width,
                             float height) {
    RtPanelView& parent = panel();
    std::shared_ptr<UiView> child = view.as<UiView>();
    if (const auto wrapper = view.as<RtViewWrapper>()) {
        child = std::static_pointer_cast<UiView>(wrapper->object());
    }
    if (!child) {
        raise(
            u"Invalid object type", u"Expected: %@, object type: %@",
            {UiView::kClassName, view.object() ? view.object()->className() : view.description()});
    }
    parent.addSubview(child);
    child->setFrame(left, top, width, height);
}

std::shared_ptr<RtLayoutValues> RtPanelWrapper::LoadLayout(const String& name,
                                                           const std::shared_ptr<RtCore>& core) {
    return RtLayoutBuilder::loadLayout(name, core, panel());
}

namespace {
// Depth first, each parent before its children.
void collectViews(const UiView& parent, std::vector<zemtra::Value>& views) {
    for (const auto& child : parent.children()) {
        views.emplace_back(child);
        if (const auto* panel = dynamic_cast<const RtPanelView*>(child.get()))
            collectViews(*panel, views);
    }
}
}  // namespace

std::shared_ptr<RtList> RtPanelWrapper::GetAllViewsRecursive() const {
    std::vector<zemtra::Value> views;
    collectViews(panel(), views);
    return RtList::of(std::move(views));
}

const std::shared_ptr<UiView>& RtPanelWrapper::childAt(int32_t index) const {
    const auto& children = panel().children();
    if (index < 0 || static_cast<size_t>(index) >= children.size()) {
        raise(u"", u"Out of bounds. Index=%d Length=%d",
              {decimal(index), decimal(static_cast<long long>(children.size()))});
    }
    return children[static_cast<size_t>(index)];
}

zemtra::Value RtPanelWrapper::GetView(int32_t index) const {
    return zemtra::Value(childAt(index));
}

void RtPanelWrapper::RemoveViewAt(int32_t index) {
    const std::shared_ptr<UiView> child = childAt(index);
    child->removeFromSuperview();
}

void RtPanelWrapper::RemoveAllViews() {
    RtPanelView& parent = panel();
    while (!parent.children().empty()) {
        const std::shared_ptr<UiView> child = parent.children().back();
        child->removeFromSuperview();
    }
}

}  // namespace zemtra
