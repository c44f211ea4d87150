// Turns the --speech option ("espeak", "wav:FILE", "none") into a speech back end for the program.
#pragma once

#include <memory>
#include <string>

#include "platform/ProgramQueue.h"
#include "platform/Result.h"
#include "platform/SpeechOutput.h"

namespace zemtra::platform::espeak {

// The back end, or why there is none. `espeak` without a sound card says so once on the
// diagnostics channel and speaks silently. The back end keeps `queue` (and its clock) and must be
// destroyed before them.
Result<std::shared_ptr<SpeechOutput>> createSpeechOutput(const std::string& option,
                                                         ProgramQueue& queue);

}  // namespace zemtra::platform::espeak
