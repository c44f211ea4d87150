// Turns the --speech option ("espeak", "wav:FILE", "none") into a speech back end for the program.
#pragma once

#include <memory>
#include <string>

#include "platform/ProgramQueue.h"
#include "platform/SpeechOutput.h"

namespace zemtra::platform::espeak {

struct SpeechOutputChoice {
    std::shared_ptr<SpeechOutput> output;  // null when `error` says why
    std::string error;
};

// `espeak` without a sound card says so once on standard error and speaks silently. The back end
// keeps `queue` (and its clock) and must be destroyed before them.
SpeechOutputChoice createSpeechOutput(const std::string& option, ProgramQueue& queue);

}  // namespace zemtra::platform::espeak
