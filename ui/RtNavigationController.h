// The navigation stack: a container view that shows the top page's main view between an
// optional navigation bar (with the top page's title) and an optional toolbar. Pages that come
// on top appear; pages that leave the top disappear. All four orientations are allowed (mask 30).
#pragma once

#include <memory>
#include <vector>

#include "ui/RtViewController.h"
#include "ui/UiLabel.h"

namespace zemtra {

class RtNavigationController final : public UiViewController {
  public:
    static constexpr StringView kClassName = u"RtNavigationController";
    static constexpr float kBarHeight = 44;

    static std::shared_ptr<RtNavigationController> create();
    String className() const override { return String(kClassName); }
    ~RtNavigationController() override;

    std::shared_ptr<UiView> view() const override;
    int32_t supportedInterfaceOrientations() const { return 30; }

    const std::vector<std::shared_ptr<RtViewController>>& stack() const { return stack_; }
    std::shared_ptr<RtViewController> topController() const {
        return stack_.empty() ? nullptr : stack_.back();
    }
    // Pops back to the controller when it is on the stack, otherwise pushes it.
    void show(const std::shared_ptr<RtViewController>& controller);
    void setStack(std::vector<std::shared_ptr<RtViewController>> controllers);
    void popTop();

    bool navigationBarHidden() const { return navigationBarHidden_; }
    void setNavigationBarHidden(bool hidden);
    bool toolbarHidden() const { return toolbarHidden_; }
    void setToolbarHidden(bool hidden);
    bool toolbarTranslucent() const { return toolbarTranslucent_; }
    void setToolbarTranslucent(bool translucent) { toolbarTranslucent_ = translucent; }

    void titleChanged(const RtViewController& controller);

  private:
    class ContainerView;
    RtNavigationController() = default;
    void replaceStack(std::vector<std::shared_ptr<RtViewController>> controllers);
    void layout();

    std::shared_ptr<ContainerView> view_;
    std::shared_ptr<UiView> navigationBar_;
    std::shared_ptr<UiLabel> titleLabel_;
    std::shared_ptr<UiView> toolbar_;
    std::vector<std::shared_ptr<RtViewController>> stack_;
    bool navigationBarHidden_ = false;
    bool toolbarHidden_ = true;
    bool toolbarTranslucent_ = true;
};

}  // namespace zemtra
