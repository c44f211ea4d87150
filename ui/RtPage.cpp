// Page wrapper.
#include "ui/RtPage.h"

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCore.h"
#include "ui/RtPanelWrapper.h"

namespace zemtra {

const MethodTable* RtPage::methods() const {
    static const MethodTable table{
        MethodTable::operation("Initialize::", &RtPage::Initialize),
        MethodTable::operation("RootPanel", &RtPage::RootPanel),
        MethodTable::operation("Title", &RtPage::Title),
        MethodTable::operation("setTitle:", &RtPage::setTitle),
        MethodTable::operation("HideBackButton", &RtPage::HideBackButton),
        MethodTable::operation("setHideBackButton:", &RtPage::setHideBackButton),
        MethodTable::operation("Prompt", &RtPage::Prompt),
        MethodTable::operation("setPrompt:", &RtPage::setPrompt),
        MethodTable::operation("Visible", &RtPage::Visible),
        MethodTable::operation("ResignFocus", &RtPage::ResignFocus),
        MethodTable::operation("setStatusBarHeight:", &RtPage::setStatusBarHeight),
        MethodTable::operation("IsInitialized", &RtPage::IsInitialized),
    };
    return &table;
}

String RtPage::description() const {
    return formatText(u"Page: %@", {IsInitialized() ? controller().title() : String()});
}

void RtPage::Initialize(const std::shared_ptr<RtCore>& core, const String& prefix) {
    setObject(Value(RtViewController::create(core, prefix)));
}

std::shared_ptr<RtPanelWrapper> RtPage::RootPanel() const {
    auto panel = std::make_shared<RtPanelWrapper>();
    panel->setObject(Value(controller().mainView()->rootPanel()));
    return panel;
}

void RtPage::ResignFocus() {
    controller().mainView()->rootPanel()->resignFocusRecursive();
}

}  // namespace zemtra
