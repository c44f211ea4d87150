// The wrapper of the navigation stack. The application host makes one (prefix "main") and makes
// its navigation controller the window's root view controller (createForHost).
#pragma once

#include <memory>

#include "runtime/core/RtObjectWrapper.h"
#include "ui/RtNavigationController.h"

namespace zemtra {

class RtList;
class RtPage;

class RtNavigationControllerWrapper final : public RtObjectWrapper {
  public:
    static constexpr StringView kClassName = u"RtNavigationControllerWrapper";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override { return &classInfoOf<RtNavigationController>(); }
    const MethodTable* methods() const override;

    // The host's navigation stack: initialised with `core` and "main", and made the root view
    // controller of the screen's window.
    static std::shared_ptr<RtNavigationControllerWrapper> createForHost(
        const std::shared_ptr<RtCore>& core);

    // Creates the navigation controller, stores the module and prefix, makes its toolbar opaque.
    void Initialize(const std::shared_ptr<RtCore>& core, const String& prefix);

    bool NavigationBarVisible() const { return !navigation().navigationBarHidden(); }
    void setNavigationBarVisible(bool visible) { navigation().setNavigationBarHidden(!visible); }
    void SetNavigationBarVisibleAnimated(bool visible) { setNavigationBarVisible(visible); }
    bool ToolBarVisible() const { return !navigation().toolbarHidden(); }
    void setToolBarVisible(bool visible) { navigation().setToolbarHidden(!visible); }

    void ShowPage(const std::shared_ptr<RtPage>& page) { ShowPage2(page, true); }
    // Goes back to the page when it is on the stack (removing the pages above it), else pushes it.
    void ShowPage2(const std::shared_ptr<RtPage>& page, bool animated);
    // Replaces the stack with the pages of the list, bottom first.
    void SetPagesStack(const std::shared_ptr<RtList>& pages);
    void RemoveCurrentPage() { RemoveCurrentPage2(true); }
    void RemoveCurrentPage2(bool animated);

    RtNavigationController& navigation() const { return *objectAs<RtNavigationController>(); }
};

}  // namespace zemtra
