// Text labels.
#include "ui/UiLabel.h"

#include "ui/Screen.h"

namespace zemtra {

UiLabel::UiLabel() : UiView(platform::ViewKind::Label) {
    mutableState().userInteractionEnabled = false;
}

String UiLabel::description() const {
    return formatText(u"<UiLabel: text = %@>", {text()});
}

void UiLabel::setText(String text) {
    mutableState().text = std::move(text);
    notify(platform::change::kText);
}

void UiLabel::setTextColor(std::optional<uint32_t> color) {
    mutableState().textColor = color;
    notify(platform::change::kAppearance);
}

void UiLabel::setFont(platform::Font font) {
    mutableState().font = std::move(font);
    notify(platform::change::kAppearance);
}

void UiLabel::setAlignment(platform::TextAlignment alignment) {
    mutableState().alignment = alignment;
    notify(platform::change::kAppearance);
}

void UiLabel::setMultiline(bool multiline) {
    mutableState().multiline = multiline;
    notify(platform::change::kAppearance);
}

void UiLabel::setAdjustFontSizeToFit(bool adjust) {
    mutableState().adjustFontSizeToFit = adjust;
    notify(platform::change::kAppearance);
}

void UiLabel::sizeToFit() {
    const platform::TextSize size =
        Screen::main().measureText(text(), font(), multiline() ? width() : 0);
    setFrame(left(), top(), size.width, size.height);
}

}  // namespace zemtra
