// Slider wrapper.
#include "ui/RtSliderWrapper.h"

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCore.h"

namespace zemtra {

const MethodTable* RtSliderWrapper::methods() const {
    static const MethodTable table{
        {
            MethodTable::operation("Initialize::", &RtSliderWrapper::Initialize),
            MethodTable::operation("Value", &RtSliderWrapper::Value),
            MethodTable::operation("setValue:", &RtSliderWrapper::setValue),
            MethodTable::operation("MinimumValue", &RtSliderWrapper::MinimumValue),
            MethodTable::operation("setMinimumValue:", &RtSliderWrapper::setMinimumValue),
            MethodTable::operation("MaximumValue", &RtSliderWrapper::MaximumValue),
            MethodTable::operation("setMaximumValue:", &RtSliderWrapper::setMaximumValue),
            MethodTable::operation("Continuous", &RtSliderWrapper::Continuous),
            MethodTable::operation("setContinuous:", &RtSliderWrapper::setContinuous),
        },
        RtControlWrapper::methods()};
    return &table;
}

void RtSliderWrapper::Initialize(const std::shared_ptr<RtCore>& core, const String& prefix) {
    setObject(zemtra::Value(std::make_shared<UiSlider>()));
    innerInitialize(core, prefix, true);
}

void RtSliderWrapper::innerInitialize(const std::shared_ptr<RtCore>& core, StringView prefix,
                                      bool viewExists) {
    RtControlWrapper::innerInitialize(core, prefix, viewExists);
    if (hasMethod(slider(), u"_valuechanged:")) slider().attachValueChangedEvent();
}

}  // namespace zemtra
