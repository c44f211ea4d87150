// Message boxes.
#include "ui/RtDialogs.h"

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtObjectWrapper.h"
#include "runtime/lib/RtList.h"

namespace zemtra {

const MethodTable* RtDialogs::methods() const {
    using ListForm =
        void (RtDialogs::*)(const std::shared_ptr<RtCore>&, const String&, const String&,
                            const String&, const std::shared_ptr<RtList>&);
    static const MethodTable table{
        MethodTable::operation("Msgbox::", &RtDialogs::Msgbox),
        MethodTable::operation("Msgbox2:::::", static_cast<ListForm>(&RtDialogs::Msgbox2)),
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
                        const std::shared_ptr<RtList>& buttons) {
    std::vector<Value> titles;
    const int32_t count = buttons ? buttons->Size() : 0;
    for (int32_t index = 0; index < count; ++index) titles.push_back(buttons->Get(index));
    Msgbox2(core, prefix, message, title, titles);
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
