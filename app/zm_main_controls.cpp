// The generator switch (a tap on label1 starts or stops both timers and announces it), the six
// setting sliders, and the module's busy wait.
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
        return;
    }
    _onoff = 0;
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

void zm_main::_slider1_valuechanged(float) {
    _sens = static_cast<int32_t>(_slider1->Value());
    _setfiles();
}

void zm_main::_slider2_valuechanged(float value) {
    _tr1->Initialize(bi, u"tr1", static_cast<int64_t>(value * 500.0f));
    _setfiles();
}

void zm_main::_slider3_valuechanged(float value) {
    _fifo = static_cast<int32_t>(value * 10.0f);
    _setfiles();
}

void zm_main::_slider4_valuechanged(float value) {
    callService(_talk, u"setPitch:",
                {Value::ofFloat(static_cast<float>(static_cast<double>(value) / 10))});
    callService(_talk, u"Speak::", {Value(u"Zemtrah"), Value::ofBoolean(true)});
    _setfiles();
}

void zm_main::_slider5_valuechanged(float value) {
    callService(_talk, u"setSpeechRate:",
                {Value::ofFloat(static_cast<float>(static_cast<double>(value) / 10))});
    callService(_talk, u"Speak::", {Value(u"Zemtrah"), Value::ofBoolean(true)});
    _setfiles();
}

void zm_main::_slider6_valuechanged(float value) {
    _wd = static_cast<int32_t>(value);
    _setfiles();
}

}  // namespace zemtra::app
