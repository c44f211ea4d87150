// Drives the program from a script: one command per line, each delivered between tasks of the
// main queue like a person's action (a tap, a slider drag, a button pressed on a message box, a
// mail screen left, a resize, a screenshot, the end of the run).
//
// Timing under the virtual clock: "wait MS" runs every task due up to and including now + MS and
// then sets the clock to now + MS; commands with no wait between them happen at the same moment,
// each after the tasks the one before it posted. Under the real clock "wait MS" lets that much
// real time pass while the queue runs as usual.
//
// A command that cannot be carried out (an unknown view, a hidden view, no message box or mail
// screen showing, a file that cannot be written) is reported on standard error with its line
// number and the run ends with status 1. After the last command the run ends in an orderly way
// (status 0), as "quit" does.
#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "platform/TaskSource.h"
#include "runtime/core/MainQueue.h"

namespace zemtra::app {

struct ScriptCommand {
    int line = 0;
    std::string verb;                // wait, tap, slide, choose, mail, resize, screenshot, quit
    std::vector<std::string> words;  // the arguments, split at spaces (choose and mail to keep
                                     // the rest of the line as one word)
    double number = 0;               // wait: milliseconds; slide: value
    double number2 = 0;              // resize: height (number is the width)
};

struct ScriptParse {
    std::vector<ScriptCommand> commands;
    std::string error;  // "line N: reason" when the script cannot be read
};

// Reads a script; blank lines and lines starting with "#" are skipped.
ScriptParse parseScript(std::istream& input);

// What the program offers the script beyond the view tree (set by main; an absent one makes its
// commands fail as "not available").
struct ScriptHooks {
    // Saves a PNG of the window as it looks now; answers an error text, empty on success.
    std::function<std::string(const std::string& path)> screenshot;
    // The mail screen that is showing: whether there is one, and the person's actions on it.
    std::function<bool()> mailScreenShowing;
    std::function<void(const std::string& address)> mailTo;
    std::function<void()> mailSend;
    std::function<void()> mailSave;
    std::function<void()> mailCancel;
    // Where the failures go (standard error in the program).
    std::function<void(const std::string& message)> report;
};

class ScriptDriver final : public platform::TaskSource {
  public:
    ScriptDriver(MainQueue& queue, std::vector<ScriptCommand> commands, ScriptHooks hooks);

    void runReadyTasks() override;
    std::optional<std::chrono::nanoseconds> timeUntilNextTask() const override;
    void setWakeHandler(std::function<void()> wake) override {
        queue_.setWakeHandler(std::move(wake));
    }
    bool quitRequested() const override { return queue_.quitRequested(); }
    int exitStatus() const override { return queue_.exitStatus(); }

    // Runs the script to its end on the queue alone (no window event loop); answers the status.
    int run();

    // Carries out one command now; answers the reason it could not be, or nothing.
    std::optional<std::string> execute(const ScriptCommand& command);

  private:
    // Carries out commands until a wait starts or the script ends.
    void runCommands();
    void fail(const ScriptCommand& command, const std::string& reason);

    MainQueue& queue_;
    std::vector<ScriptCommand> commands_;
    ScriptHooks hooks_;
    size_t next_ = 0;
    // Virtual clock: what is left of the running wait. Real clock: when it ends.
    std::optional<std::chrono::nanoseconds> waitLeft_;
    std::optional<std::chrono::nanoseconds> waitUntil_;
};

}  // namespace zemtra::app
