// A slider with a float value that always lies between its minimum and maximum.
#pragma once

#include "ui/UiControl.h"

namespace zemtra {

class UiSlider final : public UiControl {
  public:
    static constexpr StringView kClassName = u"UiSlider";
    UiSlider() : UiControl(platform::ViewKind::Slider) {}
    String className() const override { return String(kClassName); }

    float value() const { return state().value; }
    float minimum() const { return state().minimum; }
    float maximum() const { return state().maximum; }
    // Clamped to the range; raises nothing (only the person's moves raise events).
    void setValue(float value);
    // A new bound moves the other bound and the value along when they no longer fit.
    void setMinimum(float minimum);
    void setMaximum(float maximum);
    bool continuous() const { return state().continuous; }
    void setContinuous(bool continuous);
    void setMinimumTrackColor(std::optional<uint32_t> color);

    // Raise prefix + "_valuechanged:" on the person's moves (set by binding).
    void attachValueChangedEvent() { valueChangedEvent_ = true; }

    // The person moved the slider: clamped first; a value equal to the current one raises nothing,
    // otherwise the value changes and the event is queued with it (a boxed Float).
    void slide(float value) override;

  private:
    bool valueChangedEvent_ = false;
};

}  // namespace zemtra
