// Script commands: reading them, and carrying them out between tasks of the main queue.
#include "app/ScriptDriver.h"

#include <cmath>
#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/Diagnostics.h"
#include "ui/Screen.h"
#include "ui/UiAlertView.h"
#include "ui/UiSlider.h"

namespace zemtra::app {

namespace {

std::optional<double> numberOf(const std::string& text) {
    if (text.empty()) return std::nullopt;
    size_t used = 0;
    try {
        const double value = std::stod(text, &used);
        if (used != text.size() || !std::isfinite(value)) return std::nullopt;
        return value;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The longest wait: a year of a simulated run, leap day included. The clock counts nanoseconds
// in 64 bits, which would overflow from about 9.2e12 ms.
constexpr int64_t kLongestWait = 366LL * 24 * 60 * 60 * 1000;

// Plain decimal digits only: "0x10", "1e3", "+5" or "10.0" are not what a person means by a
// number of milliseconds often enough to guess.
std::optional<int64_t> waitMilliseconds(const std::string& text) {
    if (text.empty() || text.size() > std::to_string(kLongestWait).size()) return std::nullopt;
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > kLongestWait) return std::nullopt;
    return value;
}

std::string restAfter(const std::string& line, size_t words) {
    std::istringstream stream(line);
    std::string word;
    for (size_t index = 0; index < words; ++index) stream >> word;
    std::string rest;
    std::getline(stream, rest);
    const size_t start = rest.find_first_not_of(" \t");
    if (start == std::string::npos) return std::string();
    const size_t end = rest.find_last_not_of(" \t\r");
    return rest.substr(start, end - start + 1);
}

// Checks a command's arguments; answers the reason it is malformed, or nothing.
std::optional<std::string> shape(ScriptCommand& command, const std::string& line) {
    const auto& w = command.words;
    const std::string& verb = command.verb;
    if (verb == "wait") {
        const auto ms = w.size() == 1 ? waitMilliseconds(w[0]) : std::nullopt;
        if (!ms) {
            return "wait needs a whole number of milliseconds in decimal digits, at most " +
                   std::to_string(kLongestWait) + " (366 days)" +
                   (w.size() == 1 ? ", got '" + w[0] + "'" : std::string());
        }
        command.number = static_cast<double>(*ms);
        return std::nullopt;
    }
    if (verb == "tap") {
        if (w.size() != 1) return "tap needs one view name";
        return std::nullopt;
    }
    if (verb == "slide") {
        const auto value = w.size() == 2 ? numberOf(w[1]) : std::nullopt;
        if (!value) return "slide needs a view name and a number";
        command.number = *value;
        return std::nullopt;
    }
    if (verb == "choose") {
        command.words = {restAfter(line, 1)};
        if (command.words[0].empty()) return "choose needs a button title";
        return std::nullopt;
    }
    if (verb == "mail") {
        if (w.empty()) return "mail needs to, send, save or cancel";
        if (w[0] == "to") {
            command.words = {"to", restAfter(line, 2)};
            if (command.words[1].empty()) return "mail to needs an address";
            return std::nullopt;
        }
        if ((w[0] == "send" || w[0] == "save" || w[0] == "cancel") && w.size() == 1)
            return std::nullopt;
        return "mail needs to, send, save or cancel";
    }
    if (verb == "resize") {
        const auto width = w.size() == 2 ? numberOf(w[0]) : std::nullopt;
        const auto height = w.size() == 2 ? numberOf(w[1]) : std::nullopt;
        if (!width || !height || *width <= 0 || *height <= 0)
            return "resize needs a positive width and height";
        command.number = *width;
        command.number2 = *height;
        return std::nullopt;
    }
    if (verb == "screenshot") {
        command.words = {restAfter(line, 1)};
        if (command.words[0].empty()) return "screenshot needs a file name";
        return std::nullopt;
    }
    if (verb == "quit") {
        if (!w.empty()) return "quit takes no arguments";
        return std::nullopt;
    }
    return "unknown command \"" + verb + "\"";
}

// The view a person would act on, by its layout name.
std::shared_ptr<UiView> shownView(const std::string& name, std::string& problem) {
    const auto view = Screen::main().findView(fromUtf8(name));
    if (!view) {
        problem = "no view named " + name;
        return nullptr;
    }
    if (!view->isShownInTree()) {
        problem = "view " + name + " is hidden";
        return nullptr;
    }
    return view;
}

}  // namespace

platform::Result<Script> parseScript(std::istream& input) {
    Script commands;
    std::string line;
    int number = 0;
    while (std::getline(input, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        ScriptCommand command;
        command.line = number;
        std::istringstream words(line);
        words >> command.verb;
        for (std::string word; words >> word;) command.words.push_back(word);
        if (const auto problem = shape(command, line))
            return platform::fail("line " + std::to_string(number) + ": " + *problem);
        commands.push_back(std::move(command));
    }
    return commands;
}

platform::Result<Script> readScript(const std::string& source) {
    if (source == "-") return parseScript(std::cin);
    std::ifstream file(source);
    if (!file) return platform::fail("cannot read the script " + source);
    return parseScript(file);
}

ScriptDriver::ScriptDriver(MainQueue& queue, Script commands, ScriptHooks hooks)
    : queue_(queue), commands_(std::move(commands)), hooks_(std::move(hooks)) {}

void ScriptDriver::start() {
    postNext(MainQueue::Nanos::zero());
}

void ScriptDriver::postNext(MainQueue::Nanos delay) {
    queue_.postWhenIdle(delay, [self = std::weak_ptr<ScriptDriver*>(self_)] {
        if (const auto driver = self.lock()) (*driver)->step();
    });
}

void ScriptDriver::step() {
    if (queue_.quitRequested()) return;
    if (next_ >= commands_.size()) {
        queue_.quit(0);
        return;
    }
    const ScriptCommand& command = commands_[next_++];
    if (command.verb == "wait") {
        postNext(std::chrono::milliseconds(static_cast<int64_t>(command.number)));
        return;
    }
    if (const auto problem = execute(command)) {
        platform::diagnostics::error("script line " + std::to_string(command.line) + ": " +
                                     *problem);
        queue_.quit(1);
        return;
    }
    // The next command comes after what this one set going.
    postNext(MainQueue::Nanos::zero());
}

std::optional<std::string> ScriptDriver::execute(const ScriptCommand& command) {
    const std::string& verb = command.verb;
    std::string problem;
    if (verb == "tap") {
        const auto view = shownView(command.words[0], problem);
        if (!view) return problem;
        view->tap();
        return std::nullopt;
    }
    if (verb == "slide") {
        const auto view = shownView(command.words[0], problem);
        if (!view) return problem;
        const auto slider = std::dynamic_pointer_cast<UiSlider>(view);
        if (!slider) return "view " + command.words[0] + " is not a slider";
        if (!slider->enabled()) return "slider " + command.words[0] + " is disabled";
        slider->slide(static_cast<float>(command.number));
        return std::nullopt;
    }
    if (verb == "choose") {
        const auto& alerts = Screen::main().alerts();
        if (alerts.empty()) return std::string("no message box is showing");
        // The newest box is the one in front.
        const auto alert = alerts.back();
        if (!alert->pressButton(fromUtf8(command.words[0])))
            return "the message box has no button \"" + command.words[0] + "\"";
        return std::nullopt;
    }
    if (verb == "mail") {
        if (!hooks_.mailScreenShowing || !hooks_.mailScreenShowing())
            return std::string("no mail screen is showing");
        const std::string& action = command.words[0];
        if (action == "to" && hooks_.mailTo)
            hooks_.mailTo(command.words[1]);
        else if (action == "send" && hooks_.mailSend)
            hooks_.mailSend();
        else if (action == "save" && hooks_.mailSave)
            hooks_.mailSave();
        else if (action == "cancel" && hooks_.mailCancel)
            hooks_.mailCancel();
        else
            return "the mail screen cannot " + action;
        return std::nullopt;
    }
    if (verb == "resize") {
        Screen::main().setSize(static_cast<float>(command.number),
                               static_cast<float>(command.number2));
        return std::nullopt;
    }
    if (verb == "screenshot") {
        if (!hooks_.screenshot) return std::string("screenshots are not available");
        const auto saved = hooks_.screenshot(command.words[0]);
        if (!saved) return saved.error();
        return std::nullopt;
    }
    if (verb == "quit") {
        next_ = commands_.size();
        queue_.quit(0);
        return std::nullopt;
    }
    return "unknown command \"" + verb + "\"";
}

}  // namespace zemtra::app
