// Sensor sampling: one tick of the sampling timer reads the sensors, writes six readings as text,
// takes one digit from the fraction of each and hands the four-digit selection value on; the
// session journal gets what the tick read and what the selection step did with it.
#include "app/zm_main.h"

#include <algorithm>
#include <cmath>

#include "runtime/core/RtCore.h"
#include "runtime/lib/RtMatcher.h"
#include "runtime/lib/RtRegex.h"

namespace zemtra::app {

namespace {

// The Doubles of a reading array; an absent reading has none.
std::vector<double> readingOf(const Value& reading) {
    std::vector<double> values;
    const auto array = reading.as<RtArray>();
    if (!array) return values;
    for (int32_t index = 0; index < array->Length(); ++index) {
        const Value element = array->getObjectFast(index);
        values.push_back(element.number() ? element.number()->toDouble() : 0.0);
    }
    return values;
}

}  // namespace

void zm_main::_tr1_tick() {
    _tr1->setEnabled(false);
    std::vector<double> acceleration = readingOf(callService(_move, u"GetUserAcceleration"));
    std::vector<double> magnetometer = readingOf(callService(_move, u"GetMagnetometer"));
    acceleration.resize(3, 0.0);

    // The six numbers scanned: the magnetometer's three and the acceleration's three; without a
    // magnetometer sample (none yet, or no magnetometer), and on an iPod, the acceleration's three
    // and the attitude's three instead. Signs never reach the text.
    std::vector<double> scanned;
    if (_dn == 0 && magnetometer.size() >= 3) {
        scanned = {magnetometer[0], magnetometer[1], magnetometer[2]};
        scanned.insert(scanned.end(), acceleration.begin(), acceleration.begin() + 3);
    } else {
        std::vector<double> attitude = readingOf(callService(_move, u"GetAttitude"));
        attitude.resize(3, 0.0);
        scanned = {acceleration[0], acceleration[1], acceleration[2]};
        scanned.insert(scanned.end(), attitude.begin(), attitude.begin() + 3);
    }
    String reading;
    // Where each number's text starts, so that a match is known by the reading it came from.
    std::vector<size_t> starts;
    for (const double value : scanned) {
        starts.push_back(reading.size());
        reading += bi->NumberToString(Value::ofDouble(std::fabs(value)));
        reading += u" \n";
    }
    std::string digits(scanned.size(), '-');

    // Each match is a point and eight digits; `_sens` picks the character (0 is the point,
    // which reads as 0).
    const auto matcher = _c->service<RtRegex>()->Matcher(u"([.])\\d{8}", reading);
    int32_t slot = 0;
    while (matcher->Find()) {
        const String match = matcher->Match();
        const String character = bi->CharToString(match.at(static_cast<size_t>(_sens)));
        const Value digit(bi->ObjectToNumber(Value(character)));
        _cfig->setObjectFast(slot, digit);
        ++slot;
        if (journal_) {
            const auto start = static_cast<size_t>(matcher->GetStart(0));
            const auto number = static_cast<size_t>(
                std::upper_bound(starts.begin(), starts.end(), start) - starts.begin() - 1);
            const int32_t shown = digit.number() ? digit.number()->toInt() : 0;
            digits[number] = shown >= 0 && shown <= 9 ? static_cast<char>('0' + shown) : '?';
        }
    }

    String selection;
    for (const int32_t index : {1, 2, 4, 5})
        selection += bi->NumberToString(_cfig->getObjectFast(index));
    bi->Log(u"current value " + selection);
    const session::Selection selected = selectWord(selection);
    if (journal_) {
        if (magnetometer.size() < 3) magnetometer.clear();
        journalTick({std::move(magnetometer), std::move(acceleration), std::move(digits)},
                    selection, selected);
    }
}

}  // namespace zemtra::app
