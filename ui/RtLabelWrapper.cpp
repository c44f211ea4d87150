// Label wrapper.
#include "ui/RtLabelWrapper.h"

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCore.h"

namespace zemtra {

platform::TextAlignment textAlignmentFrom(int32_t alignment) {
    switch (alignment) {
        case 1:
            return platform::TextAlignment::Center;
        case 2:
            return platform::TextAlignment::Right;
        default:
            return platform::TextAlignment::Left;
    }
}

const MethodTable* RtLabelWrapper::methods() const {
    static const MethodTable table{
        {
            MethodTable::operation("Initialize::", &RtLabelWrapper::Initialize),
            MethodTable::operation("Text", &RtLabelWrapper::Text),
            MethodTable::operation("setText:", &RtLabelWrapper::setText),
            MethodTable::operation("TextColor", &RtLabelWrapper::TextColor),
            MethodTable::operation("setTextColor:", &RtLabelWrapper::setTextColor),
            MethodTable::operation("Font", &RtLabelWrapper::Font),
            MethodTable::operation("setFont:", &RtLabelWrapper::setFont),
            MethodTable::operation("Multiline", &RtLabelWrapper::Multiline),
            MethodTable::operation("setMultiline:", &RtLabelWrapper::setMultiline),
            MethodTable::operation("AdjustFontSizeToFit", &RtLabelWrapper::AdjustFontSizeToFit),
            MethodTable::operation("setAdjustFontSizeToFit:",
                                   &RtLabelWrapper::setAdjustFontSizeToFit),
            MethodTable::operation("TextAlignment", &RtLabelWrapper::TextAlignment),
            MethodTable::operation("setTextAlignment:", &RtLabelWrapper::setTextAlignment),
            MethodTable::operation("ALIGNMENT_LEFT", &RtLabelWrapper::ALIGNMENT_LEFT),
            MethodTable::operation("ALIGNMENT_CENTER", &RtLabelWrapper::ALIGNMENT_CENTER),
            MethodTable::operation("ALIGNMENT_RIGHT", &RtLabelWrapper::ALIGNMENT_RIGHT),
        },
        RtViewWrapper::methods()};
    return &table;
}

void RtLabelWrapper::Initialize(const std::shared_ptr<RtCore>& core, const String& prefix) {
    setObject(Value(std::make_shared<UiLabel>()));
    innerInitialize(core, prefix, true);
}

void RtLabelWrapper::setFont(const std::shared_ptr<RtFontWrapper>& font) {
    if (font) label().setFont(font->font());
}

void RtLabelWrapper::setTextAlignment(int32_t alignment) {
    label().setAlignment(textAlignmentFrom(alignment));
}

}  // namespace zemtra
