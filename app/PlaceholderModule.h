// Stands in for the word generator's application module until it is built: it answers the
// launch event by showing the "Main" layout on a page, says so in the log, and ends the run
// unless a window is there for the person to close.
#pragma once

#include "runtime/core/MainQueue.h"
#include "runtime/core/Module.h"
#include "ui/RtNavigationControllerWrapper.h"
#include "ui/RtPage.h"
#include "ui/RtPanelWrapper.h"

namespace zemtra::app {

class PlaceholderModule final : public RtStaticModule {
  public:
    static constexpr StringView kClassName = u"zm_main";
    String className() const override { return String(kClassName); }

    const MethodTable* methods() const override {
        static const MethodTable table{
            MethodTable::sub("_application_start:", &PlaceholderModule::_application_start),
            MethodTable::sub("_application_active", &PlaceholderModule::_application_active),
            MethodTable::sub("_application_inactive", &PlaceholderModule::_application_inactive),
            MethodTable::sub("_application_background",
                             &PlaceholderModule::_application_background),
        };
        return &table;
    }

    void _application_start(const std::shared_ptr<RtNavigationControllerWrapper>& navigation) {
        if (navigation) {
            auto page = std::make_shared<RtPage>();
            page->Initialize(bi, u"page1");
            page->RootPanel()->LoadLayout(u"Main", bi);
            navigation->setNavigationBarVisible(false);
            navigation->setToolBarVisible(false);
            navigation->ShowPage(page);
            page_ = page;
        }
        bi->Log(u"Zemtra runtime started; the word generator is not part of this build yet.");
        if (!stayOpen) MainQueue::current().quit(0);
    }
    void _application_active() {}
    void _application_inactive() {}
    void _application_background() {}

    // Keep running until the window is closed (a windowed run).
    bool stayOpen = false;

  private:
    std::shared_ptr<RtPage> page_;
};

}  // namespace zemtra::app
