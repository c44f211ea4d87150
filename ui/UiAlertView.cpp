// Message boxes and the receiver of their choice.
#include "ui/UiAlertView.h"

#include <algorithm>

#include "runtime/core/RtObjectWrapper.h"
#include "ui/Screen.h"

namespace zemtra {

String UiAlertView::description() const {
    return formatText(u"<UiAlertView: %@>", {title_});
}

void UiAlertView::show() {
    Screen::main().addAlert(std::static_pointer_cast<UiAlertView>(shared_from_this()));
}

void UiAlertView::press(size_t index) {
    if (index >= buttons_.size()) return;
    const auto keep = std::static_pointer_cast<UiAlertView>(shared_from_this());
    const String title = buttons_[index];
    Screen::main().removeAlert(*this);
    const AttachedMap* map = attachedMapIfAny();
    if (!map) return;
    const auto found = map->find(u"delegate");
    if (found == map->end()) return;
    if (const auto receiver = found->second.as<RtAlertViewDelegate>())
        receiver->clickedButton(*this, title);
}

bool UiAlertView::pressButton(StringView title) {
    const auto found = std::find(buttons_.begin(), buttons_.end(), title);
    if (found == buttons_.end()) return false;
    press(static_cast<size_t>(found - buttons_.begin()));
    return true;
}

void RtAlertViewDelegate::clickedButton(UiAlertView& alert, const String& title) {
    RtObjectWrapper::raiseUIEvent(alert, u"_click:", {Value(title)});
}

}  // namespace zemtra
