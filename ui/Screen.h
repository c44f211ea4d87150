// The screen and its one window: the size in points (the window's client area on the desktop,
// 340 x 568 at first, the same size headless), the window's root view and root view controller,
// the keyboard focus, the message boxes showing, and the display services the back end installs
// (renderer, message-box presenter, image codec, text metrics).
//
// A documented process-wide singleton of the user-interface layer (Screen::main()); tests start
// from a fresh one with resetForTesting(). Main thread only.
#pragma once

#include <memory>
#include <vector>

#include "platform/AlertPresenter.h"
#include "platform/ImageCodec.h"
#include "platform/TextMetrics.h"
#include "platform/ViewTree.h"
#include "ui/UiView.h"

namespace zemtra {

class UiAlertView;

// Something that owns a view and lays it out (pages, the navigation controller).
class UiViewController : public Object {
  public:
    static constexpr StringView kClassName = u"UiViewController";
    String className() const override { return String(kClassName); }
    virtual std::shared_ptr<UiView> view() const = 0;
};

// The window's root view: it keeps its root view controller's view at its own size.
class UiWindow final : public UiView {
  public:
    static constexpr StringView kClassName = u"UiWindow";
    String className() const override { return String(kClassName); }
    void setRootViewController(std::shared_ptr<UiViewController> controller);
    const std::shared_ptr<UiViewController>& rootViewController() const {
        return rootViewController_;
    }

  protected:
    void layoutSubviews() override;

  private:
    std::shared_ptr<UiViewController> rootViewController_;
};

class Screen {
  public:
    static constexpr float kDesignWidth = 340;
    static constexpr float kDesignHeight = 568;

    static Screen& main();
    static void resetForTesting();
    // Lets go of the back end first (its renderer and presenter are told).
    ~Screen();

    float width() const { return window_->width(); }
    float height() const { return window_->height(); }
    // Pixels per point (images named "@2x" are preferred above 1): the pixel ratio of the window
    // that mirrors the views (as it is now); headless runs mirror nothing, so then the display
    // scale of the image codec; 1 without either.
    float scale() const;
    // The window's client area took a new size; the views inside are laid out again.
    void setSize(float width, float height) { window_->setFrame(0, 0, width, height); }

    const std::shared_ptr<UiWindow>& window() const { return window_; }
    // Where overlays go: the root view of the window's root view controller, else the window.
    std::shared_ptr<UiView> overlayParent() const;

    // The first view in the window, depth first and back to front, whose layout name is `name`
    // (letter case ignored); nullptr when there is none. For input by name (scripts).
    std::shared_ptr<UiView> findView(StringView name) const;

    std::shared_ptr<UiView> focusedView() const { return focused_.lock(); }

    void setFocusedView(const std::shared_ptr<UiView>& view) { focused_ = view; }

    // The message boxes showing, oldest first.
    const std::vector<std::shared_ptr<UiAlertView>>& alerts() const { return alerts_; }
    void addAlert(std::shared_ptr<UiAlertView> alert);
    void removeAlert(const UiAlertView& alert);

    // Back-end services; each may be absent (headless). The Screen does not own them: a back end
    // removes itself (passing nullptr) before it goes away.
    // The renderer mirrors the window's whole tree from now on; the previous one lets go.
    void setRenderer(platform::ViewRenderer* renderer);
    void setAlertPresenter(platform::AlertPresenter* presenter) { alertPresenter_ = presenter; }
    platform::AlertPresenter* alertPresenter() const { return alertPresenter_; }
    void setImageCodec(const platform::ImageCodec* codec) { imageCodec_ = codec; }
    const platform::ImageCodec* imageCodec() const { return imageCodec_; }
    void setTextMetrics(const platform::TextMetrics* metrics) { textMetrics_ = metrics; }
    // The installed metrics, else a rough estimate from the font size.
    platform::TextSize measureText(const String& text, const platform::Font& font,
                                   float wrapWidth) const;

  private:
    Screen();

    std::shared_ptr<UiWindow> window_;
    platform::ViewRenderer* renderer_ = nullptr;
    std::weak_ptr<UiView> focused_;
    std::vector<std::shared_ptr<UiAlertView>> alerts_;
    platform::AlertPresenter* alertPresenter_ = nullptr;
    const platform::ImageCodec* imageCodec_ = nullptr;
    const platform::TextMetrics* textMetrics_ = nullptr;
};

}  // namespace zemtra
