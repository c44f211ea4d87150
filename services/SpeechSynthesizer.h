// The platform objects behind RtTTS: the synthesizer (what the wrapper wraps; its settings live in
// its attached map) and a voice found by language.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/SpeechOutput.h"
#include "runtime/core/Object.h"

namespace zemtra {

class RtTTSDelegate;

// Speaks through the speech back end it was created with. Holds its delegate weakly (the wrapper's
// attached map keeps the delegate alive); a completion reaches the delegate only while both live.
class SpeechSynthesizer final : public Object {
  public:
    static constexpr StringView kClassName = u"SpeechSynthesizer";
    explicit SpeechSynthesizer(std::shared_ptr<platform::SpeechOutput> output)
        : output_(std::move(output)) {}
    String className() const override { return String(kClassName); }

    platform::SpeechOutput& output() const { return *output_; }
    const std::shared_ptr<platform::SpeechOutput>& sharedOutput() const { return output_; }
    void setDelegate(const std::shared_ptr<RtTTSDelegate>& delegate) { delegate_ = delegate; }

    // Queues the utterance; `text` is what the completion reports.
    void speak(platform::SpeechUtterance utterance, const String& text);
    void stopSpeaking() { output_->stop(); }

  private:
    std::shared_ptr<platform::SpeechOutput> output_;
    std::weak_ptr<RtTTSDelegate> delegate_;
};

class SpeechVoice final : public Object {
  public:
    static constexpr StringView kClassName = u"SpeechVoice";
    explicit SpeechVoice(platform::SpeechVoiceInfo info) : info_(std::move(info)) {}
    String className() const override { return String(kClassName); }
    String description() const override;

    const platform::SpeechVoiceInfo& info() const { return info_; }

  private:
    platform::SpeechVoiceInfo info_;
};

}  // namespace zemtra
