// The wrapper of a slider. Binding registers for the person's value changes only when the
// module has prefix + "_valuechanged:"; the event is queued with the new value as a Float.
// Values set by code are clamped to the range and raise nothing.
#pragma once

#include "ui/RtViewWrapper.h"
#include "ui/UiSlider.h"

namespace zemtra {

class RtSliderWrapper final : public RtControlWrapper {
  public:
    static constexpr StringView kClassName = u"RtSliderWrapper";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override { return &classInfoOf<UiSlider>(); }
    const MethodTable* methods() const override;

    void Initialize(const std::shared_ptr<RtCore>& core, const String& prefix);
    void innerInitialize(const std::shared_ptr<RtCore>& core, StringView prefix,
                         bool viewExists) override;

    float Value() const { return slider().value(); }
    void setValue(float value) { slider().setValue(value); }
    float MinimumValue() const { return slider().minimum(); }
    void setMinimumValue(float value) { slider().setMinimum(value); }
    float MaximumValue() const { return slider().maximum(); }
    void setMaximumValue(float value) { slider().setMaximum(value); }
    bool Continuous() const { return slider().continuous(); }
    void setContinuous(bool continuous) { slider().setContinuous(continuous); }

    UiSlider& slider() const { return *objectAs<UiSlider>(); }
};

}  // namespace zemtra
