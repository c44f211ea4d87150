// The control runs and how the session's figures stand among them.
#include "session/ControlRuns.h"

#include <algorithm>
#include <numeric>
#include <thread>

#include "session/SelectionEngine.h"

namespace zemtra::session {

namespace {

// The quiet time a switch-on sets, and the display timer's interval, which ends quiet times.
constexpr int64_t kSwitchOnQuietMs = 1800;
constexpr int64_t kDisplayIntervalMs = 200;
// Ticks after the year 9999 are a damaged journal's; the clock never gets there.
constexpr int64_t kLastTickMs = 253402300799999;

uint64_t mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// A small, fast generator (splitmix64) whose whole state is one number.
class Digits {
  public:
    Digits(uint64_t seed, int32_t run) : state_(mix(seed) ^ mix(static_cast<uint64_t>(run) + 1)) {}
    int32_t next() {
        state_ += 0x9E3779B97F4A7C15ull;
        // The top 32 bits scaled to 0–9; the bias is below one in four hundred million.
        return static_cast<int32_t>(((mix(state_) >> 32) * 10) >> 32);
    }

  private:
    uint64_t state_;
};

// The switch-on the session began with: its recorded start when it is plausible, else one
// sampling interval before the first tick.
int64_t switchOnMs(const Journal& journal) {
    const int64_t firstTick = journal.rows.front().tMs;
    const int64_t interval =
        sensibleIntervalMs(settingsAt(journal.info, firstTick).samplingIntervalMs);
    const int64_t recorded = journal.info.startMs;
    if (recorded > 0 && recorded <= firstTick && firstTick - recorded <= 10 * interval + 2000)
        return recorded;
    return firstTick - interval;
}

double quantile(const std::vector<double>& sorted, double at) {
    if (sorted.empty()) return 0;
    const double position = at * static_cast<double>(sorted.size() - 1);
    const auto below = static_cast<size_t>(position);
    const size_t above = std::min(below + 1, sorted.size() - 1);
    const double fraction = position - static_cast<double>(below);
    return sorted[below] + fraction * (sorted[above] - sorted[below]);
}

}  // namespace

ControlRun controlRun(const Journal& journal, uint64_t seed, int32_t run) {
    ControlRun result;
    if (journal.rows.empty() || journal.rows.front().tMs > kLastTickMs) return result;
    SelectionEngine engine;
    // A session from before word lists were recorded ran with the full list.
    if (journal.info.wordCount > 0) engine.settings().words = journal.info.wordCount;
    const int64_t start = switchOnMs(journal);
    engine.state().quietUntil = start + kSwitchOnQuietMs;
    Digits digits(seed, run);
    std::vector<int32_t> spoken(kReachableCandidates, 0);
    // The settings change seldom: look the next change up only when a tick reaches it.
    const std::vector<Settings>& history = journal.info.settings;
    size_t next = 0;
    while (next < history.size() && history[next].tMs <= journal.rows.front().tMs) ++next;
    Settings settings = settingsAt(journal.info, journal.rows.front().tMs);
    for (const SampleRow& row : journal.rows) {
        if (row.tMs > kLastTickMs) break;
        while (next < history.size() && history[next].tMs <= row.tMs) settings = history[next++];
        engine.settings().memoryDepth = std::clamp(settings.memoryDepth, 0, 1099);
        engine.settings().windowWidth = std::clamp(settings.windowWidth, 0, kReachableCandidates);
        // The display tick at or before this one ends a quiet time that lay before it.
        if (row.tMs >= start) {
            const int64_t displayTick = row.tMs - (row.tMs - start) % kDisplayIntervalMs;
            engine.releaseQuiet(displayTick);
        }
        int32_t index = 0;
        for (int place = 0; place < 4; ++place) index = index * 10 + digits.next();
        const Selection selection = engine.select(index, row.tMs);
        if (selection.decision != Decision::accepted) continue;
        ++result.accepted;
        int32_t& count = spoken[static_cast<size_t>(selection.index)];
        if (count == 0) ++result.distinctWords;
        ++count;
        result.largestRepeat = std::max<int64_t>(result.largestRepeat, count);
    }
    return result;
}

std::vector<ControlRun> controlRuns(const Journal& journal, const ControlOptions& options) {
    const int32_t runs = std::max(options.runs, 0);
    std::vector<ControlRun> results(static_cast<size_t>(runs));
    int32_t threads = options.threads > 0
                          ? options.threads
                          : static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    threads = std::clamp(threads, 1, std::max(runs, 1));
    {
        std::vector<std::jthread> workers;
        for (int32_t thread = 0; thread < threads; ++thread) {
            const int32_t first = runs * thread / threads;
            const int32_t last = runs * (thread + 1) / threads;
            workers.emplace_back([&journal, &results, &options, first, last] {
                for (int32_t run = first; run < last; ++run)
                    results[static_cast<size_t>(run)] = controlRun(journal, options.seed, run);
            });
        }
    }
    return results;
}

ControlFigure compareWithControl(double session, std::vector<double> control) {
    ControlFigure figure;
    figure.session = session;
    if (control.empty()) return figure;
    std::sort(control.begin(), control.end());
    figure.mean =
        std::accumulate(control.begin(), control.end(), 0.0) / static_cast<double>(control.size());
    figure.low = quantile(control, 0.025);
    figure.high = quantile(control, 0.975);
    const auto below = std::lower_bound(control.begin(), control.end(), session) - control.begin();
    const auto notAbove =
        std::upper_bound(control.begin(), control.end(), session) - control.begin();
    figure.percentile = 100 *
                        (static_cast<double>(below) + 0.5 * static_cast<double>(notAbove - below)) /
                        static_cast<double>(control.size());
    return figure;
}

ControlFigures controlFigures(const Journal& journal, const Statistics& statistics,
                              const ControlOptions& options) {
    ControlFigures figures;
    figures.seed = options.seed;
    figures.runs = std::max(options.runs, 0);
    figures.ticks = static_cast<int64_t>(journal.rows.size());
    const std::vector<ControlRun> runs = controlRuns(journal, options);
    std::vector<double> wordsPerHour, distinct, repeat;
    for (const ControlRun& run : runs) {
        wordsPerHour.push_back(
            statistics.hours > 0 ? static_cast<double>(run.accepted) / statistics.hours : 0.0);
        distinct.push_back(static_cast<double>(run.distinctWords));
        repeat.push_back(static_cast<double>(run.largestRepeat));
    }
    int64_t sessionRepeat = 0;
    for (const WordCount& word : statistics.topWords)
        sessionRepeat = std::max(sessionRepeat, word.count);
    figures.wordsPerHour = compareWithControl(statistics.wordsPerHour, std::move(wordsPerHour));
    figures.distinctWords =
        compareWithControl(static_cast<double>(statistics.distinctWords), std::move(distinct));
    figures.largestRepeat =
        compareWithControl(static_cast<double>(sessionRepeat), std::move(repeat));
    return figures;
}

}  // namespace zemtra::session
