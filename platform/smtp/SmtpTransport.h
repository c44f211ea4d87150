// The mail transport over SMTP with libcurl: smtp:// (upgraded with STARTTLS when the server
// offers it, and required when a password is sent) or smtps://, certificates verified, the body
// quoted-printable and attachments base64 through libcurl's MIME parts, a non-ASCII subject as
// RFC 2047 encoded words. Sends run one at a time on a worker thread owned by the transport (see
// MailTransport.h for the contract).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/MailTransport.h"

namespace zemtra::platform::smtp {

struct SmtpSettings {
    std::string url;     // smtp://host[:port] or smtps://host[:port]
    std::string sender;  // the From address
    std::string user;    // empty: no login
    std::string password;
    std::chrono::milliseconds connectTimeout{10000};
    // A transfer that moves no data for this long is given up.
    std::chrono::seconds stallTimeout{60};
    // How long destroying the transport waits for a send in progress before cutting it off.
    std::chrono::milliseconds shutdownGrace{30000};

    // Reads the login from ZEMTRA_SMTP_USER and ZEMTRA_SMTP_PASSWORD.
    void takeCredentialsFromEnvironment();
};

class SmtpTransport final : public MailTransport {
  public:
    explicit SmtpTransport(SmtpSettings settings);
    ~SmtpTransport() override;
    SmtpTransport(const SmtpTransport&) = delete;
    SmtpTransport& operator=(const SmtpTransport&) = delete;

    const std::string& sender() const override { return settings_.sender; }
    void send(MailMessage message, std::function<void(MailOutcome)> done) override;

    // The message's top-level headers as they are sent (without the MIME ones libcurl adds);
    // exposed for tests of the header encoding.
    static std::vector<std::string> headersFor(const MailMessage& message,
                                               const std::string& sender,
                                               std::chrono::system_clock::time_point date);

  private:
    struct Job {
        MailMessage message;
        std::function<void(MailOutcome)> done;
    };

    void work();
    MailOutcome deliver(const MailMessage& message);

    const SmtpSettings settings_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    bool busy_ = false;
    bool stopping_ = false;
    // Read by libcurl's progress callback on the worker: set when the grace time ran out.
    std::atomic<bool> abort_{false};
    std::thread worker_;
};

}  // namespace zemtra::platform::smtp
