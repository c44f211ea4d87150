// Opening the review window on a recorded session from inside the running program (the log
// panel's Review button).
//
// Contract:
// - openNewest() runs on the main thread and returns at once: with the reason it cannot open (no
//   session recorded yet, no window in a headless run), or having begun to read the session's
//   journal on a thread of its own, so that a long session never holds up the main thread's ticks.
//   The window shows once the journal is read (or is raised, when it already shows); a journal
//   that cannot be read is then said through `failed`, on the main thread. A press while a journal
//   is being read adds nothing.
// - The window lives until the person closes it or the back end is destroyed; destroying the back
//   end waits for a read under way and drops what it read.
#pragma once

#include <functional>
#include <string>

#include "platform/Result.h"

namespace zemtra::platform {

class SessionReview {
  public:
    virtual ~SessionReview() = default;
    // False in a headless run: open() would only say so.
    virtual bool hasWindow() const = 0;
    using Failed = std::function<void(const std::string& reason)>;
    // The newest session under the documents directory (ending with "/").
    virtual Result<void> openNewest(const std::string& documentsDirectory, Failed failed) = 0;
};

}  // namespace zemtra::platform
