// Child processes for tests that run programs: posix_spawn with output into files, so that a
// chatty child never blocks on a full pipe.
#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char** environ;

namespace zemtra::testing {

namespace {

std::vector<std::string> environmentWith(const std::map<std::string, std::string>& changes) {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable(*entry);
        if (!changes.contains(variable.substr(0, variable.find('=')))) variables.push_back(variable);
    }
    for (const auto& [name, value] : changes) {
        if (!value.empty()) variables.push_back(name + "=" + value);
    }
    return variables;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (std::string& text : texts) result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

}  // namespace

ChildProcess::ChildProcess(const ProgramOptions& options) {
    std::vector<std::string> arguments = options.arguments;
    std::vector<std::string> variables = environmentWith(options.environment);
    if (arguments.empty()) return;
    const std::string input = options.input.empty() ? "/dev/null" : options.input.string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, folder_.file("out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, folder_.file("err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    // The child starts with no signal blocked or ignored, whatever the test thread had.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    auto argv = pointers(arguments);
    auto envp = pointers(variables);
    if (::posix_spawn(&pid_, argv[0], &actions, &attributes, argv.data(), envp.data()) != 0) {
        pid_ = -1;
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !ended_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

void ChildProcess::signal(int number) const {
    if (pid_ > 0 && !ended_) ::kill(pid_, number);
}

std::string ChildProcess::out() const {
    return readFile(folder_ / "out");
}

std::string ChildProcess::err() const {
    return readFile(folder_ / "err");
}

bool ChildProcess::waitForOutput(const std::string& text, std::chrono::milliseconds limit,
                                 bool onStandardError) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if ((onStandardError ? err() : out()).find(text) != std::string::npos) return true;
        if (ended_ || pid_ <= 0 || std::chrono::steady_clock::now() >= deadline) return false;
        // waitid with WNOWAIT sees an ended child without reaping it, so wait() still can.
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == pid_) {
            return (onStandardError ? err() : out()).find(text) != std::string::npos;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

ProgramOutcome ChildProcess::wait(std::chrono::milliseconds limit) {
    ProgramOutcome outcome;
    if (pid_ <= 0) return outcome;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (!ended_) {
        const pid_t got = ::waitpid(pid_, &status, WNOHANG);
        if (got == pid_) {
            ended_ = true;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            outcome.timedOut = true;
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            ended_ = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
    outcome.out = out();
    outcome.err = err();
    return outcome;
}

ProgramOutcome runProgram(const ProgramOptions& options, std::chrono::milliseconds limit) {
    ChildProcess child(options);
    return child.wait(limit);
}

}  // namespace zemtra::testing
