// The `none` speech back end: nothing is heard, and every utterance completes at once (posted on
// the main queue, in order) unless stop() comes first.
#pragma once

#include <deque>
#include <memory>

#include "platform/ProgramQueue.h"
#include "platform/SpeechOutput.h"

namespace zemtra::platform::espeak {

class NoSpeechOutput final : public SpeechOutput,
                             public std::enable_shared_from_this<NoSpeechOutput> {
  public:
    explicit NoSpeechOutput(ProgramQueue& queue) : queue_(queue) {}

    void speak(SpeechUtterance utterance, std::function<void()> finished) override;
    void stop() override { ++generation_; }
    std::vector<SpeechVoiceInfo> voices() const override { return {}; }

  private:
    ProgramQueue& queue_;
    uint64_t generation_ = 0;  // a stop() makes the completions posted before it do nothing
};

}  // namespace zemtra::platform::espeak
