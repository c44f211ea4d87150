// Speech latency on the real clock: from Speak:: to the first synthesised sample (at espeak-ng's
// callback, and where the sound card's sink receives it), and from a clearing Speak:: to the
// silence of the utterance before it (the sink's cut, and espeak-ng stopping its synthesis).
// Targets: at most 50 ms and at most 20 ms. Iterations are fixed: the timed part of an iteration
// is a small share of it, so a time-based count would run for minutes.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <memory>

#include "platform/espeak/AudioSink.h"
#include "platform/espeak/EspeakEngine.h"
#include "platform/espeak/EspeakSpeechOutput.h"
#include "runtime/core/Clock.h"
#include "runtime/core/MainQueue.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RuntimeScope.h"
#include "services/MainQueueAccess.h"
#include "services/RtTTS.h"

namespace {

using namespace zemtra;
using Steady = std::chrono::steady_clock;
using platform::espeak::EspeakEngine;

constexpr const char* kLongText =
    "The quick brown fox jumps over the lazy dog, again and again, until the evening comes and "
    "the river runs dark under the old stone bridge near the village.";

// Notes when audio arrives and when it is cut, as a sound card's sink would see them.
class TimingSink final : public platform::espeak::AudioSink {
  public:
    void play(int64_t, std::vector<int16_t>) override {
        played = Steady::now();
        ++plays;
    }
    void cutAt(int64_t) override { cut = Steady::now(); }
    void advanceTo(int64_t) override {}
    Steady::time_point played, cut;
    int plays = 0;
};

struct SpeakingRuntime {
    SpeakingRuntime() {
        auto timing = std::make_unique<TimingSink>();
        sink = timing.get();
        output = platform::espeak::EspeakSpeechOutput::create(queueAccess, EspeakEngine::instance(),
                                                              std::move(timing));
        scope.add<platform::SpeechOutput>(output);
        tts->Initialize(RtCore::shared(), u"talk");
    }
    ~SpeakingRuntime() { output->close(); }
    // Runs the queue until the sink has received another utterance.
    void waitForPlay(int plays) {
        while (sink->plays < plays) {
            if (!queue.runOne()) std::this_thread::yield();
        }
    }

    RealClock clock;
    MainQueue queue{clock};
    MainQueue::Installation installation{queue};
    MainQueueAccess queueAccess{queue};
    RuntimeScope scope;
    TimingSink* sink = nullptr;
    std::shared_ptr<platform::espeak::EspeakSpeechOutput> output;
    std::shared_ptr<RtTTS> tts = std::make_shared<RtTTS>();
};

double secondsBetween(Steady::time_point from, Steady::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// Submission to espeak-ng's first sample callback.
void BM_SpeakToFirstSynthesisedSample(benchmark::State& state) {
    EspeakEngine& engine = EspeakEngine::instance();
    for (auto _ : state) {
        std::atomic<bool> done{false}, first{false};
        Steady::time_point firstSample;
        EspeakEngine::Job job;
        job.text = "Zemtrah";
        job.onSamples = [&](std::span<const int16_t>) {
            if (!first.exchange(true)) firstSample = Steady::now();
        };
        job.onDone = [&](const platform::Result<bool>&) { done.store(true); };
        const auto start = Steady::now();
        engine.submit(std::move(job));
        while (!done.load()) std::this_thread::yield();
        state.SetIterationTime(secondsBetween(start, firstSample));
    }
}
BENCHMARK(BM_SpeakToFirstSynthesisedSample)
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

// Speak:: (clearing) to the utterance reaching the sound card's sink through the main queue.
void BM_SpeakToSamplesAtTheSink(benchmark::State& state) {
    SpeakingRuntime runtime;
    int plays = 0;
    for (auto _ : state) {
        const auto start = Steady::now();
        runtime.tts->Speak(u"Zemtrah", true);
        runtime.waitForPlay(++plays);
        state.SetIterationTime(secondsBetween(start, runtime.sink->played));
    }
}
BENCHMARK(BM_SpeakToSamplesAtTheSink)
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

// A clearing Speak:: while a long utterance plays, to the sink's cut of it.
void BM_ClearingSpeakToSinkSilence(benchmark::State& state) {
    SpeakingRuntime runtime;
    int plays = 0;
    for (auto _ : state) {
        runtime.tts->Speak(u"the long one is playing now", true);
        runtime.waitForPlay(++plays);
        const auto start = Steady::now();
        runtime.tts->Speak(u"Zemtrah", true);
        state.SetIterationTime(secondsBetween(start, runtime.sink->cut));
        runtime.waitForPlay(++plays);
    }
}
BENCHMARK(BM_ClearingSpeakToSinkSilence)
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

// Cancelling a long text while espeak-ng synthesises it, to the end of its synthesis.
void BM_CancelToSynthesisStopped(benchmark::State& state) {
    EspeakEngine& engine = EspeakEngine::instance();
    for (auto _ : state) {
        std::atomic<bool> started{false}, done{false};
        Steady::time_point finished;
        EspeakEngine::Job job;
        job.text = kLongText;
        auto cancelled = job.cancelled;
        job.onSamples = [&](std::span<const int16_t>) { started.store(true); };
        job.onDone = [&](const platform::Result<bool>&) {
            finished = Steady::now();
            done.store(true);
        };
        engine.submit(std::move(job));
        while (!started.load()) std::this_thread::yield();
        const auto start = Steady::now();
        cancelled->store(true);
        while (!done.load()) std::this_thread::yield();
        state.SetIterationTime(secondsBetween(start, finished));
    }
}
BENCHMARK(BM_CancelToSynthesisStopped)
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
