// The program's own diagnostics: one channel with a severity, shared by every back end and the
// process entry, so that they all speak the same way and tests can capture what they say.
//
// Contract:
// - report() may be called on any thread; each message is written whole, as one line.
// - Without an installed sink, messages of severity info and above go to standard error as
//   "zemtra: <text>"; debug messages only when the environment variable ZEMTRA_DEBUG is set.
//   Standard output is never used (it carries the program's log).
// - A DiagnosticsCapture (or any sink installed with ScopedDiagnosticsSink) receives every
//   message, debug included, while it is alive; sinks nest, the newest one wins.
// - A back end that reports something that can repeat (a failing channel, a dropped sample)
//   reports it once per change of state, not once per occurrence.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace zemtra::platform {

enum class Severity { debug, info, warning, error };

class DiagnosticsSink {
  public:
    virtual ~DiagnosticsSink() = default;
    // Called under the channel's lock: keep it short and never report from inside.
    virtual void write(Severity severity, std::string_view text) = 0;
};

namespace diagnostics {
namespace detail {

struct Channel {
    std::mutex mutex;
    DiagnosticsSink* sink = nullptr;
    const bool debug = std::getenv("ZEMTRA_DEBUG") != nullptr;
};

inline Channel& channel() {
    static Channel instance;
    return instance;
}

}  // namespace detail

inline void report(Severity severity, std::string_view text) {
    detail::Channel& channel = detail::channel();
    std::lock_guard lock(channel.mutex);
    if (channel.sink) {
        channel.sink->write(severity, text);
        return;
    }
    if (severity == Severity::debug && !channel.debug) return;
    std::string line = "zemtra: ";
    line.append(text);
    line.push_back('\n');
    // One write per line, so that lines from several threads never interleave.
    size_t written = 0;
    while (written < line.size()) {
        const ssize_t count = ::write(STDERR_FILENO, line.data() + written, line.size() - written);
        if (count <= 0) return;
        written += static_cast<size_t>(count);
    }
}

inline void debug(std::string_view text) { report(Severity::debug, text); }
inline void info(std::string_view text) { report(Severity::info, text); }
inline void warning(std::string_view text) { report(Severity::warning, text); }
inline void error(std::string_view text) { report(Severity::error, text); }

}  // namespace diagnostics

// Installs a sink for its lifetime and puts the previous one back.
class ScopedDiagnosticsSink {
  public:
    explicit ScopedDiagnosticsSink(DiagnosticsSink& sink) {
        auto& channel = diagnostics::detail::channel();
        std::lock_guard lock(channel.mutex);
        previous_ = channel.sink;
        channel.sink = &sink;
    }
    ~ScopedDiagnosticsSink() {
        auto& channel = diagnostics::detail::channel();
        std::lock_guard lock(channel.mutex);
        channel.sink = previous_;
    }
    ScopedDiagnosticsSink(const ScopedDiagnosticsSink&) = delete;
    ScopedDiagnosticsSink& operator=(const ScopedDiagnosticsSink&) = delete;

  private:
    DiagnosticsSink* previous_ = nullptr;
};

// Collects the messages reported while it is alive (for tests).
class DiagnosticsCapture final : public DiagnosticsSink {
  public:
    struct Message {
        Severity severity;
        std::string text;
    };

    DiagnosticsCapture() : installation_(*this) {}

    void write(Severity severity, std::string_view text) override {
        messages_.push_back({severity, std::string(text)});
    }
    // A copy, taken under the channel's lock (back ends report from their own threads).
    std::vector<Message> messages() const {
        std::lock_guard lock(diagnostics::detail::channel().mutex);
        return messages_;
    }
    // The texts alone, one per message.
    std::vector<std::string> texts() const {
        std::vector<std::string> result;
        for (const Message& message : messages()) result.push_back(message.text);
        return result;
    }

  private:
    std::vector<Message> messages_;
    ScopedDiagnosticsSink installation_;
};

}  // namespace zemtra::platform
