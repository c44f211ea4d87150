// The cost of `zemtra stats` on a day's session: a 24-hour journal of the simulated sensors
// (86,400 ticks, written once to a folder under ZEMTRA_BENCH_DATA, default /tmp) read and
// described with 200 control runs, as the program does it (build/zemtra stats, wall time) and in
// process, part by part: reading the journal, the session's own figures, and the control runs on
// one thread and on two.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "session/ControlRuns.h"
#include "session/Journal.h"
#include "session/Statistics.h"
#include "tests/session/SimulatedJournal.h"

namespace {

using namespace zemtra;

constexpr int64_t kDayTicks = 86400;

const std::filesystem::path& dayFolder() {
    static const std::filesystem::path folder = [] {
        const char* base = std::getenv("ZEMTRA_BENCH_DATA");
        const std::filesystem::path path = std::filesystem::path(base ? base : "/tmp") /
                                           "zemtra-stats-bench" / "Sessions" /
                                           "2025-01-01_00-00-00";
        if (!std::filesystem::exists(path / session::kSamplesFile))
            testing::writeJournal(path, testing::simulatedJournal({.ticks = kDayTicks}));
        return path;
    }();
    return folder;
}

const session::Journal& dayJournal() {
    static const session::Journal journal = *session::readJournal(dayFolder());
    return journal;
}

void BM_StatsCommand(benchmark::State& state) {
    const std::string command = std::string(ZEMTRA_PROGRAM) + " stats '" + dayFolder().string() +
                                "' --json --runs 200 >/dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("zemtra stats failed");
    }
    state.counters["size_MB"] =
        static_cast<double>(std::filesystem::file_size(dayFolder() / session::kSamplesFile)) / 1e6;
}
BENCHMARK(BM_StatsCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_ReadJournal(benchmark::State& state) {
    dayFolder();
    for (auto _ : state) benchmark::DoNotOptimize(session::readJournal(dayFolder()));
}
BENCHMARK(BM_ReadJournal)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SessionFigures(benchmark::State& state) {
    const session::Journal& journal = dayJournal();
    for (auto _ : state) benchmark::DoNotOptimize(session::computeStatistics(journal, {.runs = 0}));
}
BENCHMARK(BM_SessionFigures)->Unit(benchmark::kMillisecond)->Iterations(3);

// 200 control runs on 1 and on 2 threads.
void BM_ControlRuns(benchmark::State& state) {
    const session::Journal& journal = dayJournal();
    const auto threads = static_cast<int32_t>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(session::controlRuns(journal, {1, 200, threads}));
}
BENCHMARK(BM_ControlRuns)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
