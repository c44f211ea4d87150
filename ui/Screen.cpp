// The screen singleton, the window's root view and the fallback text measure.
#include "ui/Screen.h"

#include <algorithm>
#include <cmath>

#include "ui/UiAlertView.h"

namespace zemtra {

namespace {

std::unique_ptr<Screen>& screenSlot() {
    static std::unique_ptr<Screen> screen;
    return screen;
}

}  // namespace

void UiWindow::setRootViewController(std::shared_ptr<UiViewController> controller) {
    if (rootViewController_) {
        if (const auto old = rootViewController_->view()) old->removeFromSuperview();
    }
    rootViewController_ = std::move(controller);
    if (!rootViewController_) return;
    const auto view = rootViewController_->view();
    insertSubview(view, 0);
    view->setFrame(0, 0, width(), height());
}

void UiWindow::layoutSubviews() {
    if (!rootViewController_) return;
    rootViewController_->view()->setFrame(0, 0, width(), height());
}

Screen& Screen::main() {
    auto& slot = screenSlot();
    if (!slot) slot.reset(new Screen());
    return *slot;
}

void Screen::resetForTesting() {
    screenSlot().reset();
}

Screen::Screen() : window_(std::make_shared<UiWindow>()) {
    window_->setFrame(0, 0, kDesignWidth, kDesignHeight);
}

namespace {
std::shared_ptr<UiView> findIn(const UiView& parent, const String& name) {
    for (const auto& child : parent.children()) {
        if (const AttachedMap* map = child->attachedMapIfAny()) {
            const auto found = map->find(u"name");
            if (found != map->end() && found->second.isString() &&
                toLowerEnUs(*found->second.string()) == name) {
                return child;
            }
        }
        if (auto inside = findIn(*child, name)) return inside;
    }
    return nullptr;
}
}  // namespace

std::shared_ptr<UiView> Screen::findView(StringView name) const {
    return findIn(*window_, toLowerEnUs(name));
}

Screen::~Screen() {
    setRenderer(nullptr);
    if (alertPresenter_) {
        for (const auto& alert : alerts_) alertPresenter_->dismissAlert(*alert);
    }
}

float Screen::scale() const {
    if (renderer_) return renderer_->pixelRatio();
    return imageCodec_ ? imageCodec_->displayScale() : 1.0f;
}

std::shared_ptr<UiView> Screen::overlayParent() const {
    if (const auto& controller = window_->rootViewController()) return controller->view();
    return window_;
}

void Screen::setRenderer(platform::ViewRenderer* renderer) {
    if (renderer_ == renderer) return;
    if (renderer_) renderer_->setRoot(nullptr);
    renderer_ = renderer;
    window_->setRenderer(renderer);
    if (renderer_) renderer_->setRoot(window_.get());
}

void Screen::addAlert(std::shared_ptr<UiAlertView> alert) {
    alerts_.push_back(alert);
    if (alertPresenter_) alertPresenter_->showAlert(*alert);
}

void Screen::removeAlert(const UiAlertView& alert) {
    const auto found = std::find_if(alerts_.begin(), alerts_.end(),
                                    [&alert](const auto& each) { return each.get() == &alert; });
    if (found == alerts_.end()) return;
    // Keep the box alive until the presenter has let go of it.
    const std::shared_ptr<UiAlertView> keep = *found;
    alerts_.erase(found);
    if (alertPresenter_) alertPresenter_->dismissAlert(*keep);
}

platform::TextSize Screen::measureText(const String& text, const platform::Font& font,
                                       float wrapWidth) const {
    if (textMetrics_) return textMetrics_->measure(text, font, wrapWidth);
    // A rough average glyph of 0.55 em and a line of 1.2 em.
    const float glyph = font.size * 0.55f;
    const float line = font.size * 1.2f;
    float widest = 0;
    float lines = 0;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(u'\n', start), text.size());
        const float width = static_cast<float>(end - start) * glyph;
        if (wrapWidth > 0 && width > wrapWidth) {
            lines += std::ceil(width / wrapWidth);
            widest = wrapWidth;
        } else {
            lines += 1;
            widest = std::max(widest, width);
        }
        start = end + 1;
    }
    return {widest, lines * line};
}

}  // namespace zemtra
