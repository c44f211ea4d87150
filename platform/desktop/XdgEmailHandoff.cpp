// Handing mail to xdg-email: the attachment folder, the launch and the wait for its outcome.
#include "platform/desktop/XdgEmailHandoff.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

extern char** environ;

namespace zemtra::platform::desktop {

namespace {

using namespace std::chrono_literals;

// A file descriptor closed when it goes.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_;
};

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// Writes the attachments into a fresh folder; answers the folder and the files' paths.
Result<std::pair<std::string, std::vector<std::string>>> writeAttachments(
    const std::string& base, const std::vector<MailAttachment>& attachments) {
    std::string pattern = base + (base.ends_with('/') ? "" : "/") + "zemtra-mail-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        const auto code = lastError();
        return fail("cannot make a folder for the attachments in " + base + ": " + code.message(),
                    code);
    }
    std::vector<std::string> files;
    for (const MailAttachment& attachment : attachments) {
        const std::string& name = attachment.fileName;
        // The name becomes a file of the folder, nothing outside it.
        if (name.find('/') != std::string::npos || name == "." || name == "..") {
            return fail("the attachment name \"" + name + "\" cannot be a file name");
        }
        const std::string path = pattern + "/" + name;
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(attachment.bytes.data()),
                   static_cast<std::streamsize>(attachment.bytes.size()));
        file.close();
        if (!file) return fail("cannot write the attachment " + path);
        files.push_back(path);
    }
    return std::pair{pattern, files};
}

std::vector<std::string> argumentsFor(const std::string& program, const MailMessage& message,
                                      const std::vector<std::string>& files) {
    std::vector<std::string> arguments{program, "--utf8"};
    for (const std::string& address : message.cc)
        arguments.insert(arguments.end(), {"--cc", address});
    for (const std::string& address : message.bcc)
        arguments.insert(arguments.end(), {"--bcc", address});
    if (!message.subject.empty()) arguments.insert(arguments.end(), {"--subject", message.subject});
    if (!message.body.empty()) arguments.insert(arguments.end(), {"--body", message.body});
    for (const std::string& file : files) arguments.insert(arguments.end(), {"--attach", file});
    arguments.insert(arguments.end(), message.to.begin(), message.to.end());
    return arguments;
}

// The last line xdg-email wrote on its standard error, for the reason of a failure.
std::string lastLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    const size_t start = text.find_last_of('\n');
    return start == std::string::npos ? text : text.substr(start + 1);
}

// xdg-email's exit statuses (xdg-email(1)) in words.
std::string statusReason(int status) {
    switch (status) {
        case 1:
            return "xdg-email refused its arguments";
        case 2:
        case 5:
            return "xdg-email could not read the attachment";
        case 3:
            return "no mail program is set up on this desktop (xdg-email found no tool to start "
                   "one)";
        case 4:
            return "the mail program could not be started";
        default:
            return "xdg-email ended with status " + std::to_string(status);
    }
}

}  // namespace

std::optional<std::string> findProgram(std::string_view name, std::string_view searchPath) {
    size_t start = 0;
    for (;;) {
        const size_t end = searchPath.find(':', start);
        std::string folder(
            searchPath.substr(start, end == std::string_view::npos ? end : end - start));
        // An empty entry is the current folder, which a desktop program does not search.
        if (!folder.empty()) {
            const std::string path = folder + "/" + std::string(name);
            std::error_code error;
            if (std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0)
                return path;
        }
        if (end == std::string_view::npos) return std::nullopt;
        start = end + 1;
    }
}

std::string temporaryBase() {
    for (const char* name : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
        const char* value = std::getenv(name);
        if (value && value[0] == '/') return value;
    }
    return "/tmp";
}

XdgEmailHandoff::XdgEmailHandoff(XdgEmailSettings settings) : settings_(std::move(settings)) {
    worker_ = std::thread([this] { work(); });
}

XdgEmailHandoff::~XdgEmailHandoff() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        changed_.notify_all();
    }
    worker_.join();
}

void XdgEmailHandoff::handOver(MailMessage message, std::function<void(Result<std::string>)> done) {
    const std::lock_guard lock(mutex_);
    jobs_.push_back(Job{std::move(message), std::move(done)});
    changed_.notify_all();
}

bool XdgEmailHandoff::stopping() {
    const std::lock_guard lock(mutex_);
    return stopping_;
}

void XdgEmailHandoff::reapLingering() {
    std::erase_if(lingering_, [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
}

void XdgEmailHandoff::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        // Programs that outlived their settle time are reaped now and then, not waited for.
        changed_.wait_for(lock, lingering_.empty() ? 1h : 1s,
                          [this] { return stopping_ || !jobs_.empty(); });
        reapLingering();
        if (stopping_) return;
        if (jobs_.empty()) continue;
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        std::optional<Result<std::string>> outcome = run(job.message);
        if (outcome && job.done) job.done(std::move(*outcome));
        lock.lock();
    }
}

std::optional<Result<std::string>> XdgEmailHandoff::run(const MailMessage& message) {
    if (const auto problem = mail::problemWith(message, false)) return fail(*problem);
    auto written = writeAttachments(settings_.temporaryBase, message.attachments);
    if (!written) return written.failure();
    const auto& [folder, files] = *written;

    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        const auto code = lastError();
        return fail("cannot start xdg-email: " + code.message(), code);
    }
    Descriptor readEnd(pipeEnds[0]);
    Descriptor writeEnd(pipeEnds[1]);
    ::fcntl(readEnd.get(), F_SETFL, O_NONBLOCK);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The program's threads block the signals its watcher takes; the mail program must not
    // inherit that, nor end with the terminal's Ctrl-C meant for this program.
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);

    const std::vector<std::string> arguments = argumentsFor(settings_.program, message, files);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned =
        ::posix_spawn(&pid, settings_.program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    writeEnd.reset();
    if (spawned != 0) {
        const std::error_code code(spawned, std::generic_category());
        return fail("cannot start " + settings_.program + ": " + code.message(), code);
    }

    std::string errors;
    const auto settled = std::chrono::steady_clock::now() + settings_.settleTime;
    for (;;) {
        pollfd watched{readEnd.get(), POLLIN, 0};
        ::poll(&watched, 1, 100);
        const auto drain = [&errors, &readEnd] {
            char buffer[512];
            for (ssize_t count; (count = ::read(readEnd.get(), buffer, sizeof buffer)) > 0;) {
                if (errors.size() < 4096) errors.append(buffer, static_cast<size_t>(count));
            }
        };
        drain();
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            drain();
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return folder;
            std::string reason = WIFEXITED(status) ? statusReason(WEXITSTATUS(status))
                                                   : "xdg-email was ended by signal " +
                                                         std::to_string(WTERMSIG(status));
            if (const std::string said = lastLine(errors); !said.empty())
                reason += " (" + said + ")";
            return fail(reason);
        }
        if (std::chrono::steady_clock::now() >= settled) {
            // Still running: the mail program is up and holds xdg-email until it closes.
            lingering_.push_back(pid);
            return folder;
        }
        if (stopping()) {
            lingering_.push_back(pid);
            return std::nullopt;
        }
    }
}

}  // namespace zemtra::platform::desktop
