// Loading a session for review, the headless chart files, the standalone window and the one the
// running program opens.
#include "review/Review.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "platform/Diagnostics.h"
#include "review/ChartData.h"
#include "review/ChartPainter.h"
#include "review/ChartScene.h"
#include "review/ReviewWindow.h"

namespace zemtra::review {

namespace {

void qtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    const std::string text = "Qt: " + message.toStdString();
    if (type == QtCriticalMsg || type == QtFatalMsg)
        platform::diagnostics::error(text);
    else
        platform::diagnostics::debug(text);
}

ChartScene sceneOf(const ChartData& data, int width, int height) {
    return layoutChart(data, wholeSession(data), QSizeF(width, height));
}

class HeadlessReview final : public platform::SessionReview {
  public:
    bool hasWindow() const override { return false; }
    platform::Result<void> openNewest(const std::string&, Failed) override {
        return platform::fail(
            "the review window needs a display; this run is headless (zemtra review SESSION "
            "--png FILE draws the chart without one)");
    }
};

class WindowReview final : public platform::SessionReview {
  public:
    bool hasWindow() const override { return true; }
    platform::Result<void> openNewest(const std::string& documentsDirectory,
                                      Failed failed) override {
        const auto folder = session::newestSession(documentsDirectory);
        if (!folder)
            return platform::fail("no session has been recorded yet under " + documentsDirectory +
                                  std::string(session::kSessionsFolder) + "/");
        if (reading_) return {};
        reading_ = true;
        // A day's journal takes the better part of a second to read: not on the main thread.
        reader_ = std::jthread([this, folder = *folder, failed = std::move(failed)] {
            auto journal =
                std::make_shared<platform::Result<session::Journal>>(loadForReview(folder));
            QMetaObject::invokeMethod(
                &context_, [this, journal, failed] { show(std::move(*journal), failed); },
                Qt::QueuedConnection);
        });
        return {};
    }

  private:
    void show(platform::Result<session::Journal> journal, const Failed& failed) {
        reading_ = false;
        if (!journal) {
            if (failed) failed(journal.error());
            return;
        }
        window_ = std::make_unique<ReviewWindow>(std::move(journal).value());
        window_->show();
        window_->raise();
        window_->activateWindow();
    }

    // The main thread's object that the reader hands the journal to; what is still queued for it
    // goes with it.
    QObject context_;
    std::unique_ptr<ReviewWindow> window_;
    bool reading_ = false;
    std::jthread reader_;  // last: joined before the rest goes
};

}  // namespace

platform::Result<session::Journal> loadForReview(const std::filesystem::path& folder) {
    auto journal = session::readJournal(folder);
    if (!journal) return journal.failure();
    for (const std::string& problem : journal->problems) platform::diagnostics::warning(problem);
    const std::string samples = (folder / session::kSamplesFile).string();
    if (journal->skippedRows > 0)
        platform::diagnostics::warning(samples + ": " + std::to_string(journal->skippedRows) +
                                       " unreadable row(s) skipped, " +
                                       std::to_string(journal->rows.size()) + " used");
    if (journal->rows.empty()) return platform::fail(samples + ": no readable row to review");
    return journal;
}

platform::Result<void> writeChartPng(const session::Journal& journal, const std::string& file,
                                     int width, int height) {
    const ChartData data(journal);
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&image);
        paintScene(painter, sceneOf(data, width, height));
    }
    if (!image.save(QString::fromStdString(file), "PNG"))
        return platform::fail("cannot write the chart to " + file);
    return {};
}

platform::Result<void> writeChartSvg(const session::Journal& journal, const std::string& file,
                                     int width, int height) {
    const ChartData data(journal);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << svgOf(sceneOf(data, width, height));
    out.close();
    if (!out) return platform::fail("cannot write the chart to " + file);
    return {};
}

int runReview(const ReviewRequest& request, const std::string& programPath) {
    const bool files = !request.png.empty() || !request.svg.empty();
    if (files) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(qtMessage);
    auto journal = loadForReview(request.session);
    if (!journal) {
        platform::diagnostics::error(journal.error());
        return 1;
    }
    const auto displayed = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    if (!files && !displayed("DISPLAY") && !displayed("WAYLAND_DISPLAY")) {
        platform::diagnostics::error(
            "the review window needs a display (DISPLAY and WAYLAND_DISPLAY are not set); --png "
            "FILE draws the chart without one");
        return 1;
    }
    int argc = 1;
    std::string program = programPath;
    char* argv[] = {program.data(), nullptr};
    const QApplication application(argc, argv);
    if (files) {
        if (!request.png.empty()) {
            if (const auto written =
                    writeChartPng(*journal, request.png, request.width, request.height);
                !written) {
                platform::diagnostics::error(written.error());
                return 1;
            }
        }
        if (!request.svg.empty()) {
            if (const auto written =
                    writeChartSvg(*journal, request.svg, request.width, request.height);
                !written) {
                platform::diagnostics::error(written.error());
                return 1;
            }
        }
        return 0;
    }
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        platform::diagnostics::error(
            "the review window needs a display; --png FILE draws the chart without one");
        return 1;
    }
    ReviewWindow window(std::move(journal).value());
    window.show();
    return QApplication::exec();
}

std::shared_ptr<platform::SessionReview> createSessionReview(bool headless) {
    if (headless) return std::make_shared<HeadlessReview>();
    return std::make_shared<WindowReview>();
}

}  // namespace zemtra::review
