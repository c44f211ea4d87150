// The desktop's own way to compose mail: the message goes to the person's mail program through
// xdg-email (xdg-utils) as "xdg-email --utf8 [--cc A] [--bcc A] [--subject S] [--body B]
// [--attach FILE]... [TO...]". The body goes as its text (the mail program's composer takes no
// HTML this way). Each message's attachments are written into a fresh folder
// "zemtra-mail-XXXXXX" under the temporary base (XDG_RUNTIME_DIR, else TMPDIR, else /tmp), which
// is left for the mail program and for the system to clear.
//
// xdg-email may block until the mail program has started, or, when it starts the program itself,
// until the person closes it: one that exits with status 0, or still runs after the settle time,
// has handed the message over; any other end is a failure in words (see MailHandoff.h). The
// launched program gets its own session, default signal handling and no standard input or output
// (standard output is the program's log); its standard error becomes part of a failure's reason.
// Handoffs run one after the other on a worker thread owned by this object.
#pragma once

#include <sys/types.h>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/MailHandoff.h"

namespace zemtra::platform::desktop {

struct XdgEmailSettings {
    std::string program;        // the xdg-email to run (a path)
    std::string temporaryBase;  // where each handoff's attachment folder is made
    std::chrono::milliseconds settleTime{3000};
};

// The executable `name` in the folders of `searchPath` (a PATH value), or nothing.
std::optional<std::string> findProgram(std::string_view name, std::string_view searchPath);

// XDG_RUNTIME_DIR when it is an absolute path, else TMPDIR when it is, else "/tmp".
std::string temporaryBase();

class XdgEmailHandoff final : public MailHandoff {
  public:
    explicit XdgEmailHandoff(XdgEmailSettings settings);
    ~XdgEmailHandoff() override;
    XdgEmailHandoff(const XdgEmailHandoff&) = delete;
    XdgEmailHandoff& operator=(const XdgEmailHandoff&) = delete;

    void handOver(MailMessage message, std::function<void(Result<std::string>)> done) override;

  private:
    struct Job {
        MailMessage message;
        std::function<void(Result<std::string>)> done;
    };

    void work();
    // The outcome, or nothing when the end of the handoff came first.
    std::optional<Result<std::string>> run(const MailMessage& message);
    bool stopping();
    // Reaps the programs that outlived their settle time and have ended since.
    void reapLingering();

    const XdgEmailSettings settings_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    std::vector<pid_t> lingering_;  // worker thread only
    std::thread worker_;
};

}  // namespace zemtra::platform::desktop
