// The generator switch (a tap on label1 starts or stops both timers and announces it), the six
// setting sliders with their captions (each says what its slider sets and the value in force),
// and the module's busy wait.
#include "app/zm_main.h"

#include "runtime/core/MainQueue.h"
#include "runtime/core/TickClock.h"

namespace zemtra::app {

void zm_main::setVoiceFromSliders() {
    callService(_talk, u"setSpeechRate:",
                {Value::ofFloat(static_cast<float>(static_cast<double>(_slider5->Value()) / 10))});
    callService(_talk, u"setPitch:",
                {Value::ofFloat(static_cast<float>(static_cast<double>(_slider4->Value()) / 10))});
}

void zm_main::_label1_click() {
    setVoiceFromSliders();
    _f = 4;
    if (_onoff == 0) {
        _onoff = 1;
        _tmr1->setEnabled(true);
        _imageview19->setVisible(true);
        _imageview1->setVisible(true);
        for (int32_t number = 2; number <= 9; ++number) showImageView(number, false);
        _ic = 5;
        _textview1->setText(u"Zemtra\n \nON");
        callService(_talk, u"Speak::", {Value(u"Zemtrah, on"), Value::ofBoolean(true)});
        _setdt(1800);
        _tr1->setEnabled(true);
        startJournal();
        return;
    }
    _onoff = 0;
    endJournal("switch-off");
    _dt = 0;
    _pwr(0);
    _tmr1->setEnabled(false);
    _tr1->setEnabled(false);
    _textview1->setText(u"Zemtra\n \nOFF");
    _ic = 5;
    _imageview19->setVisible(false);
    _imageview1->setVisible(true);
    for (int32_t number = 2; number <= 9; ++number) showImageView(number, false);
    for (int32_t number = 20; number <= 27; ++number) showImageView(number, false);
    showSourceLine();
    callService(_talk, u"Speak::", {Value(u"Zemtrah,  off"), Value::ofBoolean(true)});
}

void zm_main::_delay(int32_t milliseconds) {
    // Reads the clock until it has moved on by the duration; a virtual clock is moved on by the
    // wait itself, a real one is waited for.
    const int64_t start = Now();
    Clock* clock = MainQueue::currentOrNull() ? &MainQueue::current().clock() : nullptr;
    for (int64_t now = Now(); now < start + milliseconds; now = Now()) {
        if (!clock) break;
        clock->busyWait(std::chrono::milliseconds(start + milliseconds - now));
    }
}

void zm_main::applyEngineSetting(int32_t slider, float value) {
    switch (slider) {
        case 1:
            _sens = static_cast<int32_t>(value);
            break;
        case 2:
            _tr1->Initialize(bi, u"tr1", static_cast<int64_t>(value * 500.0f));
            break;
        case 3:
            _fifo = static_cast<int32_t>(value * 10.0f);
            break;
        case 6:
            _wd = static_cast<int32_t>(value);
            break;
        default:
            break;
    }
}

void zm_main::showSliderCaptions() {
    const auto number = [this](Value value) { return bi->NumberToString(value); };
    const auto count = [&](int32_t value, StringView one, StringView many) {
        return number(Value::ofInt(value)) + u" " + String(value == 1 ? one : many);
    };
    // The values in force, computed as the handlers compute them, so the caption never shows a
    // rounder value than the generator uses.
    const auto voice = [&](const std::shared_ptr<RtSliderWrapper>& slider) {
        return number(
            Value::ofFloat(static_cast<float>(static_cast<double>(slider->Value()) / 10)));
    };
    const std::pair<const std::shared_ptr<RtLabelWrapper>*, String> captions[] = {
        {&_lblslider1, _sens == 0 ? String(u"Digit position: none, every digit reads 0")
                                  : u"Digit position: digit " + number(Value::ofInt(_sens)) +
                                        u" after the point"},
        {&_lblslider2, u"Sampling interval: every " +
                           number(Value::ofDouble(static_cast<double>(_tr1->Interval()) / 1000)) +
                           u" s"},
        {&_lblslider3, _fifo == 0
                           ? String(u"Word memory: off, no word is held")
                           : u"Word memory: " + count(_fifo, u"recent word", u"recent words")},
        {&_lblslider4, u"Voice pitch: " + voice(_slider4) + u" (position / 10)"},
        {&_lblslider5, u"Voice rate: " + voice(_slider5) + u" (position / 10)"},
        {&_lblslider6,
         _wd == 0 ? String(u"Window: off, no places skipped")
                  : u"Window: " + count(_wd, u"place", u"places") + u" skipped after a word"},
    };
    for (const auto& [label, text] : captions) {
        if (*label && (*label)->IsInitialized()) (*label)->setText(text);
    }
}

void zm_main::_slider1_valuechanged(float) {
    applyEngineSetting(1, _slider1->Value());
    showSliderCaptions();
    _setfiles();
    journalSettings();
}

void zm_main::_slider2_valuechanged(float value) {
    applyEngineSetting(2, value);
    showSliderCaptions();
    _setfiles();
    journalSettings();
}

void zm_main::_slider3_valuechanged(float value) {
    applyEngineSetting(3, value);
    showSliderCaptions();
    _setfiles();
    journalSettings();
}

void zm_main::_slider4_valuechanged(float value) {
    tryVoice(u"setPitch:", value);
}

void zm_main::_slider5_valuechanged(float value) {
    tryVoice(u"setSpeechRate:", value);
}

void zm_main::tryVoice(StringView setter, float value) {
    callService(_talk, setter,
                {Value::ofFloat(static_cast<float>(static_cast<double>(value) / 10))});
    showSliderCaptions();
    callService(_talk, u"Speak::", {Value(u"Zemtrah"), Value::ofBoolean(true)});
    _setfiles();
    journalSettings();
}

void zm_main::_slider6_valuechanged(float value) {
    applyEngineSetting(6, value);
    showSliderCaptions();
    _setfiles();
    journalSettings();
}

}  // namespace zemtra::app
