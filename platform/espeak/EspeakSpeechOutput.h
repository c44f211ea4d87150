// The espeak-ng speech back end: utterances are synthesised on the engine's thread and laid out on
// a timeline on the program's clock, which a sink turns into sound or a recording.
//
// Timeline: an utterance starts at the later of the moment it was spoken and the end of the one
// before it; its completion is delivered on the main queue at the moment its audio ends. stop()
// cuts the timeline at the current moment: the utterance being heard is cut there, queued ones are
// dropped, and neither raises a completion. One that ended exactly at that moment was heard whole
// and still completes.
//
// Failures: an utterance espeak-ng cannot synthesise takes no time on the timeline and completes
// when the one before it ends; audio the sink cannot deliver is lost while the timeline goes on.
// status() says so (the sink's failure first, since nothing is heard then) until a later
// utterance is synthesised, or the sink delivers again; each change is reported once on the
// diagnostics channel.
//
// Under the virtual clock the back end holds external work on the program queue while synthesising,
// so the clock cannot move past an utterance before its length is known: a run with the same input
// gives the same timeline, sample for sample.
//
// Created with create() (the object hands weak references of itself to posted tasks). close() (or
// destruction) cancels its synthesis, waits for the engine to let go of it, brings the sink up to
// now and lets the sink go; the queue must still exist then.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/ProgramQueue.h"
#include "platform/Result.h"
#include "platform/SpeechOutput.h"
#include "platform/espeak/AudioSink.h"

namespace zemtra::platform::espeak {

class EspeakEngine;

class EspeakSpeechOutput final : public SpeechOutput,
                                 public std::enable_shared_from_this<EspeakSpeechOutput> {
  public:
    // `language` is the voice of every utterance that names none (a voice language from
    // voices()); empty for espeak-ng's English voice.
    static std::shared_ptr<EspeakSpeechOutput> create(ProgramQueue& queue, EspeakEngine& engine,
                                                      std::unique_ptr<AudioSink> sink,
                                                      std::string language = {});
    ~EspeakSpeechOutput() override;

    void speak(SpeechUtterance utterance, std::function<void()> finished) override;
    void stop() override;
    std::vector<SpeechVoiceInfo> voices() const override;
    SpeechStatus status() const override;
    void close() override;

    int sampleRate() const { return sampleRate_; }
    // The current moment as a sample position of the timeline.
    int64_t nowSample() const;

    struct Passkey {
      private:
        friend class EspeakSpeechOutput;
        Passkey() = default;
    };
    EspeakSpeechOutput(Passkey, ProgramQueue& queue, EspeakEngine& engine,
                       std::unique_ptr<AudioSink> sink, std::string language);

  private:
    struct Utterance {
        uint64_t id;
        int64_t spokenAt;            // sample position of the Speak:: call
        std::optional<int64_t> end;  // known once synthesised
        std::shared_ptr<std::atomic<bool>> cancelled;
        std::function<void()> finished;
    };

    void synthesised(uint64_t id, std::vector<int16_t> samples);
    void failed(uint64_t id, const std::string& reason);
    // Puts the utterance on the timeline after the one before it and schedules its completion.
    void layOut(uint64_t id, std::vector<int16_t> samples);
    // Notes how synthesis or the sink did and reports a change of status().
    void note(std::optional<std::string>& failure, const Result<void>& outcome);
    void complete(uint64_t id);
    std::chrono::nanoseconds timeOf(int64_t sample) const;

    ProgramQueue& queue_;
    EspeakEngine& engine_;
    const std::string language_;
    bool closed_ = false;
    std::unique_ptr<AudioSink> sink_;
    const int sampleRate_;
    const std::chrono::nanoseconds origin_;
    uint64_t nextId_ = 0;
    int64_t timelineEnd_ = 0;                      // the end of the last utterance laid out
    std::deque<Utterance> utterances_;             // spoken, not yet finished or dropped, in order
    std::optional<std::string> synthesisFailure_;  // while espeak-ng fails, why
    std::optional<std::string> deliveryFailure_;   // while the sink fails, why

    // Jobs of this back end still inside the engine (their callbacks hold no strong reference).
    struct InFlight {
        std::mutex mutex;
        std::condition_variable idle;
        int count = 0;
    };
    std::shared_ptr<InFlight> inFlight_ = std::make_shared<InFlight>();
};

}  // namespace zemtra::platform::espeak
