// The mail transport over SMTP with libcurl: smtp:// (upgraded with STARTTLS when the server
// offers it, and required when a password is sent) or smtps://, certificates verified (against
// the system's authorities, or the one named by `certificateAuthority`). What goes
// out is exactly the message writer's text (MessageWriter.h), uploaded as it is; blind copies are
// in the envelope only. Sends run one at a time on a worker thread owned by the transport (see
// MailTransport.h for the contract); the end of the transport wakes the transfer at once, so a
// stalled server never holds the program up for longer than the shutdown grace.
//
// A failure says in plain words what went wrong, from libcurl's error and the server's last reply:
// no connection to the server, the certificate not trusted, no secure connection, the login
// refused, a recipient refused (naming it), the sender or the message refused, timed out; the
// server's own reply follows in quotes. Nothing of the login ever appears in a reason.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/MailDrafts.h"
#include "platform/MailTransport.h"

namespace zemtra::platform::smtp {

struct SmtpSettings {
    std::string url;     // smtp://host[:port] or smtps://host[:port]
    std::string sender;  // the From address
    std::string user;    // empty: no login
    std::string password;
    std::string certificateAuthority;  // a PEM file; empty: the system's authorities
    std::chrono::milliseconds connectTimeout{10000};
    // A transfer that moves no data for this long is given up.
    std::chrono::seconds stallTimeout{60};
    // How long destroying the transport lets a send in progress finish before cutting it off.
    std::chrono::milliseconds shutdownGrace{500};
};

class SmtpTransport final : public MailTransport {
  public:
    // `drafts` keeps what the end of the transport leaves unsent (the folder the mail window saves
    // drafts to).
    SmtpTransport(SmtpSettings settings, std::shared_ptr<MailDrafts> drafts);
    ~SmtpTransport() override;
    SmtpTransport(const SmtpTransport&) = delete;
    SmtpTransport& operator=(const SmtpTransport&) = delete;

    const std::string& sender() const override { return settings_.sender; }
    void send(MailMessage message, int64_t epochMillis,
              std::function<void(Result<void>)> done) override;

  private:
    struct Job {
        MailMessage message;
        int64_t epochMillis = 0;
        std::function<void(Result<void>)> done;
    };
    struct Multi;

    void work();
    Result<void> deliver(const Job& job);
    // Nothing while the transport runs; else the time left before transfers are cut off.
    std::optional<std::chrono::milliseconds> timeBeforeCutOff();
    Result<void> keepAsDraft(const Job& job);

    const SmtpSettings settings_;
    const std::shared_ptr<MailDrafts> drafts_;
    std::unique_ptr<Multi> multi_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    std::chrono::steady_clock::time_point cutOffAt_;
    std::thread worker_;
};

}  // namespace zemtra::platform::smtp
