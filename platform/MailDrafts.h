// Where unsent messages are kept: each one is written as an RFC 5322 message file (".eml") into
// the drafts folder the back end was made with. The write is complete when the call returns; it
// may be called from any thread (the transport keeps messages it could not send at the end).
#pragma once

#include <cstdint>
#include <string>

#include "platform/MailMessage.h"
#include "platform/Result.h"

namespace zemtra::platform {

class MailDrafts {
  public:
    virtual ~MailDrafts() = default;
    // Writes `message` from `sender` (empty: no From header) dated `epochMillis` under a new file
    // name (an existing file is never replaced) and answers the file's path. A message failing
    // the checks of MailMessage.h (recipients not required) is not written.
    virtual Result<std::string> save(const MailMessage& message, const std::string& sender,
                                     int64_t epochMillis) = 0;
};

}  // namespace zemtra::platform
