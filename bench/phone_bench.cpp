// The phone source against a local stand-in for phyphox's remote-access server whose sensors are
// sampled 100 times a second: the main thread's time per display tick (the latest samples and the
// status line), the processor time of one request, and that of the thread that polls, as a share
// of one core, at the device's period and at 100 requests a second.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <thread>

#include "platform/sensors/PhoneDevice.h"
#include "platform/sensors/PolledMotionSource.h"
#include "tests/support/PhoneTestServer.h"

namespace {

using namespace std::chrono_literals;
using zemtra::platform::MotionKind;
using zemtra::platform::sensors::PhoneDevice;
using zemtra::platform::sensors::PolledMotionSource;
using zemtra::platform::sensors::SensorClock;

double processorSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

const SensorClock& realClock() {
    static const SensorClock clock{[began = std::chrono::steady_clock::now()] {
                                       return std::chrono::steady_clock::now() - began;
                                   },
                                   false};
    return clock;
}

// A source polling the stand-in on its own thread, with its first sample in.
std::unique_ptr<PolledMotionSource> liveSource(const zemtra::testing::PhoneTestServer& server,
                                               std::chrono::milliseconds period) {
    auto source = std::make_unique<PolledMotionSource>(
        PhoneDevice::open(server.url(), realClock()).value(), period, realClock(),
        PolledMotionSource::Polling::ownThread);
    source->start(MotionKind::magnetometer);
    source->start(MotionKind::deviceMotion);
    while (!source->latestMagneticField()) std::this_thread::sleep_for(10ms);
    return source;
}

void BM_TickReadsOfThePhoneSource(benchmark::State& state) {
    const zemtra::testing::PhoneTestServer server;
    const auto source = liveSource(server, PhoneDevice::kPeriod);
    for (auto _ : state) {
        benchmark::DoNotOptimize(source->latestMagneticField());
        benchmark::DoNotOptimize(source->latestDeviceMotion());
        benchmark::DoNotOptimize(source->status());
    }
}
BENCHMARK(BM_TickReadsOfThePhoneSource);

// The share of a core that the process's other threads used while this one slept for five
// seconds: the polling thread's.
double otherThreadsCorePercent() {
    constexpr auto kSpan = 5s;
    const double process = processorSeconds(RUSAGE_SELF);
    const double main = processorSeconds(RUSAGE_THREAD);
    std::this_thread::sleep_for(kSpan);
    const double others =
        (processorSeconds(RUSAGE_SELF) - process) - (processorSeconds(RUSAGE_THREAD) - main);
    return 100 * others / std::chrono::duration<double>(kSpan).count();
}

// One request and its answer on this thread: the processor time a poll costs.
void BM_OneRequest(benchmark::State& state) {
    const zemtra::testing::PhoneTestServer server;
    const auto device = PhoneDevice::open(server.url(), realClock()).value();
    for (auto _ : state) benchmark::DoNotOptimize(device->read({}));
}
BENCHMARK(BM_OneRequest)->Unit(benchmark::kMicrosecond);

// The main thread sleeps meanwhile, so the process's processor time beyond its own is the
// polling thread's.
void BM_PollingThreadShareOfACore(benchmark::State& state) {
    const zemtra::testing::PhoneTestServer server;
    const auto source = liveSource(server, std::chrono::milliseconds(state.range(0)));
    for (auto _ : state) {
        state.counters["core_percent"] = otherThreadsCorePercent();
        state.counters["samples_per_s"] = source->status().samplesPerSecond;
    }
}
BENCHMARK(BM_PollingThreadShareOfACore)
    ->Arg(PhoneDevice::kPeriod.count())
    ->Arg(10)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The same thread over a device that answers at once: what waking up at the period costs alone.
class ConstantDevice final : public zemtra::platform::sensors::MotionDevice {
  public:
    std::string description() const override { return "constant"; }
    zemtra::platform::Result<zemtra::platform::sensors::MotionReading> read(
        const std::stop_token&) override {
        return zemtra::platform::sensors::MotionReading{zemtra::platform::MagneticField{1, 2, 3},
                                                        zemtra::platform::DeviceMotion{}};
    }
};

void BM_WakingThreadShareOfACore(benchmark::State& state) {
    PolledMotionSource source(std::make_unique<ConstantDevice>(), PhoneDevice::kPeriod, realClock(),
                              PolledMotionSource::Polling::ownThread);
    source.start(MotionKind::magnetometer);
    for (auto _ : state) state.counters["core_percent"] = otherThreadsCorePercent();
}
BENCHMARK(BM_WakingThreadShareOfACore)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
