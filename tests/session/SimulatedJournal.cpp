// The simulated session: the stream's sample n is due n × 20 ms after start-up, each tick reads
// the latest, prints the six absolute readings as the program prints Doubles, and takes the
// character at the digit position of each ".dddddddd" it finds; the selection value is made of
// the digit slots 1, 2, 4 and 5, which keep their digits from earlier ticks when a tick finds
// fewer numbers.
#include "tests/session/SimulatedJournal.h"

#include <cmath>
#include <fstream>

#include "platform/sensors/SimulatedMotionSource.h"
#include "runtime/core/Text.h"
#include "runtime/core/Value.h"
#include "session/SelectionEngine.h"

namespace zemtra::testing {

namespace {

using platform::sensors::SimulatedMotionSource;

constexpr int64_t kSwitchOnQuietMs = 1800;
constexpr int64_t kDisplayIntervalMs = 200;

// The digit the scan takes from the reading, when its text has eight digits after a point.
std::optional<int32_t> digitOf(double reading, int32_t position) {
    const std::string text = toUtf8(numberToString(Number::ofDouble(std::fabs(reading))));
    const size_t point = text.find('.');
    if (point == std::string::npos || text.size() < point + 9) return std::nullopt;
    for (size_t at = point + 1; at <= point + 8; ++at) {
        if (text[at] < '0' || text[at] > '9') return std::nullopt;
    }
    return position == 0 ? 0 : text[point + static_cast<size_t>(position)] - '0';
}

}  // namespace

session::Journal simulatedJournal(const SimulatedSession& simulated) {
    session::Journal journal;
    session::Settings settings;
    settings.tMs = simulated.startMs;
    settings.digitPosition = simulated.digitPosition;
    settings.samplingIntervalMs = simulated.intervalMs;
    settings.memoryDepth = simulated.memoryDepth;
    settings.windowWidth = simulated.windowWidth;
    journal.info.version = "simulated";
    journal.info.sensorSource = "sim:" + std::to_string(simulated.seed);
    journal.info.settings.push_back(settings);
    journal.info.startMs = simulated.startMs;
    journal.info.endMs = simulated.startMs + simulated.ticks * simulated.intervalMs;
    journal.info.ending = "quit";

    session::SelectionEngine engine({simulated.memoryDepth, simulated.windowWidth});
    engine.state().quietUntil = simulated.startMs + kSwitchOnQuietMs;
    std::array<int32_t, 8> slots{};
    journal.rows.reserve(static_cast<size_t>(simulated.ticks));
    for (int64_t tick = 1; tick <= simulated.ticks; ++tick) {
        const int64_t elapsed = tick * simulated.intervalMs;
        const int64_t sample = elapsed / SimulatedMotionSource::kPeriod.count();
        const auto field = SimulatedMotionSource::magneticFieldAt(simulated.seed, sample);
        const auto motion = SimulatedMotionSource::deviceMotionAt(simulated.seed, sample);
        session::SampleRow row;
        row.tMs = simulated.startMs + elapsed;
        row.time = "simulated";
        row.magneticField = std::array<double, 3>{field.x, field.y, field.z};
        row.acceleration = {motion.userAcceleration.x, motion.userAcceleration.y,
                            motion.userAcceleration.z};
        const std::array<double, 6> readings = {field.x,
                                                field.y,
                                                field.z,
                                                row.acceleration[0],
                                                row.acceleration[1],
                                                row.acceleration[2]};
        size_t slot = 0;
        for (const double reading : readings) {
            const auto digit = digitOf(reading, simulated.digitPosition);
            row.digits += digit ? static_cast<char>('0' + *digit) : '-';
            if (digit) slots[slot++] = *digit;
        }
        for (const size_t used : {1, 2, 4, 5}) row.value += static_cast<char>('0' + slots[used]);
        row.index = std::stoi(row.value);
        const int64_t display = row.tMs - (elapsed % kDisplayIntervalMs);
        engine.releaseQuiet(display);
        const session::Selection selection = engine.select(row.index, row.tMs);
        row.decision = selection.decision;
        row.quietMs = selection.quietMs;
        if (row.decision != session::Decision::quiet && row.decision != session::Decision::range)
            row.word = "w" + std::to_string(row.index);
        ++journal.info.counts[row.decision];
        journal.rows.push_back(std::move(row));
    }
    return journal;
}

void writeJournal(const std::filesystem::path& folder, const session::Journal& journal) {
    std::filesystem::create_directories(folder);
    std::ofstream samples(folder / session::kSamplesFile, std::ios::binary);
    samples << session::kSamplesHeader << '\n';
    for (const session::SampleRow& row : journal.rows) samples << session::formatRow(row);
    std::ofstream(folder / session::kSessionFile, std::ios::binary)
        << session::toJson(journal.info);
}

}  // namespace zemtra::testing
