// The word selection engine: turns a selection value into a word index, rejects candidates held
// in the recent-word memory, equal to the last candidate or inside the window after it, paces
// accepted words in runs, and for an accepted word logs, speaks, lights and shows it.
#include "app/zm_main.h"

#include "runtime/core/Conversions.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/TickClock.h"
#include "runtime/lib/RtDateTime.h"

namespace zemtra::app {

namespace {

String decimal(int64_t value) {
    return fromUtf8(std::to_string(value));
}

}  // namespace

void zm_main::_itcout(const String& selection) {
    // Every path ends by switching the sampling timer on again, which keeps the sampling going.
    const auto rearm = [this] {
        _pf = 0;
        _tr1->setEnabled(true);
    };
    if (_dt != 0) {
        _tr1->setEnabled(true);
        return;
    }
    const int32_t x = objectToNumber(Value(selection)).toInt();
    if (x >= kReachableWords) return rearm();

    const int32_t depth = _fifo;
    for (int32_t slot = 1; slot <= depth; ++slot) {
        if (memorySlot(slot) == x) ++_pf;
    }
    if (_pf != 0) {
        bi->Log(u"fifo error =" + word(x) + u" Delay 18500 +x*4 x = " + decimal(x));
        _setdt(18500 + 4 * x);
        _writefifo();
        return rearm();
    }

    if (x == _lw) {
        bi->Log(u"LWS error =" + word(x) + u" Delay 15000 + x*6 x =" + decimal(x));
        _setdt(15000 + 6 * x);
    } else if (x > _lw && x <= _lw + _wd) {
        // The window: the `_wd` candidates after the last one.
        bi->Log(u"Window error =" + word(x) + u" Delay 7500 + " + decimal(x));
        _setdt(x + 7500);
    } else {
        const auto dates = _c->service<RtDateTime>();
        const String date = dates->Date(Now());
        const String time = dates->Time(Now());
        // A record that cannot be written is shown and logged; the word is still spoken.
        appendWordLogRecord(selection + u" ," + date + u" , " + time + u" , " + word(x) + u"\n");
        _sayit(x);
        _pwr(x);
        _x1 = x;

        setMemorySlot(_fc, x);
        ++_fc;
        if (_fc > _fifo) _fc = 0;

        if (_f > 3) {
            _f = 1;
            _textview1->setText(String());
        }
        bi->Log(u"Spoke =" + word(x));
        _textview1->setText(_f == 1 ? word(x) : _textview1->Text() + u"\n" + word(x));
        ++_f;

        _setdt(1500 * _rn);
        ++_rn;
        bi->Log(u"RN = " + decimal(_rn));
    }

    // The candidate ring and the last candidate.
    ++_cnt;
    if (_cnt > 99) _cnt = 1;
    setMemorySlot(_cnt, x);
    _lw = x;
    rearm();
}

void zm_main::_setdt(int32_t delay) {
    _dt = Now() + delay;
}

void zm_main::_sayit(int32_t index) {
    callService(_talk, u"Speak::", {Value(word(index)), Value::ofBoolean(true)});
    checkDevices();
}

}  // namespace zemtra::app
