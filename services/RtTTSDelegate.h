// Receives the synthesizer's end-of-utterance callback (on the main thread) and raises the bound
// module's "<prefix>_complete:" event with the utterance's text.
#pragma once

#include "runtime/core/Object.h"

namespace zemtra {

class SpeechSynthesizer;

class RtTTSDelegate final : public Object {
  public:
    static constexpr StringView kClassName = u"RtTTSDelegate";
    String className() const override { return String(kClassName); }

    // speechSynthesizer:didFinishSpeechUtterance:
    void didFinishSpeechUtterance(SpeechSynthesizer& synthesizer, const String& text);
};

}  // namespace zemtra
