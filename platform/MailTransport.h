// The mail transport: sends a composed message to a mail server on a thread of its own.
//
// Contract:
// - send() returns at once; `done` is called exactly once per message, on the transport's own
//   thread (never on the caller's), with the outcome: success, or the reason it was not sent.
//   Messages are sent one after the other in the order given.
// - A message that fails the checks of MailMessage.h is never sent: `done` reports the problem.
// - Destroying the transport is prompt: it gives the message being sent a short, bounded time
//   chosen at construction, then cuts the transfer off. Every message not sent by then is kept
//   as a draft (MailDrafts.h); its `done` and a diagnostics line name the draft's file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/MailMessage.h"
#include "platform/Result.h"

namespace zemtra::platform {

class MailTransport {
  public:
    virtual ~MailTransport() = default;
    // The sender address (From) the transport uses; empty when none is set up.
    virtual const std::string& sender() const = 0;
    // Sends `message` dated `epochMillis` (the program's clock when the person pressed Send).
    virtual void send(MailMessage message, int64_t epochMillis,
                      std::function<void(Result<void>)> done) = 0;
};

}  // namespace zemtra::platform
