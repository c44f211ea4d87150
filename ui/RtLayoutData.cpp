// Designer-script access to a loaded layout's views.
#include "ui/RtLayoutData.h"

#include "runtime/core/MethodTable.h"
#include "ui/RtViewWrapper.h"
#include "ui/UiButton.h"
#include "ui/UiLabel.h"
#include "ui/UiTextView.h"

namespace zemtra {

const MethodTable* RtLayoutData::methods() const {
    static const MethodTable table{
        MethodTable::operation("get:", &RtLayoutData::get),
        MethodTable::operation("setText::", &RtLayoutData::setText),
        MethodTable::operation("setTextSize::", &RtLayoutData::setTextSize),
        MethodTable::operation("getTextSize:", &RtLayoutData::getTextSize),
    };
    return &table;
}

UiView& RtLayoutData::viewNamed(const String& name) const {
    const auto found = viewsMap.find(toLowerEnUs(name));
    if (found == viewsMap.end() || !found->second.view) raise(u"", u"View not found: %@", {name});
    return *found->second.view;
}

std::shared_ptr<RtViewWrapper> RtLayoutData::get(const String& name) const {
    auto wrapper = std::make_shared<RtViewWrapper>();
    wrapper->setObject(Value(viewNamed(name).shared_from_this()));
    return wrapper;
}

void RtLayoutData::setText(const String& name, const String& text) const {
    UiView& view = viewNamed(name);
    if (auto* label = dynamic_cast<UiLabel*>(&view)) label->setText(text);
    if (auto* button = dynamic_cast<UiButton*>(&view)) button->setTitle(text);
    if (auto* textView = dynamic_cast<UiTextView*>(&view)) textView->setText(text);
}

void RtLayoutData::setTextSize(const String& name, float size) const {
    UiView& view = viewNamed(name);
    platform::Font font = view.state().font;
    font.size = size;
    if (auto* label = dynamic_cast<UiLabel*>(&view)) label->setFont(font);
    if (auto* button = dynamic_cast<UiButton*>(&view)) button->setFont(font);
    if (auto* textView = dynamic_cast<UiTextView*>(&view)) textView->setFont(font);
}

float RtLayoutData::getTextSize(const String& name) const {
    return viewNamed(name).state().font.size;
}

}  // namespace zemtra
