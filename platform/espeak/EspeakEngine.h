// espeak-ng in retrieval mode, shared by every speech back end of the process (espeak-ng keeps one
// synthesiser per process, so this is a documented singleton created on first use).
//
// Contract:
// - submit() may be called from any thread and returns at once. Jobs are synthesised one at a
//   time, in submission order, on a thread of the engine's own.
// - A job's onSamples runs on espeak-ng's thread with consecutive pieces of the audio (mono,
//   16-bit, sampleRate() per second); it must not block. onDone runs once per job on the engine's
//   thread after its last samples: true when the job was synthesised to its end, false when it
//   was cancelled before or while it was synthesised, a failure when espeak-ng could not
//   synthesise it (no such voice, an engine error), with espeak-ng's reason. A failed job does not
//   hold up the ones behind it.
// - Setting a job's cancel flag stops its synthesis within a fraction of a millisecond (the
//   sample callback asks espeak-ng to abort); a job cancelled before it starts is never
//   synthesised.
// - espeak-ng carries state from one message to the next (its noise source): the audio of a text
//   depends on everything synthesised before it in the process. A job marked synthesiseWhole is
//   synthesised to its end even when cancelled (its samples are dropped), so that the audio of
//   later jobs does not depend on how far a cancelled one had got.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/Result.h"
#include "platform/SpeechOutput.h"

namespace zemtra::platform::espeak {

// espeak-ng's own settings for one utterance, already inside the engine's limits.
struct EspeakSettings {
    int wordsPerMinute = 175;
    int pitch = 50;        // 0 to 99
    std::string language;  // empty: the default voice
};

// The wrapper's rate (0..1, 0.5 normal) and pitch multiplier (0.5..2, 1 normal) as espeak-ng's
// words per minute (80..450, 175 normal) and pitch (0..99, 50 normal); out-of-range and
// non-finite values are clamped (a non-finite value counts as normal).
int wordsPerMinuteFor(float rate);
int pitchFor(float multiplier);
EspeakSettings settingsFor(const SpeechUtterance& utterance);

class EspeakEngine {
  public:
    struct Job {
        std::string text;  // UTF-8
        EspeakSettings settings;
        std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
        bool synthesiseWhole = false;
        std::function<void(std::span<const int16_t>)> onSamples;
        std::function<void(const Result<bool>& heardWhole)> onDone;
    };

    // Initialises espeak-ng on first use; raises std::runtime_error when it cannot (no data).
    static EspeakEngine& instance();

    EspeakEngine(const EspeakEngine&) = delete;
    EspeakEngine& operator=(const EspeakEngine&) = delete;
    ~EspeakEngine();

    int sampleRate() const { return sampleRate_; }
    const std::vector<SpeechVoiceInfo>& voices() const { return voices_; }

    void submit(Job job);

    // From espeak-ng's sample callback: hands samples of message `message` to the current job and
    // notes its end; answers whether espeak-ng should abort the message.
    bool deliver(std::span<const int16_t> samples, uintptr_t message, bool ended);

  private:
    EspeakEngine();
    void run();
    Result<void> synthesise(Job& job);

    int sampleRate_ = 0;
    std::vector<SpeechVoiceInfo> voices_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    bool quitting_ = false;

    // The job espeak-ng is synthesising and whether its message has ended; guarded by
    // synthesisMutex_ (the sample callback runs on espeak-ng's thread).
    std::mutex synthesisMutex_;
    std::condition_variable synthesisEnded_;
    Job* current_ = nullptr;
    uintptr_t currentMessage_ = 0;
    bool messageEnded_ = false;

    std::thread thread_;
};

}  // namespace zemtra::platform::espeak
