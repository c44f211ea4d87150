// Drives the program from a script: one command per line, each delivered between tasks of the
// main queue like a person's action (a tap, a slider drag, a button pressed on a message box, a
// mail screen left, a resize, a screenshot, the end of the run).
//
// The driver only delivers commands; the queue's own loop runs the program, whichever loop that
// is (the queue's run() headless, a window toolkit's through QueueTaskSource). Each command is a
// task posted for when the queue is idle (MainQueue::postWhenIdle), so the timing follows from the
// queue's ordering rules:
// - "wait MS" (decimal digits, at most 31622400000: 366 days) posts the next command for when the
//   queue is idle at now + MS: every task due up to and including that moment runs first, and a
//   virtual clock is then at exactly now + MS. Under the real clock that much real time passes
//   while the queue runs as usual.
// - Any other command posts the next one for when the queue is idle now: commands with no wait
//   between them happen at the same moment, each after the tasks the one before it posted.
//
// A command that cannot be carried out (an unknown view, a hidden view, no message box or mail
// screen showing, a file that cannot be written) is reported on the diagnostics channel with its
// line number and the run ends with status 1. After the last command the run ends in an orderly
// way (status 0), as "quit" does.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Result.h"
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

using Script = std::vector<ScriptCommand>;

// Reads a script; blank lines and lines starting with "#" are skipped. A failure says
// "line N: reason".
platform::Result<Script> parseScript(std::istream& input);
// The script in the file `source`, or on standard input for "-".
platform::Result<Script> readScript(const std::string& source);

// What the program offers the script beyond the view tree (set by main; an absent one makes its
// commands fail as "not available").
struct ScriptHooks {
    // Saves a PNG of the window as it looks now.
    std::function<platform::Result<void>(const std::string& path)> screenshot;
    // The mail screen that is showing: whether there is one, and the person's actions on it.
    std::function<bool()> mailScreenShowing;
    std::function<void(const std::string& address)> mailTo;
    std::function<void()> mailSend;
    std::function<void()> mailSave;
    std::function<void()> mailCancel;
};

class ScriptDriver final {
  public:
    ScriptDriver(MainQueue& queue, Script commands, ScriptHooks hooks);
    ScriptDriver(const ScriptDriver&) = delete;
    ScriptDriver& operator=(const ScriptDriver&) = delete;

    // Posts the first command; whoever runs the queue carries out the rest. Commands still
    // posted when the driver goes do nothing.
    void start();

  private:
    // Carries out the next command and posts the one after it.
    void step();
    void postNext(MainQueue::Nanos delay);
    // Carries out one command now; answers the reason it could not be, or nothing.
    std::optional<std::string> execute(const ScriptCommand& command);

    MainQueue& queue_;
    Script commands_;
    ScriptHooks hooks_;
    size_t next_ = 0;
    // Posted commands hold it weakly.
    std::shared_ptr<ScriptDriver*> self_ = std::make_shared<ScriptDriver*>(this);
};

}  // namespace zemtra::app
