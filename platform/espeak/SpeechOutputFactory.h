// Turns the --speech option ("espeak", "wav:FILE", "none") into a speech back end for the program,
// and the --voice option into one of espeak-ng's installed voices.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ProgramQueue.h"
#include "platform/Result.h"
#include "platform/SpeechOutput.h"

namespace zemtra::platform::espeak {

// The back end, or why there is none. `espeak` without a sound card says so once on the
// diagnostics channel and speaks silently. The back end keeps `queue` (and its clock) and must be
// destroyed before them.
// `language` (a voice's language from installedVoices()) speaks every utterance that names no
// voice; empty for espeak-ng's English voice.
Result<std::shared_ptr<SpeechOutput>> createSpeechOutput(const std::string& option,
                                                         ProgramQueue& queue,
                                                         const std::string& language = {});

// espeak-ng's voices in its order, or why espeak-ng cannot be used.
Result<std::vector<SpeechVoiceInfo>> installedVoices();

// The voice that `name` names: one whose language code it is ("de", "en-GB"), else one whose
// name it is ("German", "English (Great Britain)"; "_" may stand for a space as espeak-ng's own
// lists write it). Case does not matter. Nothing when no voice matches.
std::optional<SpeechVoiceInfo> findVoice(const std::vector<SpeechVoiceInfo>& voices,
                                         std::string_view name);

}  // namespace zemtra::platform::espeak
