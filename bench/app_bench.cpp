// The word generator's running costs, measured on the program itself (build/zemtra, headless):
// - one display-timer pass, all in (dispatch by name, scanner, deadline, meter), in process;
// - 24 simulated hours with the generator on under the virtual clock: wall time and peak memory,
//   with the peak of a 2-hour run beside it to show that memory stays flat, each with the session
//   journal off and on (and the size of its samples.csv);
// - start-up to the first frame on the real clock (until a screenshot taken as the first command
//   is on disk);
// - processor time used in 60 real seconds with the generator off and on;
// - the main thread's longest stall while a slider is dragged through its range (100 events, each
//   saving the settings), with the saves on the writer thread or waited for as before, on a quiet
//   disk and on one kept busy with large fsync'ed writes.
// The documents folder is a fresh folder under ZEMTRA_BENCH_DATA (default /tmp), so the saves'
// cost on that disk is part of the figures.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <span>
#include <thread>

#include <benchmark/benchmark.h>

#include "app/zm_main.h"
#include "platform/PlatformLog.h"
#include "runtime/core/Clock.h"
#include "runtime/core/MainQueue.h"
#include "runtime/core/RtCommon.h"
#include "runtime/core/RuntimeScope.h"
#include "runtime/lib/DocumentWriter.h"
#include "runtime/lib/PosixFile.h"
#include "runtime/lib/RtFile.h"
#include "runtime/lib/StandardServices.h"
#include "ui/RtDialogs.h"
#include "ui/RtNavigationControllerWrapper.h"
#include "ui/Screen.h"
#include "ui/UiSlider.h"

namespace {

namespace fs = std::filesystem;
using namespace zemtra;

fs::path freshFolder(const char* name) {
    const char* base = std::getenv("ZEMTRA_BENCH_DATA");
    std::string pattern = std::string(base ? base : "/tmp") + "/" + name + "-XXXXXX";
    return mkdtemp(pattern.data());
}

// Assets: the build's, with a word list of 2075 numbered words.
fs::path assetsFolder() {
    static const fs::path folder = [] {
        const fs::path path = freshFolder("zemtra-bench-assets");
        fs::copy(ZEMTRA_BUILD_ASSETS_DIR, path,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        std::ofstream words(path / "wordlist.txt");
        for (int index = 0; index < 2075; ++index) words << "w" << index << "\n";
        return path;
    }();
    return folder;
}

struct Usage {
    double wallSeconds = 0;
    // Seconds from the start until `watched` existed (when one was given).
    double firstFileSeconds = 0;
    double cpuSeconds = 0;
    double peakMegabytes = 0;
    int status = -1;
};

// Runs the program headless with the script; output goes to /dev/null.
// `inspect`, when given, looks at the documents folder after the run, before it goes.
Usage runProgram(const std::string& script, std::vector<std::string> extra,
                 const fs::path& watched = {},
                 const std::function<void(const fs::path& data)>& inspect = {}) {
    const fs::path data = freshFolder("zemtra-bench-data");
    const fs::path scriptFile = data.string() + ".script";
    std::ofstream(scriptFile) << script;
    std::vector<std::string> args = {
        ZEMTRA_PROGRAM,          "--headless", "--data", data.string(), "--assets",
        assetsFolder().string(), "--speech",   "none",   "--script",    scriptFile.string()};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    Usage usage;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage resources{};
        const auto running = [pid] {
            siginfo_t info{};
            return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
                   info.si_pid == 0;
        };
        while (!watched.empty() && !fs::exists(watched) && running())
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        usage.firstFileSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        wait4(pid, &status, 0, &resources);
        usage.wallSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        usage.cpuSeconds =
            static_cast<double>(resources.ru_utime.tv_sec + resources.ru_stime.tv_sec) +
            static_cast<double>(resources.ru_utime.tv_usec + resources.ru_stime.tv_usec) / 1e6;
        usage.peakMegabytes = static_cast<double>(resources.ru_maxrss) / 1024;
        usage.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (inspect) inspect(data);
    fs::remove_all(data);
    fs::remove(scriptFile);
    return usage;
}

void report(benchmark::State& state, const Usage& usage) {
    state.SetIterationTime(usage.wallSeconds);
    state.counters["cpu_s"] = usage.cpuSeconds;
    state.counters["peak_MB"] = usage.peakMegabytes;
    if (usage.status != 0) state.SkipWithError("the program did not end normally");
}

class SilentLog final : public platform::PlatformLog {
  public:
    void writeLine(std::string_view) override {}
};

void BM_DisplayTimerPass(benchmark::State& state) {
    SilentLog silent;
    RtCore::setPlatformLog(&silent);
    RuntimeScope scope;
    registerStandardServices(scope);
    scope.add(std::make_shared<RtDialogs>());
    VirtualClock clock(1700000000000);
    MainQueue queue(clock);
    const MainQueue::Installation installation(queue);
    const fs::path documents = freshFolder("zemtra-bench-docs");
    FileLocations locations = FileLocations::defaults();
    locations.documents = fromUtf8(documents.string() + "/");
    locations.assets = fromUtf8(assetsFolder().string() + "/");
    RtCommon::New()->service<RtFile>()->setLocations(std::move(locations));
    const auto module = StaticModules::New<app::zm_main>();
    module->_application_start(RtNavigationControllerWrapper::createForHost(module->bi));
    queue.runUntilIdle();
    module->_onoff = 1;
    module->_ic = 5;
    for (auto _ : state) {
        module->_x1 = 2048;  // the meter lit and falling
        module->_dt = 1;     // a deadline to clear
        module->bi->raiseEvent(Value(), u"tmr1_tick");
    }
    RtCore::setPlatformLog(nullptr);
    fs::remove_all(documents);
}
BENCHMARK(BM_DisplayTimerPass);

// Keeps the disk under the folder busy: 4 MB written and fsync'ed over and over, as another
// program copying files would, so that each fsync of a small save waits behind it.
class BusyDisk {
  public:
    explicit BusyDisk(const fs::path& folder)
        : thread_([this, path = (folder / "busy").string()] {
              const std::string block(1 << 22, 'b');
              while (!stop_) {
                  const FileDescriptor file =
                      FileDescriptor::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
                  file.writeAll(
                      std::span(reinterpret_cast<const uint8_t*>(block.data()), block.size()));
                  ::fsync(file.get());
              }
          }) {}
    ~BusyDisk() {
        stop_ = true;
        thread_.join();
    }
    BusyDisk(const BusyDisk&) = delete;
    BusyDisk& operator=(const BusyDisk&) = delete;

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// range(0): 1 with the writer thread, 0 with each save waited for (the saves as they were);
// range(1): 1 on a busy disk.
void BM_SliderDragStall(benchmark::State& state) {
    const bool threaded = state.range(0) != 0;
    SilentLog silent;
    RtCore::setPlatformLog(&silent);
    RuntimeScope scope;
    registerStandardServices(scope);
    scope.add(std::make_shared<RtDialogs>());
    RealClock clock;
    MainQueue queue(clock);
    const MainQueue::Installation installation(queue);
    scope.add(std::make_shared<DocumentWriter>(
        queue, threaded ? DocumentWriter::Delivery::posted : DocumentWriter::Delivery::inStep));
    const fs::path documents = freshFolder("zemtra-bench-docs");
    FileLocations locations = FileLocations::defaults();
    locations.documents = fromUtf8(documents.string() + "/");
    locations.assets = fromUtf8(assetsFolder().string() + "/");
    RtCommon::New()->service<RtFile>()->setLocations(std::move(locations));
    Screen::resetForTesting();
    const auto module = StaticModules::New<app::zm_main>();
    module->_application_start(RtNavigationControllerWrapper::createForHost(module->bi));
    module->_btnset_click();  // the sliders take input only on the settings panel
    queue.runUntilIdle();
    const auto slider = std::dynamic_pointer_cast<UiSlider>(Screen::main().findView(u"slider3"));
    std::optional<BusyDisk> busy;
    if (state.range(1) != 0) busy.emplace(documents);
    // Wall time is the stall the person sees; the thread's processor time tells the main thread's
    // own work from time the machine gave to other threads.
    const auto threadCpu = [] {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
    };
    double longest = 0, total = 0, longestCpu = 0;
    int events = 0;
    for (auto _ : state) {
        for (int step = 1; step <= 100; ++step) {
            const float value = slider->minimum() + (slider->maximum() - slider->minimum()) *
                                                        static_cast<float>(step) / 100;
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = threadCpu();
            slider->slide(value);
            queue.runUntilIdle();
            longestCpu = std::max(longestCpu, threadCpu() - cpuStart);
            const double stall =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
            longest = std::max(longest, stall);
            total += stall;
            ++events;
        }
        state.PauseTiming();
        DocumentWriter::current()->drain();
        slider->setValue(slider->minimum());
        state.ResumeTiming();
    }
    state.counters["longest_stall_ms"] = longest;
    state.counters["mean_stall_ms"] = total / std::max(events, 1);
    state.counters["longest_cpu_ms"] = longestCpu;
    busy.reset();
    module->orderlyEnd();
    RtCore::setPlatformLog(nullptr);
    fs::remove_all(documents);
}
BENCHMARK(BM_SliderDragStall)
    ->ArgsProduct({{1, 0}, {0, 1}})
    ->ArgNames({"writer", "busy_disk"})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

// With the session journal on and off; with it, the size of its samples.csv.
void BM_SimulatedHours(benchmark::State& state) {
    const int64_t hours = state.range(0);
    const bool journal = state.range(1) != 0;
    for (auto _ : state) {
        double samplesBytes = 0;
        report(state, runProgram("tap label1\nwait " + std::to_string(hours * 3600000) + "\n",
                                 {"--clock", "virtual", "--journal", journal ? "on" : "off"}, {},
                                 [&samplesBytes](const fs::path& data) {
                                     std::error_code error;
                                     for (const auto& entry : fs::recursive_directory_iterator(
                                              data / "Sessions", error)) {
                                         if (entry.path().filename() == "samples.csv")
                                             samplesBytes += static_cast<double>(entry.file_size());
                                     }
                                 }));
        if (journal) state.counters["samples_MB"] = samplesBytes / 1e6;
    }
}
BENCHMARK(BM_SimulatedHours)
    ->ArgsProduct({{2, 24}, {0, 1}})
    ->ArgNames({"hours", "journal"})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

void BM_StartUpToFirstFrame(benchmark::State& state) {
    const fs::path shot = freshFolder("zemtra-bench-shot") / "first.png";
    for (auto _ : state) {
        const Usage usage =
            runProgram("screenshot " + shot.string() + "\nquit\n", {"--clock", "real"}, shot);
        report(state, usage);
        state.SetIterationTime(usage.firstFileSeconds);
        state.counters["whole_run_s"] = usage.wallSeconds;
        fs::remove(shot);
    }
    fs::remove_all(shot.parent_path());
}
BENCHMARK(BM_StartUpToFirstFrame)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_SixtyRealSeconds(benchmark::State& state) {
    const bool on = state.range(0) != 0;
    for (auto _ : state) {
        std::vector<std::string> extra = {"--clock", "real"};
        if (on) extra.push_back("--on");
        report(state, runProgram("wait 60000\n", extra));
    }
}
BENCHMARK(BM_SixtyRealSeconds)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
