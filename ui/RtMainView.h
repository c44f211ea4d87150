// The main view of a page's view controller: it holds the page's root panel and places it, in
// each layout pass, below the status bar (the desktop has none, so its offset is 0). The panel
// fills the main view's width and its height less that offset.
#pragma once

#include <memory>

#include "ui/RtPanelView.h"

namespace zemtra {

class RtViewController;

class RtMainView final : public UiView {
  public:
    static constexpr StringView kClassName = u"RtMainView";
    RtMainView() = default;
    String className() const override { return String(kClassName); }

    // Adds the root panel as the only subview; the controller is held weakly.
    void attach(const std::shared_ptr<RtPanelView>& rootPanel,
                const std::shared_ptr<RtViewController>& controller);
    const std::shared_ptr<RtPanelView>& rootPanel() const { return rootPanel_; }
    std::shared_ptr<RtViewController> controller() const;

    int32_t statusBarOffset() const { return statusBarOffset_; }
    // Places the panel with this offset until the next layout pass measures the status bar again.
    void setStatusBarHeight(int32_t height);
    // The layout pass: places the root panel when the offset or the main view's size changed since
    // last time (the status bar is measured first unless told otherwise).
    void placeRootPanel(bool measureStatusBar = true);

  protected:
    void layoutSubviews() override { placeRootPanel(); }

  private:
    std::shared_ptr<RtPanelView> rootPanel_;
    std::weak_ptr<RtViewController> controller_;
    int32_t statusBarOffset_ = 0;
    int32_t placedOffset_ = -1;
    float placedWidth_ = -1;
    float placedHeight_ = -1;
};

}  // namespace zemtra
