// A page's view controller: its main view (which holds and places the root panel), its title,
// prompt and back-button setting, and the appear and disappear events. The attached map holds
// "bi" and "eventName" (the page's module and lower-cased prefix) and "visible" (1 while the page
// is on screen, 0 after it left). Appearing queues prefix + "_appear", disappearing queues
// prefix + "_disappear", both with the controller as sender.
#pragma once

#include <memory>

#include "ui/RtMainView.h"
#include "ui/Screen.h"

namespace zemtra {

class RtNavigationController;

class RtViewController final : public UiViewController {
  public:
    static constexpr StringView kClassName = u"RtViewController";
    String className() const override { return String(kClassName); }
    String description() const override;

    // Stores the module and prefix, then builds the main view with a root panel bound to them.
    static std::shared_ptr<RtViewController> create(const std::shared_ptr<RtCore>& core,
                                                    StringView prefix);

    std::shared_ptr<UiView> view() const override { return mainView_; }
    const std::shared_ptr<RtMainView>& mainView() const { return mainView_; }

    const String& title() const { return title_; }
    // Also the title of the navigation bar while this page is on top.
    void setTitle(String title);
    const String& prompt() const { return prompt_; }
    void setPrompt(String prompt) { prompt_ = std::move(prompt); }
    bool hidesBackButton() const { return hidesBackButton_; }
    void setHidesBackButton(bool hide) { hidesBackButton_ = hide; }

    RtNavigationController* navigationController() const { return navigation_; }
    void setNavigationController(RtNavigationController* navigation) { navigation_ = navigation; }

    bool isVisible() const;
    void willAppear();
    void willDisappear();

  private:
    std::shared_ptr<RtMainView> mainView_;
    String title_;
    String prompt_;
    bool hidesBackButton_ = false;
    RtNavigationController* navigation_ = nullptr;
};

}  // namespace zemtra
