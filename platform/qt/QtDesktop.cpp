// The Qt application object and the back-end parts the program installs.
#include "platform/qt/QtDesktop.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QApplication>
#include <QScopeGuard>
#include <vector>

#include "platform/Diagnostics.h"
#include "platform/qt/QtImageCodec.h"
#include "platform/qt/QtQueueDriver.h"
#include "platform/qt/QtTextMetrics.h"
#include "platform/qt/QtWindow.h"

namespace zemtra::platform::qt {

namespace {

// Qt warns when XDG_RUNTIME_DIR is missing (as for root or a service); give it a private folder.
// A folder of that name made by someone else (or a link planted in /tmp) is not used: then a
// fresh folder with a random name is made instead.
void ensureRuntimeDirectory() {
    const char* existing = std::getenv("XDG_RUNTIME_DIR");
    if (existing && *existing) return;
    const std::string folder =
        std::filesystem::temp_directory_path() / ("zemtra-runtime-" + std::to_string(::getuid()));
    ::mkdir(folder.c_str(), 0700);
    struct stat status {};
    if (::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
        status.st_uid == ::getuid() && (status.st_mode & 077) == 0) {
        setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
        return;
    }
    std::string pattern =
        (std::filesystem::temp_directory_path() / "zemtra-runtime-XXXXXX").string();
    if (::mkdtemp(pattern.data())) setenv("XDG_RUNTIME_DIR", pattern.c_str(), 1);
}

// The platforms to try for a window, in order, ending with the offscreen one: a display that is
// set but cannot be reached (a stale DISPLAY, a closed Wayland session) then gives a headless run
// instead of Qt ending the process. A platform the person chose comes first.
std::string platformsToTry() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    std::string platforms;
    if (set("QT_QPA_PLATFORM")) {
        platforms = std::getenv("QT_QPA_PLATFORM");
    } else {
        const char* session = std::getenv("XDG_SESSION_TYPE");
        const bool waylandFirst = session && std::string_view(session) == "wayland";
        if (set("WAYLAND_DISPLAY") && waylandFirst) platforms += "wayland;";
        if (set("DISPLAY")) platforms += "xcb;";
        if (set("WAYLAND_DISPLAY") && !waylandFirst) platforms += "wayland;";
    }
    if (platforms.find("offscreen") == std::string::npos) {
        if (!platforms.empty() && platforms.back() != ';') platforms += ';';
        platforms += "offscreen";
    }
    return platforms;
}

// Whether the person asked for the offscreen platform first (then it is no fallback).
bool offscreenAskedFor() {
    const char* platforms = std::getenv("QT_QPA_PLATFORM");
    return platforms && std::string_view(platforms).starts_with("offscreen");
}

// Qt's own messages go into the program's diagnostics channel, so standard error carries only
// what the program has to say: Qt's notes and warnings (the offscreen platform's "does not
// support raise()" when a window opens, among others) are debug messages, seen with ZEMTRA_DEBUG;
// critical and fatal ones are errors.
void toDiagnostics(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    std::string line = "Qt";
    if (context.category && std::string_view(context.category) != "default")
        line += std::string(" (") + context.category + ")";
    line += ": " + text.toStdString();
    const bool matters = type == QtCriticalMsg || type == QtFatalMsg;
    diagnostics::report(matters ? Severity::error : Severity::debug, line);
}

// Holds back Qt's messages while the application object picks its platform: when the window
// platforms fail and the offscreen one is taken, their complaints are replaced by one line of
// the program's; otherwise they are passed on as they came. Qt's message handler is a plain
// function, so the messages held go into the one capture alive at a time.
class PlatformMessages {
  public:
    PlatformMessages() {
        active_ = this;
        qInstallMessageHandler(&PlatformMessages::hold);
    }
    ~PlatformMessages() { release(false); }
    PlatformMessages(const PlatformMessages&) = delete;
    PlatformMessages& operator=(const PlatformMessages&) = delete;

    // Stops holding; the held messages are dropped or passed on. From here on Qt's messages go
    // straight to the diagnostics channel.
    void release(bool drop) {
        if (active_ != this) return;
        qInstallMessageHandler(&toDiagnostics);
        active_ = nullptr;
        if (drop) return;
        for (const Held& message : held_) {
            const QMessageLogContext context(nullptr, 0, nullptr, message.category.c_str());
            toDiagnostics(message.type, context, message.text);
        }
    }

  private:
    struct Held {
        QtMsgType type;
        std::string category;
        QString text;
    };

    static void hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        PlatformMessages* capture = active_;
        if (!capture) return;
        capture->held_.push_back({type, context.category ? context.category : "", text});
        if (type != QtFatalMsg) return;
        // Not even the offscreen platform started: Qt ends the process next; say why first.
        for (const Held& message : capture->held_)
            diagnostics::error("Qt: " + message.text.toStdString());
    }

    static inline PlatformMessages* active_ = nullptr;
    std::vector<Held> held_;
};

}  // namespace

struct QtDesktop::Parts {
    Parts(const std::string& programPath, bool headlessRun, int width, int height)
        : program(programPath),
          arguments{program.data(), nullptr},
          application(argumentCount, arguments),
          fellBack(!headlessRun && !offscreenAskedFor() &&
                   QGuiApplication::platformName() == "offscreen"),
          window(width, height, "Zemtra") {
        messages.release(fellBack);
    }

    // Qt's messages go back to Qt's own handler once everything of Qt here has gone.
    struct MessageRouting {
        ~MessageRouting() { qInstallMessageHandler(nullptr); }
    } routing;
    std::string program;
    int argumentCount = 1;
    char* arguments[2];
    PlatformMessages messages;
    QApplication application;
    bool fellBack;
    QtWindow window;
    QtImageCodec imageCodec;
    QtTextMetrics textMetrics;
};

QtDesktop::QtDesktop(const std::string& programPath, bool headless, int width, int height) {
    ensureRuntimeDirectory();
    setenv("QT_QPA_PLATFORM", headless ? "offscreen" : platformsToTry().c_str(), 1);
    parts_ = std::make_unique<Parts>(programPath, headless, width, height);
}

bool QtDesktop::fellBackToHeadless() const {
    return parts_->fellBack;
}

QtDesktop::~QtDesktop() = default;

Window& QtDesktop::window() {
    return parts_->window;
}

ViewRenderer& QtDesktop::renderer() {
    return parts_->window;
}

AlertPresenter& QtDesktop::alertPresenter() {
    return parts_->window;
}

Screenshot& QtDesktop::screenshot() {
    return parts_->window;
}

const ImageCodec& QtDesktop::imageCodec() const {
    return parts_->imageCodec;
}

const TextMetrics& QtDesktop::textMetrics() const {
    return parts_->textMetrics;
}

void QtDesktop::setResizeHandler(std::function<void(float, float)> handler) {
    parts_->window.setResizeHandler(std::move(handler));
}

void QtDesktop::setCloseHandler(std::function<void()> handler) {
    parts_->window.setCloseHandler(std::move(handler));
}

int QtDesktop::run(TaskSource& source) {
    QtQueueDriver driver(source);
    // The person's input ends the loop the way a task's exception does.
    QtWindow& window = parts_->window;
    window.setFailureHandler([&driver](std::exception_ptr failure) { driver.fail(failure); });
    const auto detach = qScopeGuard([&window] { window.setFailureHandler(nullptr); });
    return driver.run();
}

}  // namespace zemtra::platform::qt
