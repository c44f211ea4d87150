// Signals and the display, tried on the real program: the watcher in-process, then `zemtra`
// started as a child process and sent real signals. It must end in order (status 0, not killed)
// on SIGINT, SIGTERM and SIGHUP, ignore the signals that only happen to end processes by default,
// survive a Ctrl-C held down while it ends, and fall back to a headless run with one line on
// standard error when the display it is given cannot be reached.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/SignalWatcher.h"
#include "tests/support/TestSupport.h"

extern char** environ;

namespace zemtra::app {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(SignalWatcher, TerminationSignalQuitsTheQueue) {
    RealClock clock;
    MainQueue queue(clock);
    SignalWatcher watcher(queue);  // before any other thread, which must inherit the blocked mask
    testing::Watchdog watchdog(queue);
    ::kill(::getpid(), SIGTERM);
    EXPECT_EQ(queue.run(), 0);
    EXPECT_EQ(watcher.received(), SIGTERM);
}

TEST(SignalWatcher, EndsQuietlyWhenNoSignalCame) {
    RealClock clock;
    MainQueue queue(clock);
    { SignalWatcher watcher(queue); }
    EXPECT_EQ(queue.pendingCount(), 0u);
}

// The program running as a child, its standard output and error read through pipes.
class Program {
  public:
    // `environment`: variables to set (an empty value removes the variable).
    Program(const std::vector<std::string>& arguments,
            const std::map<std::string, std::string>& environment) {
        std::vector<std::string> variables;
        for (char** entry = environ; *entry; ++entry) {
            const std::string variable(*entry);
            const std::string name = variable.substr(0, variable.find('='));
            if (!environment.contains(name)) variables.push_back(variable);
        }
        for (const auto& [name, value] : environment) {
            if (!value.empty()) variables.push_back(name + "=" + value);
        }
        std::vector<std::string> argv{ZEMTRA_PROGRAM};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        int out[2], err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        const auto pointers = [](std::vector<std::string>& texts) {
            std::vector<char*> result;
            for (auto& text : texts) result.push_back(text.data());
            result.push_back(nullptr);
            return result;
        };
        auto argPointers = pointers(argv);
        auto envPointers = pointers(variables);
        if (posix_spawn(&pid_, argv[0].c_str(), &actions, nullptr, argPointers.data(),
                        envPointers.data()) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~Program() {
        if (pid_ > 0 && !ended_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) ::close(out_);
        if (err_ >= 0) ::close(err_);
    }

    bool started() const { return pid_ > 0; }
    void send(int signal) const { ::kill(pid_, signal); }

    // Reads what the program writes for up to `limit`; answers false once it closed both pipes.
    bool read(std::chrono::milliseconds limit) {
        int* const descriptors[2] = {&out_, &err_};
        std::string* const texts[2] = {&out, &err};
        pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        if (out_ < 0 && err_ < 0) return false;
        if (::poll(fds, 2, static_cast<int>(limit.count())) <= 0) return true;
        for (int index = 0; index < 2; ++index) {
            if (fds[index].fd < 0 || fds[index].revents == 0) continue;
            char buffer[4096];
            const ssize_t got = ::read(fds[index].fd, buffer, sizeof buffer);
            if (got > 0) {
                texts[index]->append(buffer, static_cast<size_t>(got));
            } else {
                ::close(*descriptors[index]);
                *descriptors[index] = -1;
            }
        }
        return out_ >= 0 || err_ >= 0;
    }
    // Waits until standard output has a line: the program is up (its signals are watched).
    bool waitForFirstLine(std::chrono::milliseconds limit = 20s) {
        const auto end = Clock::now() + limit;
        while (out.find('\n') == std::string::npos && Clock::now() < end) {
            if (!read(100ms)) break;
        }
        return out.find('\n') != std::string::npos;
    }
    // Waits for the end; `whileRunning` is called between reads. Answers the wait status, or
    // nothing when the program did not end in time (it is then killed).
    std::optional<int> wait(std::chrono::milliseconds limit = 20s,
                            const std::function<void()>& whileRunning = {}) {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            int status = 0;
            const pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                ended_ = true;
                while (read(0ms)) {
                }
                return status;
            }
            if (whileRunning) whileRunning();
            read(whileRunning ? 1ms : 50ms);
        }
        return std::nullopt;
    }

    std::string out;
    std::string err;

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    bool ended_ = false;
};

class ProgramTest : public ::testing::Test {
  protected:
    ProgramTest() { std::filesystem::create_directories(data_); }
    ~ProgramTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(data_, ignored);
    }

    // A run with no display at all unless the test gives one.
    std::map<std::string, std::string> environment(std::map<std::string, std::string> given = {}) {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            given.try_emplace(name, "");
        return given;
    }
    std::vector<std::string> arguments(bool headless = true) const {
        std::vector<std::string> result{"--data", data_.string(), "--speech", "none"};
        if (headless) result.insert(result.begin(), "--headless");
        return result;
    }

    static void expectOrderlyEnd(const std::optional<int>& status, const Program& program) {
        ASSERT_TRUE(status.has_value()) << "still running; stderr: " << program.err;
        EXPECT_FALSE(WIFSIGNALED(*status)) << "killed by signal " << WTERMSIG(*status);
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
            << "status " << *status << "; stderr: " << program.err;
    }

  private:
    std::filesystem::path data_ =
        std::filesystem::temp_directory_path() / ("zemtra-signals-" + std::to_string(::getpid()));
};

TEST_F(ProgramTest, EachEndingSignalEndsTheProgramInOrder) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        Program program(arguments(), environment());
        ASSERT_TRUE(program.started());
        ASSERT_TRUE(program.waitForFirstLine()) << program.err;
        program.send(signal);
        expectOrderlyEnd(program.wait(), program);
    }
}

TEST_F(ProgramTest, OtherSignalsNeitherEndItNorLeaveItUnstoppable) {
    Program program(arguments(), environment());
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.waitForFirstLine()) << program.err;
    for (const int signal : {SIGUSR1, SIGUSR2, SIGPIPE, SIGWINCH, SIGCHLD, SIGCONT})
        program.send(signal);
    EXPECT_FALSE(program.wait(300ms).has_value()) << "it ended; stderr: " << program.err;
    program.send(SIGTERM);
    expectOrderlyEnd(program.wait(), program);
}

TEST_F(ProgramTest, ACtrlCHeldDownWhileItEndsDoesNotKillIt) {
    Program program(arguments(), environment());
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.waitForFirstLine()) << program.err;
    // Ctrl-C again and again, every millisecond, until the program is gone.
    expectOrderlyEnd(program.wait(20s, [&program] { program.send(SIGINT); }), program);
}

TEST_F(ProgramTest, ADisplayThatCannotBeReachedGivesAHeadlessRunAndOneLine) {
    const std::string noSuchDisplay = ":" + std::to_string(9000 + ::getpid() % 1000);
    const std::vector<std::map<std::string, std::string>> displays{
        {{"DISPLAY", noSuchDisplay}},
        {{"WAYLAND_DISPLAY", "zemtra-no-such-display"}},
    };
    for (const auto& display : displays) {
        SCOPED_TRACE(display.begin()->first);
        Program program(arguments(false), environment(display));
        ASSERT_TRUE(program.started());
        ASSERT_TRUE(program.waitForFirstLine()) << program.err;
        program.send(SIGTERM);
        expectOrderlyEnd(program.wait(), program);
        EXPECT_EQ(std::count(program.err.begin(), program.err.end(), '\n'), 1) << program.err;
        EXPECT_NE(program.err.find("running headless"), std::string::npos) << program.err;
    }
}

}  // namespace
}  // namespace zemtra::app
