// Slider values, ranges and the person's moves.
#include "ui/UiSlider.h"

#include <algorithm>
#include <cmath>

#include "runtime/core/RtObjectWrapper.h"

namespace zemtra {

void UiSlider::setValue(float value) {
    if (std::isnan(value)) return;
    mutableState().value = std::clamp(value, minimum(), maximum());
    notify(platform::change::kValue);
}

void UiSlider::setMinimum(float minimum) {
    if (std::isnan(minimum)) return;
    platform::ViewState& state = mutableState();
    state.minimum = minimum;
    state.maximum = std::max(state.maximum, minimum);
    state.value = std::clamp(state.value, state.minimum, state.maximum);
    notify(platform::change::kValue);
}

void UiSlider::setMaximum(float maximum) {
    if (std::isnan(maximum)) return;
    platform::ViewState& state = mutableState();
    state.maximum = maximum;
    state.minimum = std::min(state.minimum, maximum);
    state.value = std::clamp(state.value, state.minimum, state.maximum);
    notify(platform::change::kValue);
}

void UiSlider::setContinuous(bool continuous) {
    mutableState().continuous = continuous;
    notify(platform::change::kValue);
}

void UiSlider::setMinimumTrackColor(std::optional<uint32_t> color) {
    mutableState().minimumTrackColor = color;
    notify(platform::change::kAppearance);
}

void UiSlider::slide(float value) {
    if (std::isnan(value) || !enabled() || !receivesInput()) return;
    const float clamped = std::clamp(value, minimum(), maximum());
    if (clamped == this->value()) return;
    mutableState().value = clamped;
    notify(platform::change::kValue);
    if (valueChangedEvent_)
        RtObjectWrapper::raiseUIEvent(*this, u"_valuechanged:", {Value::ofFloat(clamped)});
}

}  // namespace zemtra
