// Process entry: reads the command line, chooses the clock, the window or headless back end and
// the device services, launches the host with the word generator's module, runs the main queue
// (with a script delivering its commands between the queue's tasks when one is given) and, at an
// end, whatever ended it, saves the recent-word memory. Its own diagnostics go to the diagnostics
// channel.
//
// A headless run drives the queue itself: nobody looks at a window, so the toolkit's event loop
// has nothing to do, and the views are mirrored into widgets only for a screenshot.
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "app/CommandLine.h"
#include "app/DeviceServices.h"
#include "app/FileSetup.h"
#include "app/JournalReplay.h"
#include "app/MailLogin.h"
#include "app/ReviewCommand.h"
#include "app/ScriptDriver.h"
#include "app/SignalWatcher.h"
#include "app/StatsCommand.h"
#include "app/zm_main.h"
#include "platform/Diagnostics.h"
#include "platform/desktop/XdgEmailHandoff.h"
#include "platform/espeak/SpeechOutputFactory.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtMailWindow.h"
#include "platform/secrets/LibsecretStore.h"
#include "platform/sensors/MotionSourceFactory.h"
#include "platform/sensors/SensorDiscovery.h"
#include "platform/smtp/FileMailDrafts.h"
#include "platform/smtp/SmtpTransport.h"
#include "review/Review.h"
#include "runtime/core/Clock.h"
#include "runtime/core/MainQueue.h"
#include "runtime/core/QueueTaskSource.h"
#include "runtime/core/RtAppDelegate.h"
#include "runtime/core/RuntimeScope.h"
#include "runtime/lib/StandardServices.h"
#include "services/MainQueueAccess.h"
#include "ui/RtDialogs.h"
#include "ui/RtNavigationControllerWrapper.h"
#include "ui/Screen.h"

namespace {

using namespace zemtra;

std::optional<std::string> environmentVariable(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

bool displayAvailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

// The program's clock as the motion source reads it, from now on. The source lives in the
// runtime scope, which main drops before the clock.
platform::sensors::SensorClock sensorClock(const Clock& clock) {
    const auto startup = clock.monotonicNow();
    return {[&clock, startup] { return clock.monotonicNow() - startup; }, clock.isVirtual(),
            clock.nowTicks()};
}

// The display settings that were tried, for the line saying they could not be used.
std::string displayDescription() {
    std::string description;
    for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY"}) {
        const char* value = std::getenv(name);
        if (!value || !*value) continue;
        if (!description.empty()) description += ", ";
        description += std::string(name) + "=" + value;
    }
    return description;
}

// Connects the screen of the view layer to the desktop's back-end parts for as long as both
// live, and disconnects it before the desktop goes away. Without a window nobody looks at the
// views, so the tree is mirrored into widgets only while a screenshot is taken.
class ScreenAttachment {
  public:
    ScreenAttachment(Screen& screen, platform::qt::QtDesktop& desktop, bool mirror)
        : screen_(screen), desktop_(desktop) {
        if (mirror) screen_.setRenderer(&desktop.renderer());
        screen_.setAlertPresenter(&desktop.alertPresenter());
        screen_.setImageCodec(&desktop.imageCodec());
        screen_.setTextMetrics(&desktop.textMetrics());
        desktop.setResizeHandler(
            [this](float width, float height) { screen_.setSize(width, height); });
    }
    ~ScreenAttachment() {
        screen_.setRenderer(nullptr);
        screen_.setAlertPresenter(nullptr);
        screen_.setImageCodec(nullptr);
        screen_.setTextMetrics(nullptr);
    }
    ScreenAttachment(const ScreenAttachment&) = delete;
    ScreenAttachment& operator=(const ScreenAttachment&) = delete;

    // Saves the window as it looks now.
    platform::Result<void> screenshot(const std::string& path, bool mirrored) {
        if (!mirrored) screen_.setRenderer(&desktop_.renderer());
        const bool saved = desktop_.screenshot().saveScreenshot(path);
        if (!mirrored) screen_.setRenderer(nullptr);
        if (!saved) return platform::fail("cannot save a screenshot to " + path);
        return {};
    }

  private:
    Screen& screen_;
    platform::qt::QtDesktop& desktop_;
};

// The person's actions on the program as a script carries them out.
app::ScriptHooks scriptHooks(ScreenAttachment& attachment, bool headless,
                             const std::shared_ptr<platform::qt::QtMailWindow>& mailScreen) {
    app::ScriptHooks hooks;
    // The mail window, while it shows, is what the person looks at.
    hooks.screenshot = [&attachment, headless,
                        mailScreen](const std::string& path) -> platform::Result<void> {
        if (!mailScreen->isShowing()) return attachment.screenshot(path, !headless);
        if (!mailScreen->saveScreenshot(path))
            return platform::fail("cannot save a screenshot to " + path);
        return {};
    };
    hooks.mailScreenShowing = [mailScreen] { return mailScreen->isShowing(); };
    hooks.mailTo = [mailScreen](const std::string& address) { mailScreen->typeRecipient(address); };
    hooks.mailSend = [mailScreen] { mailScreen->pressSend(); };
    hooks.mailSave = [mailScreen] { mailScreen->pressSave(); };
    hooks.mailCancel = [mailScreen] { mailScreen->pressCancel(); };
    return hooks;
}

// Ends the speech output when main ends (a recording stops at that moment), before the queue and
// its clock go, even when a module still holds the output.
class SpeechOutputClosing {
  public:
    explicit SpeechOutputClosing(std::shared_ptr<platform::SpeechOutput> output)
        : output_(std::move(output)) {}
    ~SpeechOutputClosing() { output_->close(); }
    SpeechOutputClosing(const SpeechOutputClosing&) = delete;
    SpeechOutputClosing& operator=(const SpeechOutputClosing&) = delete;

  private:
    std::shared_ptr<platform::SpeechOutput> output_;
};

// The mail back ends in the program's scope: the window and drafts always; the transport with a
// mail server (--smtp), which is what lets the composer send; without one, on a desktop (a window
// on a display and xdg-email on PATH), the handoff to the person's own mail program. They leave
// the scope before the desktop goes, so the window ends with Qt still there; the transport's end
// (which keeps what it could not send in the same drafts folder) happens while the program is
// whole.
class MailServices {
  public:
    MailServices(RuntimeScope& scope, const app::Options& options, platform::Window& window,
                 bool onDesktop)
        : scope_(scope), screen_(std::make_shared<platform::qt::QtMailWindow>(&window)) {
        scope_.add<platform::MailScreen>(screen_);
        const auto drafts =
            std::make_shared<platform::smtp::FileMailDrafts>(options.dataDirectory + "Drafts/");
        scope_.add<platform::MailDrafts>(drafts);
        if (options.smtpUrl.empty()) {
            const char* path = std::getenv("PATH");
            const auto program = onDesktop
                                     ? platform::desktop::findProgram("xdg-email", path ? path : "")
                                     : std::nullopt;
            if (!program) return;
            scope_.add<platform::MailHandoff>(std::make_shared<platform::desktop::XdgEmailHandoff>(
                platform::desktop::XdgEmailSettings{*program, platform::desktop::temporaryBase()}));
            return;
        }
        platform::smtp::SmtpSettings settings;
        settings.url = options.smtpUrl;
        settings.sender = options.mailFrom;
        settings.certificateAuthority = options.smtpCa;
        const auto login =
            app::mailLogin(options, environmentVariable, *platform::secrets::createSecretStore());
        settings.user = login.user;
        settings.password = login.password;
        scope_.add<platform::MailTransport>(
            std::make_shared<platform::smtp::SmtpTransport>(settings, drafts));
    }
    ~MailServices() {
        scope_.add<platform::MailHandoff>(nullptr);
        scope_.add<platform::MailTransport>(nullptr);
        scope_.add<platform::MailDrafts>(nullptr);
        scope_.add<platform::MailScreen>(nullptr);
    }
    MailServices(const MailServices&) = delete;
    MailServices& operator=(const MailServices&) = delete;

    const std::shared_ptr<platform::qt::QtMailWindow>& screen() const { return screen_; }

  private:
    RuntimeScope& scope_;
    const std::shared_ptr<platform::qt::QtMailWindow> screen_;
};

// The review window the log panel opens, in the program's scope while the desktop lives: its
// windows go before Qt does.
class ReviewService {
  public:
    ReviewService(RuntimeScope& scope, bool headless) : scope_(scope) {
        scope_.add<platform::SessionReview>(review::createSessionReview(headless));
    }
    ~ReviewService() { scope_.add<platform::SessionReview>(nullptr); }
    ReviewService(const ReviewService&) = delete;
    ReviewService& operator=(const ReviewService&) = delete;

  private:
    RuntimeScope& scope_;
};

// --voice list: espeak-ng's voices, one a line, the name and then the language that --voice takes.
int listVoices() {
    const auto voices = platform::espeak::installedVoices();
    if (!voices) {
        platform::diagnostics::error(voices.error());
        return 1;
    }
    size_t width = 0;
    for (const auto& voice : *voices) width = std::max(width, voice.name.size());
    for (const auto& voice : *voices)
        std::cout << voice.name << std::string(width + 2 - voice.name.size(), ' ') << voice.language
                  << '\n';
    std::cout.flush();
    return std::cout ? 0 : 1;
}

platform::Result<platform::SpeechVoiceInfo> chooseVoice(const std::string& name) {
    const auto voices = platform::espeak::installedVoices();
    if (!voices) return voices.failure();
    if (auto voice = platform::espeak::findVoice(*voices, name)) return *voice;
    return platform::fail("--voice: espeak-ng has no voice '" + name +
                          "'; zemtra --voice list prints the installed ones");
}

// Every end of the run, whatever its status, saves the recent-word memory or says why not.
void saveAtTheEnd(app::zm_main& module, bool started, std::string_view ending) {
    if (!started) {
        // The memory may not even have been read: saving it would overwrite the saved one.
        platform::diagnostics::warning(
            "the recent-word memory was not saved: start-up did not finish (fifo.txt is as it "
            "was)");
        return;
    }
    try {
        module.orderlyEnd(ending);
    } catch (const std::exception& error) {
        platform::diagnostics::error(std::string("the recent-word memory was not saved: ") +
                                     error.what());
        return;
    }
    const String failed = module.notice(app::zm_main::NoticeKind::memory);
    if (!failed.empty()) platform::diagnostics::warning(toUtf8(failed));
}

}  // namespace

int main(int argc, char** argv) {
    // A file size limit (ulimit -f) makes a write fail with EFBIG, which the writes report, instead
    // of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!arguments.empty() && arguments.front() == "review")
        return app::runReviewCommand({arguments.begin() + 1, arguments.end()}, environmentVariable,
                                     argv[0]);
    if (!arguments.empty() && arguments.front() == "stats")
        return app::runStatsCommand({arguments.begin() + 1, arguments.end()}, environmentVariable);
    const auto parsed = app::parseCommandLine(arguments, environmentVariable);
    if (!parsed) {
        platform::diagnostics::error(parsed.error());
        return 2;
    }
    const app::Options& options = *parsed;
    if (options.help) {
        std::cout << app::usageText();
        return 0;
    }
    if (options.version) {
        std::cout << "zemtra " << ZEMTRA_VERSION << '\n';
        return 0;
    }
    if (options.listSensors) {
        std::cout << platform::sensors::sensorListing(platform::sensors::findSensors());
        return 0;
    }
    if (options.voice == "list") return listVoices();
    // Before anything starts: a voice that is not there is a mistake of the command line.
    std::optional<platform::SpeechVoiceInfo> voice;
    if (!options.voice.empty()) {
        const auto chosen = chooseVoice(options.voice);
        if (!chosen) {
            platform::diagnostics::error(chosen.error());
            return 2;
        }
        voice = *chosen;
    }
    std::optional<app::Script> script;
    if (!options.script.empty()) {
        auto read = app::readScript(options.script);
        if (!read) {
            platform::diagnostics::error("script " + read.error());
            return 1;
        }
        script = std::move(read).value();
    }

    // A journal replayed: the clock is placed at its session, see JournalReplay.h.
    const auto replay = app::journalReplayOf(options.sensors);
    if (!replay) {
        platform::diagnostics::error(replay.error());
        return 2;
    }
    const std::optional<app::JournalReplay>& journal = *replay;
    const bool replayed = journal && options.virtualClock;
    std::unique_ptr<Clock> clock;
    if (options.virtualClock) {
        clock = std::make_unique<VirtualClock>(replayed && !options.clockStartGiven
                                                   ? journal->startMs - app::kReplayLeadMs
                                                   : options.clockStartTicks);
    } else {
        clock = std::make_unique<RealClock>();
    }
    MainQueue queue(*clock);
    const MainQueue::Installation installation(queue);
    // Before any other thread exists, so that every thread inherits the blocked signals.
    std::optional<app::SignalWatcher> signals;
    try {
        signals.emplace(queue);
    } catch (const std::system_error& error) {
        platform::diagnostics::error(std::string("cannot watch for signals: ") + error.what());
        return 1;
    }

    // The process-wide services of this run, each registered with its back end. They live until
    // the end of main, after the queue's last task, and go before the queue itself.
    RuntimeScope scope;
    registerStandardServices(scope);
    scope.add(std::make_shared<RtDialogs>());
    if (const auto files = app::setUpFiles(options, argv[0]); !files) {
        platform::diagnostics::error(files.error());
        return 1;
    }

    app::registerDeviceServiceClasses();
    // Sensors first: a bad replay file is reported before a sound card is opened.
    const auto sensors =
        platform::sensors::createMotionSource(options.sensors, sensorClock(*clock));
    if (!sensors) {
        platform::diagnostics::error(sensors.error());
        return 2;
    }
    scope.add<platform::MotionSource>(*sensors);

    MainQueueAccess speechQueue(queue);
    auto speech = platform::espeak::createSpeechOutput(options.speech, speechQueue,
                                                       voice ? voice->language : std::string());
    if (!speech) {
        platform::diagnostics::error(speech.error());
        return 2;
    }
    scope.add<platform::SpeechOutput>(*speech);
    const SpeechOutputClosing speechClosing(std::move(speech).value());

    bool headless = options.headless;
    if (!headless && !displayAvailable()) {
        platform::diagnostics::warning(
            "no display (DISPLAY and WAYLAND_DISPLAY are not set); running headless");
        headless = true;
    }
    platform::qt::QtDesktop desktop(argv[0], headless, static_cast<int>(Screen::kDesignWidth),
                                    static_cast<int>(Screen::kDesignHeight));
    if (desktop.fellBackToHeadless()) {
        platform::diagnostics::warning("cannot open the display (" + displayDescription() +
                                       "); running headless");
        headless = true;
    }
    ScreenAttachment attachment(Screen::main(), desktop, !headless);
    desktop.setCloseHandler([&queue] { queue.quit(0); });
    const MailServices mail(scope, options, desktop.window(), !headless);
    const ReviewService review(scope, headless);

    StaticModules::registerClass<app::zm_main>(u"zm_main");
    const auto module = StaticModules::New<app::zm_main>();
    RtAppDelegate host(desktop.window(), [](const std::shared_ptr<RtCore>& bi) {
        return Value(RtNavigationControllerWrapper::createForHost(bi));
    });
    module->setJournalSetup({.on = options.journal,
                             .version = ZEMTRA_VERSION,
                             .sensorSource = options.sensors,
                             .speechOutput = options.speech,
                             .voice = voice ? voice->name + " (" + voice->language + ")" : ""});
    module->setWordListFile(options.words);
    bool started = false;
    bool failed = false;
    int status = 1;
    try {
        host.didFinishLaunching();
        started = true;
        if (replayed) {
            const auto move = [&module](const app::SliderPositions& positions) {
                module->moveSliders(positions);
            };
            if (options.switchOn) {
                const int64_t ahead = journal->startMs - clock->nowTicks();
                if (ahead > 0) clock->busyWait(std::chrono::milliseconds(ahead));
                if (!journal->settings.empty()) move(journal->settings.front().positions);
            }
            app::scheduleSettingsChanges(queue, *journal, move);
        }
        // Switched on as by a tap, once start-up is done.
        if (options.switchOn) module->bi->raiseUIEvent(Value(), u"label1_click");
        // One loop runs the queue, with or without a window; a script only posts its commands.
        std::optional<app::ScriptDriver> driver;
        if (script) {
            driver.emplace(queue, std::move(*script),
                           scriptHooks(attachment, headless, mail.screen()));
            driver->start();
        }
        QueueTaskSource tasks(queue);
        status = headless ? queue.run() : desktop.run(tasks);
    } catch (const std::exception& error) {
        platform::diagnostics::error(std::string("the program ended after an error: ") +
                                     error.what());
        status = 1;
        failed = true;
    }
    const std::string_view ending = signals->received() != 0 ? "signal"
                                    : failed || status != 0  ? "error"
                                                             : "quit";
    saveAtTheEnd(*module, started, ending);
    return status;
}
