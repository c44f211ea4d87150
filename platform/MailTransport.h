// The mail transport: sends a composed message to a mail server on a thread of its own.
//
// Contract:
// - send() returns at once; `done` is called exactly once per accepted message, on the
//   transport's own thread (never on the caller's), with the outcome. Messages are sent one after
//   the other in the order given.
// - A message that fails the checks of MailMessage.h is never sent: `done` reports the problem.
// - Destroying the transport waits for the messages already given to it (for a bounded time
//   chosen at construction); then the send in progress is cut off (its `done` reports it) and
//   messages not yet started are dropped without a call.
#pragma once

#include <functional>
#include <string>

#include "platform/MailMessage.h"

namespace zemtra::platform {

struct MailOutcome {
    bool sent = false;
    std::string failure;  // why it was not sent, when !sent
};

class MailTransport {
  public:
    virtual ~MailTransport() = default;
    // The sender address (From) the transport uses; empty when none is set up.
    virtual const std::string& sender() const = 0;
    virtual void send(MailMessage message, std::function<void(MailOutcome)> done) = 0;
};

}  // namespace zemtra::platform
