// Mail test support: a real SMTP server on 127.0.0.1 (Debian's aiosmtpd, run by the system Python)
// that keeps every message exactly as it arrived, a listener that never answers, and Python's
// email package to read messages with. The server may speak TLS (STARTTLS or implicit, smtps://)
// with a certificate for 127.0.0.1 signed by a certificate authority the test makes with openssl,
// require a login and refuse recipients.
//
// The test makes the server's listening socket itself and hands it to the child, so the port is
// known and connections wait in its backlog from the start: no free-port guess, no waiting for
// the server to come up. Every wait is bounded.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::testing {

// A listening socket on 127.0.0.1 with a port of the system's choice.
class LocalListener {
  public:
    LocalListener();
    ~LocalListener();
    LocalListener(const LocalListener&) = delete;
    LocalListener& operator=(const LocalListener&) = delete;
    int descriptor() const { return socket_; }
    int port() const { return port_; }
    std::string url() const { return "smtp://127.0.0.1:" + std::to_string(port_); }
    void close();

  private:
    int socket_ = -1;
    int port_ = 0;
};

// Accepts connections into its backlog and never answers: a client waits for the greeting.
using StalledServer = LocalListener;

struct ReceivedMail {
    bool secure = false;                  // it came over TLS
    std::string login;                    // the user that logged in; empty: none
    std::string text;                     // the message as it was sent (CR LF line ends)
    std::string sender;                   // the envelope's MAIL FROM
    std::vector<std::string> recipients;  // the envelope's RCPT TO, in order
};

struct SmtpServerOptions {
    enum class Security { plain, starttls, implicitTls };
    Security security = Security::plain;
    std::string login;                 // "USER:PASSWORD", the one accepted (then required)
    std::vector<std::string> refused;  // recipients refused with 550
};

class SmtpTestServer {
  public:
    explicit SmtpTestServer(const SmtpServerOptions& options = {});
    ~SmtpTestServer();
    SmtpTestServer(const SmtpTestServer&) = delete;
    SmtpTestServer& operator=(const SmtpTestServer&) = delete;

    // smtp://127.0.0.1:PORT, or smtps:// for implicit TLS.
    std::string url() const { return url_; }
    // The PEM file of the authority that signed the server's certificate (TLS only).
    std::string certificateAuthority() const { return (folder_ / "authority.pem").string(); }
    // Ends the server; connections are refused afterwards.
    void stop();
    // Waits (at most `limit`) until `count` messages have arrived; answers all that arrived.
    std::vector<ReceivedMail> waitForMessages(
        size_t count, std::chrono::milliseconds limit = std::chrono::seconds(15)) const;
    // What the server wrote on its standard error (why it did not come up).
    std::string problems() const { return server_ ? server_->err() : std::string(); }

  private:
    TemporaryFolder folder_{"zemtra-smtp"};
    std::string url_;
    std::unique_ptr<ChildProcess> server_;
};

// A stand-in for xdg-email in `folder` (folder/bin/xdg-email, for PATH or as the program itself):
// it writes its arguments, one per line, to folder/arguments, copies each --attach file into
// folder/attached/, waits `seconds`, and exits with `status`.
std::string writeStandInXdgEmail(const TemporaryFolder& folder, int status = 0, int seconds = 0);

// Reads a message with Python's email package and describes it in lines "key=value": subject
// (decoded), headers (the names present, lower case, sorted), to, body (type, hex of the
// decoded bytes, line ends as LF) and one "attachment=" line per attachment (file name, type,
// hex of the bytes).
std::optional<std::string> describeMessage(const std::string& text);

std::string hex(std::string_view bytes);

}  // namespace zemtra::testing
