// Placing a page's root panel.
#include "ui/RtMainView.h"

#include "ui/RtNavigationController.h"
#include "ui/RtViewController.h"

namespace zemtra {

void RtMainView::attach(const std::shared_ptr<RtPanelView>& rootPanel,
                        const std::shared_ptr<RtViewController>& controller) {
    rootPanel_ = rootPanel;
    controller_ = controller;
    // The desktop has no status bar.
    statusBarOffset_ = 0;
    addSubview(rootPanel_);
}

std::shared_ptr<RtViewController> RtMainView::controller() const {
    return controller_.lock();
}

void RtMainView::setStatusBarHeight(int32_t height) {
    statusBarOffset_ = height;
    placeRootPanel(false);
}

void RtMainView::placeRootPanel(bool measureStatusBar) {
    if (measureStatusBar) statusBarOffset_ = 0;
    if (statusBarOffset_ == placedOffset_ && width() == placedWidth_ && height() == placedHeight_)
        return;
    placedOffset_ = statusBarOffset_;
    placedWidth_ = width();
    placedHeight_ = height();
    const auto offset = static_cast<float>(statusBarOffset_);
    if (rootPanel_) rootPanel_->setFrame(0, offset, width(), height() - offset);
}

}  // namespace zemtra
