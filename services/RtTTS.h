// The speech wrapper: speaks text through the speech back end registered in the runtime scope.
// Its settings live in the synthesizer's attached map ("pitch", "speechrate", "voice", the event
// binding and "delegate"); the setters store what they are given and the back end applies its own
// limits when it speaks. "<prefix>_complete:" is raised with the text of each utterance heard to
// its end, never for one cut off, and also for one the back end could not speak (so that whoever
// waits for it moves on); Status then says why. Before Initialize:: every operation does nothing
// and the getters read 0.
#pragma once

#include <memory>

#include "runtime/core/RtObjectWrapper.h"

namespace zemtra {

class RtCore;
class RtList;
class SpeechSynthesizer;

class RtTTS final : public RtObjectWrapper {
  public:
    static constexpr StringView kClassName = u"RtTTS";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override;
    const MethodTable* methods() const override;

    // Raises "ServiceError" when no speech back end is registered in the runtime scope.
    void Initialize(const std::shared_ptr<RtCore>& core, const String& prefix);
    // With `clear`, first silences what is being spoken and drops what is queued.
    void Speak(const String& text, bool clear);
    void Stop();
    // Answers whether a voice speaks `language` (such as "en-US"; case and "-"/"_" do not matter);
    // when none does, the voice stays as it was.
    bool SetLanguage(const String& language);
    std::shared_ptr<RtList> GetSupportedLanguages();
    // Why speech is not being heard, in plain words ("the sound card stopped: …"); empty while it
    // works. Reads the back end's latest word without waiting for it.
    String Status() const;

    float Pitch() const { return readFloat(u"pitch"); }
    void setPitch(float pitch) { storeFloat(u"pitch", pitch); }
    float SpeechRate() const { return readFloat(u"speechrate"); }
    void setSpeechRate(float rate) { storeFloat(u"speechrate", rate); }
    float MAX_SPEECH_RATE() const;
    float MIN_SPEECH_RATE() const;

  private:
    std::shared_ptr<SpeechSynthesizer> synthesizer() const;
    float readFloat(StringView key) const;
    void storeFloat(StringView key, float value);
};

}  // namespace zemtra
