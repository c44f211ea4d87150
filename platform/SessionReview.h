// Opening the review window on a recorded session from inside the running program (the log
// panel's Review button).
//
// Contract:
// - open() runs on the main thread and returns once the window shows (or is raised, when it
//   already shows that session), or with the reason it cannot: no session recorded yet, a journal
//   that cannot be read, no window in a headless run.
// - The window lives until the person closes it or the back end is destroyed.
#pragma once

#include <string>

#include "platform/Result.h"

namespace zemtra::platform {

class SessionReview {
  public:
    virtual ~SessionReview() = default;
    // False in a headless run: open() would only say so.
    virtual bool hasWindow() const = 0;
    // The newest session under the documents directory (ending with "/").
    virtual Result<void> openNewest(const std::string& documentsDirectory) = 0;
};

}  // namespace zemtra::platform
