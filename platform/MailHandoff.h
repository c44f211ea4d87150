// Handing a composed message to the person's own mail program (on a desktop: through xdg-email),
// where they finish and send it themselves. The program then no longer knows what becomes of the
// message: a handoff that worked means the mail program has it, not that it was sent.
//
// Contract:
// - handOver() returns at once; `done` is called exactly once per message, on the back end's own
//   thread (never on the caller's): success once the mail program has taken the message, or the
//   reason it could not (no mail program set up, it would not start, …). Success answers the
//   folder that holds the attachments.
// - The attachments are written to files of their own names in a fresh folder that is left for
//   the mail program, which may read them only when the person sends.
// - Destroying the back end is prompt: a mail program still starting is left running, and its
//   `done` is not called.
#pragma once

#include <functional>
#include <string>

#include "platform/MailMessage.h"
#include "platform/Result.h"

namespace zemtra::platform {

class MailHandoff {
  public:
    virtual ~MailHandoff() = default;
    virtual void handOver(MailMessage message, std::function<void(Result<std::string>)> done) = 0;
};

}  // namespace zemtra::platform
