// The power meter (24 image views in four segments lit by a level) and the display timer, which
// sweeps the scanner light, ends an expired quiet time and lets the meter level fall.
#include "app/zm_main.h"

#include "runtime/core/RtCore.h"
#include "runtime/core/TickClock.h"

namespace zemtra::app {

namespace {

// One pair of meter views (n and n + 4) and the levels that light it.
struct MeterPair {
    int32_t first;
    int32_t from;   // lowest level
    int32_t below;  // first level above the band; 0 for no upper bound
};

// Evaluated one after the other, each on its own.
constexpr MeterPair kMeterPairs[] = {
    {33, 1, 100},   {43, 100, 200}, {23, 200, 0}, {32, 300, 400},  {42, 400, 500},   {22, 500, 0},
    {31, 600, 700}, {41, 700, 800}, {21, 800, 0}, {30, 900, 1000}, {40, 1000, 1200}, {20, 1200, 0},
};

}  // namespace

void zm_main::_pwr(int32_t level) {
    for (const int32_t first : {20, 30, 40}) {
        for (int32_t number = first; number < first + 8; ++number) showImageView(number, false);
    }
    for (const MeterPair& pair : kMeterPairs) {
        if (level >= pair.from && (pair.below == 0 || level < pair.below)) {
            showImageView(pair.first, true);
            showImageView(pair.first + 4, true);
        }
    }
}

void zm_main::_tmr1_tick() {
    if (_onoff == 1) {
        for (int32_t number = 1; number <= 9; ++number) showImageView(number, false);
        if (_ic >= 1 && _ic <= 9) showImageView(_ic, true);
        if (_tg == 0) ++_ic;
        if (_tg == 1) --_ic;
        if (_ic == 9) _tg = 1;
        if (_ic == 1) _tg = 0;
    }
    session::SelectionState state = selectionState();
    if (session::releaseQuiet(state, Now())) {
        setSelectionState(state);
        bi->Log(u"dt clear");
    }
    _x1 -= 100;
    if (_x1 < 0) _x1 = 0;
    _pwr(_x1);
    checkDevices();
}

}  // namespace zemtra::app
