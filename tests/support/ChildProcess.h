// A program run as a child process, the way a user or a script starts it: arguments, an
// environment, its standard output and error collected, signals sent to it, its end awaited with
// a limit so that a hanging program fails the test instead of stopping the run.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/TemporaryFolder.h"

namespace zemtra::testing {

struct ProgramOptions {
    // The program first, then its arguments.
    std::vector<std::string> arguments;
    // Changes to the test's own environment: a variable set to a value, or removed when the value
    // is empty.
    std::map<std::string, std::string> environment = {};
    // Standard input from this file; /dev/null when empty.
    std::filesystem::path input = {};
};

// How a run ended, with everything it wrote.
struct ProgramOutcome {
    int status = -1;  // the exit status; -1 when it did not exit normally
    int signal = 0;   // the signal that ended it, when it did not exit
    bool timedOut = false;
    std::string out;
    std::string err;
};

class ChildProcess {
  public:
    // Starts the program; started() says whether that worked.
    explicit ChildProcess(const ProgramOptions& options);
    // A child still running is killed.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    void signal(int number) const;

    // What it wrote so far.
    std::string out() const;
    std::string err() const;
    // Waits until standard output (or error) holds `text`, or the program ended, or the limit
    // passed; answers whether the text came.
    bool waitForOutput(const std::string& text, std::chrono::milliseconds limit,
                       bool onStandardError = false) const;

    // Waits for the end; past the limit the child is killed and the outcome says it timed out.
    ProgramOutcome wait(std::chrono::milliseconds limit = std::chrono::seconds(60));

  private:
    TemporaryFolder folder_{"zemtra-child"};
    pid_t pid_ = -1;
    bool ended_ = false;
};

// Runs the program to its end.
ProgramOutcome runProgram(const ProgramOptions& options,
                          std::chrono::milliseconds limit = std::chrono::seconds(60));

}  // namespace zemtra::testing
