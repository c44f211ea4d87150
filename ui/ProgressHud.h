// The overlay of toasts and of the progress display: it covers the view it is shown on and draws
// a box with a label (and a spinner in the spinner mode). Toasts let touches pass through to the
// views below; the progress overlay takes them.
#pragma once

#include "ui/UiView.h"

namespace zemtra {

class ProgressHud final : public UiView {
  public:
    static constexpr StringView kClassName = u"ProgressHud";
    ProgressHud() : UiView(platform::ViewKind::Overlay) { setFillsParent(true); }
    String className() const override { return String(kClassName); }
    String description() const override { return formatText(u"<ProgressHud: %@>", {labelText()}); }

    platform::OverlayMode mode() const { return state().overlayMode; }
    void setMode(platform::OverlayMode mode) {
        mutableState().overlayMode = mode;
        notify(platform::change::kAppearance);
    }
    const String& labelText() const { return state().text; }
    void setLabelText(String text) {
        mutableState().text = std::move(text);
        notify(platform::change::kText);
    }

    // Covers `parent` as its frontmost child.
    void showOn(UiView& parent) {
        parent.addSubview(std::static_pointer_cast<UiView>(shared_from_this()));
        setFrame(0, 0, parent.width(), parent.height());
    }
    // Hidden overlays are removed from the view tree.
    void hide() { removeFromSuperview(); }
};

}  // namespace zemtra
