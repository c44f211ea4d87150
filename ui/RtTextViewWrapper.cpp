// Text view wrapper.
#include "ui/RtTextViewWrapper.h"

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCore.h"
#include "ui/RtLabelWrapper.h"

namespace zemtra {

const MethodTable* RtTextViewWrapper::methods() const {
    static const MethodTable table{
        {
            MethodTable::operation("Initialize::", &RtTextViewWrapper::Initialize),
            MethodTable::operation("Text", &RtTextViewWrapper::Text),
            MethodTable::operation("setText:", &RtTextViewWrapper::setText),
            MethodTable::operation("TextColor", &RtTextViewWrapper::TextColor),
            MethodTable::operation("setTextColor:", &RtTextViewWrapper::setTextColor),
            MethodTable::operation("Font", &RtTextViewWrapper::Font),
            MethodTable::operation("setFont:", &RtTextViewWrapper::setFont),
            MethodTable::operation("TextAlignment", &RtTextViewWrapper::TextAlignment),
            MethodTable::operation("setTextAlignment:", &RtTextViewWrapper::setTextAlignment),
            MethodTable::operation("Editable", &RtTextViewWrapper::Editable),
            MethodTable::operation("setEditable:", &RtTextViewWrapper::setEditable),
            MethodTable::operation("ScrollTo:", &RtTextViewWrapper::ScrollTo),
        },
        RtViewWrapper::methods()};
    return &table;
}

void RtTextViewWrapper::Initialize(const std::shared_ptr<RtCore>& core, const String& prefix) {
    setObject(Value(std::make_shared<UiTextView>()));
    innerInitialize(core, prefix, true);
}

void RtTextViewWrapper::setFont(const std::shared_ptr<RtFontWrapper>& font) {
    if (font) textView().setFont(font->font());
}

void RtTextViewWrapper::setTextAlignment(int32_t alignment) {
    textView().setAlignment(textAlignmentFrom(alignment));
}

}  // namespace zemtra
