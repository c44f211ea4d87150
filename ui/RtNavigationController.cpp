// The navigation stack and its bars.
#include "ui/RtNavigationController.h"

#include <algorithm>

namespace zemtra {

class RtNavigationController::ContainerView final : public UiView {
  public:
    String className() const override { return u"UiNavigationView"; }
    void setOwner(const std::shared_ptr<RtNavigationController>& owner) { owner_ = owner; }

  protected:
    void layoutSubviews() override {
        if (const auto owner = owner_.lock()) owner->layout();
    }

  private:
    std::weak_ptr<RtNavigationController> owner_;
};

std::shared_ptr<RtNavigationController> RtNavigationController::create() {
    std::shared_ptr<RtNavigationController> navigation(new RtNavigationController());
    navigation->view_ = std::make_shared<ContainerView>();
    navigation->view_->setOwner(navigation);
    navigation->navigationBar_ = std::make_shared<UiView>();
    navigation->navigationBar_->setBackgroundColor(0xFFF7F7F7u);
    navigation->titleLabel_ = std::make_shared<UiLabel>();
    navigation->titleLabel_->setAlignment(platform::TextAlignment::Center);
    navigation->navigationBar_->addSubview(navigation->titleLabel_);
    navigation->toolbar_ = std::make_shared<UiView>();
    navigation->toolbar_->setBackgroundColor(0xFFF7F7F7u);
    navigation->toolbar_->setHidden(true);
    navigation->view_->addSubview(navigation->navigationBar_);
    navigation->view_->addSubview(navigation->toolbar_);
    return navigation;
}

std::shared_ptr<UiView> RtNavigationController::view() const {
    return view_;
}

RtNavigationController::~RtNavigationController() {
    for (const auto& controller : stack_) controller->setNavigationController(nullptr);
}

void RtNavigationController::show(const std::shared_ptr<RtViewController>& controller) {
    if (!controller) return;
    std::vector<std::shared_ptr<RtViewController>> next = stack_;
    const auto found = std::find(next.begin(), next.end(), controller);
    if (found != next.end()) {
        next.erase(found + 1, next.end());
    } else {
        next.push_back(controller);
    }
    replaceStack(std::move(next));
}

void RtNavigationController::setStack(std::vector<std::shared_ptr<RtViewController>> controllers) {
    std::erase(controllers, nullptr);
    replaceStack(std::move(controllers));
}

void RtNavigationController::popTop() {
    if (stack_.size() < 2) return;
    std::vector<std::shared_ptr<RtViewController>> next = stack_;
    next.pop_back();
    replaceStack(std::move(next));
}

void RtNavigationController::replaceStack(
    std::vector<std::shared_ptr<RtViewController>> controllers) {
    const std::shared_ptr<RtViewController> oldTop = topController();
    for (const auto& controller : stack_) controller->setNavigationController(nullptr);
    stack_ = std::move(controllers);
    for (const auto& controller : stack_) controller->setNavigationController(this);
    const std::shared_ptr<RtViewController> newTop = topController();
    if (oldTop == newTop) return;
    if (oldTop) {
        oldTop->willDisappear();
        oldTop->view()->removeFromSuperview();
    }
    if (newTop) {
        newTop->willAppear();
        // Below the bars.
        view_->insertSubview(newTop->view(), 0);
        titleLabel_->setText(newTop->title());
    }
    layout();
}

void RtNavigationController::setNavigationBarHidden(bool hidden) {
    navigationBarHidden_ = hidden;
    navigationBar_->setHidden(hidden);
    layout();
}

void RtNavigationController::setToolbarHidden(bool hidden) {
    toolbarHidden_ = hidden;
    toolbar_->setHidden(hidden);
    layout();
}

void RtNavigationController::titleChanged(const RtViewController& controller) {
    if (topController().get() == &controller) titleLabel_->setText(controller.title());
}

void RtNavigationController::layout() {
    const float width = view_->width();
    const float height = view_->height();
    navigationBar_->setFrame(0, 0, width, kBarHeight);
    titleLabel_->setFrame(0, 0, width, kBarHeight);
    toolbar_->setFrame(0, height - kBarHeight, width, kBarHeight);
    const float top = navigationBarHidden_ ? 0 : kBarHeight;
    const float bottom = toolbarHidden_ ? 0 : kBarHeight;
    if (const auto controller = topController()) {
        controller->view()->setFrame(0, top, width, std::max(0.0f, height - top - bottom));
    }
}

}  // namespace zemtra
