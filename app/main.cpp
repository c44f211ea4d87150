// Process entry: reads the command line, chooses the clock and back ends, launches the host and
// runs the main queue until the program ends.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>

#include "app/CommandLine.h"
#include "app/FileSetup.h"
#include "app/PlaceholderModule.h"
#include "app/SignalWatcher.h"
#include "platform/headless/HeadlessWindow.h"
#include "runtime/core/Clock.h"
#include "runtime/core/MainQueue.h"
#include "runtime/core/RtAppDelegate.h"

namespace {

std::optional<std::string> environmentVariable(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zemtra;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const app::ParseResult parsed = app::parseCommandLine(arguments, environmentVariable);
    if (!parsed.options) {
        std::cerr << "zemtra: " << parsed.error << '\n';
        return 2;
    }
    const app::Options& options = *parsed.options;
    if (options.help) {
        std::cout << app::usageText();
        return 0;
    }
    if (options.version) {
        std::cout << "zemtra " << ZEMTRA_VERSION << '\n';
        return 0;
    }

    if (const auto problem = app::setUpFiles(options, argv[0])) {
        std::cerr << "zemtra: " << *problem << '\n';
        return 1;
    }

    std::unique_ptr<Clock> clock;
    if (options.virtualClock) {
        clock = std::make_unique<VirtualClock>(options.clockStartTicks);
    } else {
        clock = std::make_unique<RealClock>();
    }
    MainQueue queue(*clock);
    const MainQueue::Installation installation(queue);
    const app::SignalWatcher signals(queue);

    StaticModules::registerClass<app::PlaceholderModule>(u"zm_main");
    platform::HeadlessWindow window;
    RtAppDelegate host(window, [](const std::shared_ptr<RtCore>&) { return Value(); });
    try {
        host.didFinishLaunching();
        return queue.run();
    } catch (const std::exception& error) {
        std::cerr << "zemtra: the program ended after an error: " << error.what() << '\n';
        return 1;
    }
}
