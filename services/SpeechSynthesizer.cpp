// The synthesizer and voice objects.
#include "services/SpeechSynthesizer.h"

#include "services/RtTTSDelegate.h"

namespace zemtra {

void SpeechSynthesizer::speak(platform::SpeechUtterance utterance, const String& text) {
    auto self = std::static_pointer_cast<SpeechSynthesizer>(shared_from_this());
    // The back end runs this on the main queue once the utterance was heard to its end.
    output_->speak(std::move(utterance), [weakSelf = std::weak_ptr(self), text] {
        const auto synthesizer = weakSelf.lock();
        if (!synthesizer) return;
        if (const auto delegate = synthesizer->delegate_.lock())
            delegate->didFinishSpeechUtterance(*synthesizer, text);
    });
}

String SpeechVoice::description() const {
    return fromUtf8(info_.name + " (" + info_.language + ")");
}

}  // namespace zemtra
