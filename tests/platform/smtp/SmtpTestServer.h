// Test support for mail: a real SMTP server on 127.0.0.1 (Debian's aiosmtpd, run by the system
// Python) that stores what it receives in a maildir, a TCP listener that accepts and never
// answers, and a way to read messages with Python's email package. Every wait is bounded.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zemtra::testing {

// A port on 127.0.0.1 that was free a moment ago.
int freeLocalPort();

class SmtpTestServer {
  public:
    // Starts the server and waits (at most 15 s) until it accepts connections; check ready().
    SmtpTestServer();
    ~SmtpTestServer();
    SmtpTestServer(const SmtpTestServer&) = delete;
    SmtpTestServer& operator=(const SmtpTestServer&) = delete;

    bool ready() const { return ready_; }
    std::string url() const { return "smtp://127.0.0.1:" + std::to_string(port_); }
    // Ends the server; connections are refused afterwards.
    void stop();
    // The files of the messages received so far.
    std::vector<std::filesystem::path> messages() const;
    // Waits (at most `limit`) until `count` messages are there.
    bool waitForMessages(size_t count,
                         std::chrono::milliseconds limit = std::chrono::seconds(15)) const;

  private:
    std::filesystem::path folder_;
    int port_ = 0;
    pid_t process_ = -1;
    bool ready_ = false;
};

// Accepts connections on 127.0.0.1 and says nothing, so a client waits for a greeting forever.
class SilentServer {
  public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;
    std::string url() const { return "smtp://127.0.0.1:" + std::to_string(port_); }
    // Waits (at most `limit`) for a client and keeps its connection open.
    bool waitForClient(std::chrono::milliseconds limit);

  private:
    int socket_ = -1;
    int client_ = -1;
    int port_ = 0;
};

// Runs /usr/bin/python3 with the script and the arguments; answers its standard output, or
// nothing when it failed (its standard error then goes to the test's).
std::optional<std::string> runPython(const std::string& script,
                                     const std::vector<std::string>& arguments);

// Reads a message file with Python's email package and describes it in lines "key=value", the
// values of binary parts in hexadecimal: subject (decoded), header names present, the body parts
// (type, hex) and attachments (filename, type, hex); see the script for the exact keys.
std::optional<std::string> describeMessage(const std::filesystem::path& file);

std::string hex(const std::string& bytes);

}  // namespace zemtra::testing
