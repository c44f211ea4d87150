// Message boxes.
#include "ui/RtDialogs.h"

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtObjectWrapper.h"

namespace zemtra {

const MethodTable* RtDialogs::methods() const {
    static const MethodTable table{
        MethodTable::operation("Msgbox::", &RtDialogs::Msgbox),
    };
    return &table;
}

void RtDialogs::Msgbox(const String& message, const String& title) {
    auto alert = std::make_shared<UiAlertView>(title, message);
    alert->addButton(u"OK");
    alert->show();
}

void RtDialogs::Msgbox2(const std::shared_ptr<RtCore>& core, const String& prefix,
                        const String& message, const String& title,
                        std::span<const Value> buttons) {
    auto alert = std::make_shared<UiAlertView>(title, message);
    RtObjectWrapper::setBIAndEventName(*alert, core, prefix);
    alert->attachedMap().insert_or_assign(u"delegate",
                                          Value(std::make_shared<RtAlertViewDelegate>()));
    for (const Value& button : buttons) alert->addButton(button.description());
    alert->show();
}

}  // namespace zemtra
