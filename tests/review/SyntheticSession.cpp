// The made-up session: readings, scanned digits, a model of the selection rules, and its files.
#include "tests/review/SyntheticSession.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <deque>
#include <fstream>
#include <random>

#include "review/WordDetails.h"

namespace zemtra::testing {

namespace {

std::string localIso(int64_t tMs) {
    const std::time_t seconds = static_cast<std::time_t>(tMs / 1000);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    char text[64];
    const long offset = parts.tm_gmtoff / 60;
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02ld:%02ld",
                  parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
                  parts.tm_min, parts.tm_sec, static_cast<int>(tMs % 1000), offset < 0 ? '-' : '+',
                  std::labs(offset) / 60, std::labs(offset) % 60);
    return text;
}

char scannedDigit(double reading, int position) {
    const std::string text = review::readingText(reading);
    for (size_t at = 0; at + 9 <= text.size(); ++at) {
        if (text[at] != '.') continue;
        bool digits = true;
        for (size_t next = at + 1; next < at + 9; ++next)
            digits = digits && text[next] >= '0' && text[next] <= '9';
        if (digits) return position == 0 ? '0' : text[at + static_cast<size_t>(position)];
    }
    return '-';
}

}  // namespace

session::Journal syntheticJournal(const SyntheticSessionShape& shape,
                                  const std::vector<std::string>& words) {
    session::Journal journal;
    session::SessionInfo& info = journal.info;
    info.version = "0.1.0";
    info.sensorSource = "sim:" + std::to_string(shape.seed);
    info.sensorDevice = "simulated";
    info.speechOutput = "none";
    info.wordList = "wordlist.txt";
    session::Settings settings;
    settings.tMs = shape.startMs;
    settings.positions = {1, 2, 10, 10, 3, 10};
    info.settings.push_back(settings);
    info.startMs = shape.startMs;
    info.endMs = shape.startMs + static_cast<int64_t>(shape.ticks) * shape.intervalMs;
    info.ending = "switch-off";

    std::mt19937 random(shape.seed);
    std::normal_distribution<double> noise(0, 1);
    std::deque<int32_t> memory;
    int64_t quietUntil = shape.startMs + 1800;
    int32_t last = 0;
    int32_t run = 0;
    journal.rows.reserve(shape.ticks);
    for (size_t tick = 0; tick < shape.ticks; ++tick) {
        session::SampleRow row;
        row.tMs = shape.startMs + static_cast<int64_t>(tick) * shape.intervalMs;
        row.time = localIso(row.tMs);
        const double phase = static_cast<double>(tick) / 900.0;
        if (tick >= 2)
            row.magneticField =
                std::array<double, 3>{21.5 + 2.0 * std::sin(phase) + 0.15 * noise(random),
                                      -8.25 + 1.5 * std::cos(phase * 0.7) + 0.15 * noise(random),
                                      -40.125 + 0.8 * std::sin(phase * 1.3) + 0.15 * noise(random)};
        const double burst = (tick / 300) % 4 == 1 ? 5.0 : 1.0;
        row.acceleration = {0.002 * noise(random) * burst, shape.motion * noise(random) * burst,
                            shape.motion * noise(random) * burst};
        std::array<double, 6> readings{};
        if (row.magneticField)
            for (size_t axis = 0; axis < 3; ++axis) readings[axis] = (*row.magneticField)[axis];
        for (size_t axis = 0; axis < 3; ++axis) readings[3 + axis] = row.acceleration[axis];
        for (size_t slot = 0; slot < 6; ++slot)
            row.digits += slot < 3 && !row.magneticField ? '-' : scannedDigit(readings[slot], 1);
        for (const size_t slot : {1, 2, 4, 5})
            row.value += row.digits[slot] == '-' ? '0' : row.digits[slot];
        row.index = std::stoi(row.value);
        const int32_t x = row.index;
        const auto quiet = [&](int64_t ms, session::Decision decision) {
            row.decision = decision;
            row.quietMs = ms;
            quietUntil = row.tMs + ms;
        };
        if (row.tMs < quietUntil) {
            row.decision = session::Decision::quiet;
        } else if (x >= 2049) {
            row.decision = session::Decision::range;
        } else {
            row.word = static_cast<size_t>(x) < words.size() ? words[static_cast<size_t>(x)]
                                                             : "word" + std::to_string(x);
            if (std::find(memory.begin(), memory.end(), x) != memory.end()) {
                quiet(18500 + 4 * x, session::Decision::memory);
            } else if (x == last) {
                quiet(15000 + 6 * x, session::Decision::repeat);
            } else if (x > last && x <= last + 10) {
                quiet(7500 + x, session::Decision::window);
                last = x;
            } else {
                quiet(1500 * run, session::Decision::accepted);
                run = (run + 1) % 8;
                memory.push_back(x);
                if (memory.size() > 100) memory.pop_front();
                last = x;
            }
        }
        info.counts[row.decision] += 1;
        journal.rows.push_back(std::move(row));
    }
    return journal;
}

void writeJournal(const session::Journal& journal, const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    std::ofstream samples(folder / session::kSamplesFile, std::ios::binary | std::ios::trunc);
    samples << session::kSamplesHeader << '\n';
    for (const session::SampleRow& row : journal.rows) samples << session::formatRow(row);
    std::ofstream(folder / session::kSessionFile, std::ios::binary | std::ios::trunc)
        << session::toJson(journal.info);
}

std::vector<std::string> projectWords() {
    std::vector<std::string> words;
    std::ifstream list(std::filesystem::path(ZEMTRA_SOURCE_DIR) / "assets/wordlist.txt");
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        words.push_back(line);
    }
    return words;
}

}  // namespace zemtra::testing
