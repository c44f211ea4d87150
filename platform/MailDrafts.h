// Where unsent messages are kept: each one is written as an RFC 5322 message file (".eml") into a
// folder. Main thread only; the write is complete when the call returns.
#pragma once

#include <cstdint>
#include <string>

#include "platform/MailMessage.h"

namespace zemtra::platform {

struct DraftOutcome {
    bool saved = false;
    std::string path;     // the file written, when saved
    std::string failure;  // why nothing was written, when !saved
};

class MailDrafts {
  public:
    virtual ~MailDrafts() = default;
    // Writes `message` from `sender` dated `epochMillis` into `folder` (created when missing)
    // under a new file name; an existing file is never replaced. A message failing the checks of
    // MailMessage.h (recipients not required) is not written.
    virtual DraftOutcome save(const MailMessage& message, const std::string& sender,
                              int64_t epochMillis, const std::string& folder) = 0;
};

}  // namespace zemtra::platform
