// The review tool on a 24-hour session (86,400 rows, made up): `zemtra review --png` as a user
// runs it, the window opened on it in this process, and repaints while panning, whole and
// zoomed in. Prints the figures; `review_bench --screenshot FILE` also saves the window as it
// looks with a word picked.
#include <QApplication>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "review/ChartPainter.h"
#include "review/ChartView.h"
#include "review/Review.h"
#include "review/ReviewWindow.h"
#include "tests/session/SimulatedJournal.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TemporaryFolder.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Frames per second over `frames` pans of a tenth of the view, each painted at once.
double panRate(zemtra::review::ChartView& chart, int frames) {
    const auto start = Clock::now();
    for (int frame = 0; frame < frames; ++frame) {
        chart.pan(frame % 20 < 10 ? 0.1 : -0.1);
        chart.repaint();
    }
    return frames / secondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zemtra;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string screenshot;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--screenshot") screenshot = argv[i + 1];
    const testing::TemporaryFolder folder("zemtra-review-bench");
    testing::writeJournal(folder / "session",
                          testing::simulatedJournal({.ticks = 86400, .digitPosition = 7}));

    std::vector<double> runs;
    for (int run = 0; run < 5; ++run) {
        const auto start = Clock::now();
        testing::ChildProcess program({{ZEMTRA_PROGRAM, "review", (folder / "session").string(),
                                        "--png", folder.file("chart.png")}});
        const auto outcome = program.wait();
        runs.push_back(secondsSince(start));
        if (outcome.status != 0) {
            std::fprintf(stderr, "review --png failed: %s\n", outcome.err.c_str());
            return 1;
        }
    }
    std::printf("review --png, 86400 rows, 1600x700: median %.3f s, best %.3f s (5 runs)\n",
                median(runs), *std::min_element(runs.begin(), runs.end()));

    QApplication application(argc, argv);
    const auto opening = Clock::now();
    auto journal = review::loadForReview(folder / "session");
    if (!journal) return 1;
    const double loaded = secondsSince(opening);
    review::ReviewWindow window(std::move(journal).value());
    window.resize(1400, 860);
    window.show();
    window.repaint();
    QApplication::processEvents();
    std::printf("window opened in %.3f s (journal read in %.3f s)\n", secondsSince(opening),
                loaded);

    review::ChartView& chart = window.chart();
    // The statistics' control runs use both cores for a moment after the window opens.
    while (!window.statisticsShown()) QApplication::processEvents(QEventLoop::AllEvents, 20);
    std::printf("statistics shown %.3f s after the window began to open\n", secondsSince(opening));
    {
        // Where a frame's time goes: the scene's geometry, then its painting.
        const review::ChartData data(*review::loadForReview(folder / "session"));
        const QSizeF size(chart.size());
        const auto viewport = review::wholeSession(data);
        auto start = Clock::now();
        review::ChartScene scene;
        for (int frame = 0; frame < 20; ++frame) scene = review::layoutChart(data, viewport, size);
        const double layout = secondsSince(start) / 20;
        QImage image(chart.size(), QImage::Format_ARGB32_Premultiplied);
        start = Clock::now();
        for (int frame = 0; frame < 20; ++frame) {
            QPainter painter(&image);
            review::paintScene(painter, scene);
        }
        for (size_t kind = 0; kind < 5; ++kind) {
            review::ChartScene only = scene;
            only.items.clear();
            for (const auto& item : scene.items)
                if (item.index() == kind) only.items.push_back(item);
            const auto kindStart = Clock::now();
            for (int frame = 0; frame < 20; ++frame) {
                QPainter painter(&image);
                review::paintScene(painter, only);
            }
            std::printf("  kind %zu: %zu items, %.1f ms\n", kind, only.items.size(),
                        secondsSince(kindStart) / 20 * 1000);
        }
        std::printf("whole day, one frame: geometry %.1f ms, painting %.1f ms (%zu items)\n",
                    layout * 1000, secondsSince(start) / 20 * 1000, scene.items.size());
    }
    std::printf("pan, whole day in view: %.0f frames per second\n", panRate(chart, 60));
    chart.zoom(24, chart.width() / 2.0);
    std::printf("pan, one hour in view: %.0f frames per second\n", panRate(chart, 60));
    chart.zoom(60, chart.width() / 2.0);
    std::printf("pan, one minute in view: %.0f frames per second\n", panRate(chart, 60));

    if (!screenshot.empty()) {
        chart.showWholeSession();
        chart.zoom(16, chart.width() * 0.1);
        window.pickWord(12);
        QApplication::processEvents();
        window.grab().save(QString::fromStdString(screenshot));
    }
    return 0;
}
