// The silent speech back end.
#include "platform/espeak/NoSpeechOutput.h"

namespace zemtra::platform::espeak {

void NoSpeechOutput::speak(SpeechUtterance, std::function<void()> finished) {
    queue_.post(
        [self = weak_from_this(), generation = generation_, finished = std::move(finished)] {
            const auto output = self.lock();
            if (output && output->generation_ == generation && finished) finished();
        });
}

}  // namespace zemtra::platform::espeak
