// Navigation stack wrapper.
#include "ui/RtNavigationControllerWrapper.h"

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCore.h"
#include "runtime/lib/RtList.h"
#include "ui/RtPage.h"
#include "ui/Screen.h"

namespace zemtra {

const MethodTable* RtNavigationControllerWrapper::methods() const {
    static const MethodTable table{
        MethodTable::operation("Initialize::", &RtNavigationControllerWrapper::Initialize),
        MethodTable::operation("NavigationBarVisible",
                               &RtNavigationControllerWrapper::NavigationBarVisible),
        MethodTable::operation("setNavigationBarVisible:",
                               &RtNavigationControllerWrapper::setNavigationBarVisible),
        MethodTable::operation("SetNavigationBarVisibleAnimated:",
                               &RtNavigationControllerWrapper::SetNavigationBarVisibleAnimated),
        MethodTable::operation("ToolBarVisible", &RtNavigationControllerWrapper::ToolBarVisible),
        MethodTable::operation("setToolBarVisible:",
                               &RtNavigationControllerWrapper::setToolBarVisible),
        MethodTable::operation("ShowPage:", &RtNavigationControllerWrapper::ShowPage),
        MethodTable::operation("ShowPage2::", &RtNavigationControllerWrapper::ShowPage2),
        MethodTable::operation("SetPagesStack:", &RtNavigationControllerWrapper::SetPagesStack),
        MethodTable::operation("RemoveCurrentPage",
                               &RtNavigationControllerWrapper::RemoveCurrentPage),
        MethodTable::operation("RemoveCurrentPage2:",
                               &RtNavigationControllerWrapper::RemoveCurrentPage2),
        MethodTable::operation("IsInitialized", &RtNavigationControllerWrapper::IsInitialized),
    };
    return &table;
}

std::shared_ptr<RtNavigationControllerWrapper> RtNavigationControllerWrapper::createForHost(
    const std::shared_ptr<RtCore>& core) {
    auto wrapper = std::make_shared<RtNavigationControllerWrapper>();
    wrapper->Initialize(core, u"main");
    Screen::main().window()->setRootViewController(wrapper->objectAs<RtNavigationController>());
    return wrapper;
}

void RtNavigationControllerWrapper::Initialize(const std::shared_ptr<RtCore>& core,
                                               const String& prefix) {
    const auto navigation = RtNavigationController::create();
    setBIAndEventName(*navigation, core, prefix);
    navigation->setToolbarTranslucent(false);
    setObject(Value(navigation));
}

void RtNavigationControllerWrapper::ShowPage2(const std::shared_ptr<RtPage>& page, bool) {
    if (!page) raise(u"", u"Object was not initialized (%@)", {RtViewController::kClassName});
    navigation().show(std::static_pointer_cast<RtViewController>(page->object()));
}

void RtNavigationControllerWrapper::SetPagesStack(const std::shared_ptr<RtList>& pages) {
    std::vector<std::shared_ptr<RtViewController>> controllers;
    const int32_t count = pages ? pages->Size() : 0;
    for (int32_t index = 0; index < count; ++index) {
        const auto page = pages->Get(index).as<RtPage>();
        if (!page) {
            raise(u"Invalid object type", u"Expected: %@, object type: %@",
                  {RtPage::kClassName, pages->Get(index).description()});
        }
        controllers.push_back(page->objectAs<RtViewController>());
    }
    navigation().setStack(std::move(controllers));
}

void RtNavigationControllerWrapper::RemoveCurrentPage2(bool) {
    navigation().popTop();
}

}  // namespace zemtra
