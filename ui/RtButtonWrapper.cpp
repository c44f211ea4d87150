// Button wrapper.
#include "ui/RtButtonWrapper.h"

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCore.h"

namespace zemtra {

const MethodTable* RtButtonWrapper::methods() const {
    static const MethodTable table{
        {
            MethodTable::operation("Initialize:::", &RtButtonWrapper::Initialize),
            MethodTable::operation("Text", &RtButtonWrapper::Text),
            MethodTable::operation("setText:", &RtButtonWrapper::setText),
            MethodTable::operation("Font", &RtButtonWrapper::Font),
            MethodTable::operation("setFont:", &RtButtonWrapper::setFont),
            MethodTable::operation("STYLE_SYSTEM", &RtButtonWrapper::STYLE_SYSTEM),
            MethodTable::operation("STYLE_DETAIL_DISCLOSURE",
                                   &RtButtonWrapper::STYLE_DETAIL_DISCLOSURE),
            MethodTable::operation("STYLE_INFO", &RtButtonWrapper::STYLE_INFO),
            MethodTable::operation("STYLE_CONTACT_ADD", &RtButtonWrapper::STYLE_CONTACT_ADD),
        },
        RtControlWrapper::methods()};
    return &table;
}

void RtButtonWrapper::Initialize(const std::shared_ptr<RtCore>& core, const String& prefix,
                                 int32_t style) {
    setObject(Value(std::make_shared<UiButton>(style)));
    innerInitialize(core, prefix, true);
}

void RtButtonWrapper::setFont(const std::shared_ptr<RtFontWrapper>& font) {
    if (font) button().setFont(font->font());
}

}  // namespace zemtra
