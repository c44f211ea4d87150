// The Qt application object and the back-end parts the program installs.
#include "platform/qt/QtDesktop.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QApplication>

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

}  // namespace

struct QtDesktop::Parts {
    Parts(const std::string& programPath, int width, int height)
        : program(programPath),
          arguments{program.data(), nullptr},
          application(argumentCount, arguments),
          window(width, height, "Zemtra") {}

    std::string program;
    int argumentCount = 1;
    char* arguments[2];
    QApplication application;
    QtWindow window;
    QtImageCodec imageCodec;
    QtTextMetrics textMetrics;
};

QtDesktop::QtDesktop(const std::string& programPath, bool headless, int width, int height) {
    ensureRuntimeDirectory();
    if (headless) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    parts_ = std::make_unique<Parts>(programPath, width, height);
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
    return driver.run();
}

}  // namespace zemtra::platform::qt
