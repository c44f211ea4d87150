// The selection step: the selection rules (session/SelectionEngine.h) applied to the module's
// globals, and what the program does with their decision: it logs each rejection, saves the
// memory after a memory rejection, and for an accepted word logs, speaks, lights and shows it.
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

// The module's globals as the selection rules' memory: the recent-word memory and the candidate
// ring in `_lws`.
class zm_main::MemorySlots final : public session::SelectionMemory {
  public:
    explicit MemorySlots(zm_main& module) : module_(module) {}
    int32_t slot(int32_t index) const override { return module_.memorySlot(index); }
    void setSlot(int32_t index, int32_t value) override { module_.setMemorySlot(index, value); }

  private:
    zm_main& module_;
};

session::SelectionState zm_main::selectionState() const {
    return {.candidateCursor = _cnt,
            .lastCandidate = _lw,
            .memoryCursor = _fc,
            .run = _rn,
            .quietUntil = _dt};
}

void zm_main::setSelectionState(const session::SelectionState& state) {
    _cnt = state.candidateCursor;
    _lw = state.lastCandidate;
    _fc = state.memoryCursor;
    _rn = state.run;
    _dt = state.quietUntil;
}

void zm_main::_itcout(const String& selection) {
    selectWord(selection);
}

session::Selection zm_main::selectWord(const String& selection) {
    // Every path ends by switching the sampling timer on again, which keeps the sampling going.
    const int32_t x = objectToNumber(Value(selection)).toInt();
    if (_dt != 0) {
        _tr1->setEnabled(true);
        return {.decision = session::Decision::quiet, .index = x, .quietMs = std::nullopt};
    }
    session::SelectionState state = selectionState();
    MemorySlots memory(*this);
    const session::Selection result = session::select(
        state, memory, {.memoryDepth = _fifo, .windowWidth = _wd, .words = wordCount_}, x, Now());
    setSelectionState(state);
    _pf = 0;

    switch (result.decision) {
        case session::Decision::quiet:
        case session::Decision::range:
            break;
        case session::Decision::memory:
            bi->Log(u"fifo error =" + word(x) + u" Delay 18500 +x*4 x = " + decimal(x));
            _writefifo();
            break;
        case session::Decision::repeat:
            bi->Log(u"LWS error =" + word(x) + u" Delay 15000 + x*6 x =" + decimal(x));
            break;
        case session::Decision::window:
            // The window: the `_wd` candidates after the last one.
            bi->Log(u"Window error =" + word(x) + u" Delay 7500 + " + decimal(x));
            break;
        case session::Decision::accepted:
            speakAccepted(selection, x);
            break;
    }
    _tr1->setEnabled(true);
    return result;
}

void zm_main::speakAccepted(const String& selection, int32_t x) {
    const auto dates = _c->service<RtDateTime>();
    const String date = dates->Date(Now());
    const String time = dates->Time(Now());
    // A record that cannot be written is shown and logged; the word is still spoken.
    appendWordLogRecord(selection + u" ," + date + u" , " + time + u" , " + word(x) + u"\n");
    _sayit(x);
    _pwr(x);
    _x1 = x;

    if (_f > 3) {
        _f = 1;
        _textview1->setText(String());
    }
    bi->Log(u"Spoke =" + word(x));
    _textview1->setText(_f == 1 ? word(x) : _textview1->Text() + u"\n" + word(x));
    ++_f;
    bi->Log(u"RN = " + decimal(_rn));
}

void zm_main::_setdt(int32_t delay) {
    _dt = Now() + delay;
}

void zm_main::_sayit(int32_t index) {
    callService(_talk, u"Speak::", {Value(word(index)), Value::ofBoolean(true)});
    checkDevices();
}

}  // namespace zemtra::app
