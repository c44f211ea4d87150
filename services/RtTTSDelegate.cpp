// The synthesizer's delegate.
#include "services/RtTTSDelegate.h"

#include "runtime/core/RtObjectWrapper.h"
#include "services/SpeechSynthesizer.h"

namespace zemtra {

void RtTTSDelegate::didFinishSpeechUtterance(SpeechSynthesizer& synthesizer, const String& text) {
    const Value params[] = {Value(text)};
    RtObjectWrapper::raiseEvent(synthesizer, u"_complete:", params);
}

}  // namespace zemtra
