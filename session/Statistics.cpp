// The session's own word figures, and all figures put together.
#include "session/Statistics.h"

#include <algorithm>
#include <limits>
#include <map>

#include "session/ControlRuns.h"
#include "session/DigitStatistics.h"

namespace zemtra::session {

namespace {

constexpr double kMillisecondsPerHour = 3600.0 * 1000.0;

// Accepted words by how often they came, most first; equal counts in the order they first came.
std::vector<WordCount> wordCounts(const Journal& journal) {
    std::vector<WordCount> counts;
    std::map<std::string, size_t> at;
    for (const SampleRow& row : journal.rows) {
        if (row.decision != Decision::accepted) continue;
        const auto [found, inserted] = at.try_emplace(row.word, counts.size());
        if (inserted) counts.push_back({row.word, 0});
        ++counts[found->second].count;
    }
    std::stable_sort(counts.begin(), counts.end(),
                     [](const WordCount& a, const WordCount& b) { return a.count > b.count; });
    return counts;
}

}  // namespace

Settings settingsAt(const SessionInfo& info, int64_t tMs) {
    if (info.settings.empty()) return Settings{};
    Settings inForce = info.settings.front();
    for (const Settings& settings : info.settings) {
        if (settings.tMs <= tMs) inForce = settings;
    }
    return inForce;
}

int64_t spanMs(const Journal& journal) {
    if (journal.rows.empty()) return 0;
    const int64_t first = journal.rows.front().tMs;
    const int64_t last = journal.rows.back().tMs;
    const int64_t interval = sensibleIntervalMs(settingsAt(journal.info, last).samplingIntervalMs);
    // Absurd times (a damaged journal) saturate rather than overflow.
    int64_t span = 0;
    if (__builtin_sub_overflow(last, first, &span) || __builtin_add_overflow(span, interval, &span))
        return std::numeric_limits<int64_t>::max();
    return span;
}

int64_t sensibleIntervalMs(int64_t intervalMs) {
    return std::clamp<int64_t>(intervalMs, 0, kLongestIntervalMs);
}

Statistics computeStatistics(const Journal& journal, const ControlOptions& options) {
    Statistics statistics;
    const SessionInfo& info = journal.info;
    statistics.setup = {info.sensorSource, info.sensorDevice, info.sensorSimulated,
                        info.wordList,     info.wordCount,    info.voice};
    statistics.ticks = static_cast<int64_t>(journal.rows.size());
    for (const SampleRow& row : journal.rows)
        ++statistics.decisions[static_cast<size_t>(row.decision)];
    statistics.hours = static_cast<double>(spanMs(journal)) / kMillisecondsPerHour;
    const int64_t accepted = statistics.decisions[static_cast<size_t>(Decision::accepted)];
    if (statistics.hours > 0)
        statistics.wordsPerHour = static_cast<double>(accepted) / statistics.hours;
    std::vector<WordCount> counts = wordCounts(journal);
    statistics.distinctWords = static_cast<int64_t>(counts.size());
    counts.resize(std::min(counts.size(), kTopWords));
    statistics.topWords = std::move(counts);
    statistics.digits = digitFigures(journal);
    statistics.reachable = reachableIndices(journal);
    statistics.control = controlFigures(journal, statistics, options);
    return statistics;
}

}  // namespace zemtra::session
