// The review window as a person uses it: a click on a word's marker and the arrow keys in the
// list pick words, the chart follows and the details say why the word came; the wheel zooms
// around the cursor, drags and keys pan, Home shows the whole session again.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QWheelEvent>

#include "review/ChartView.h"
#include "review/Review.h"
#include "review/ReviewWindow.h"
#include "tests/session/SimulatedJournal.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::review {
namespace {

session::Journal journal() {
    return testing::simulatedJournal({.ticks = 1200, .digitPosition = 7});
}

class ReviewWindowTest : public ::testing::Test {
  protected:
    ReviewWindowTest() : window_(journal()) {
        window_.resize(1280, 800);
        window_.show();
        QApplication::processEvents();
    }
    ChartView& chart() { return window_.chart(); }
    double span() { return chart().viewport().endMs - chart().viewport().startMs; }

    ReviewWindow window_;
};

TEST_F(ReviewWindowTest, AClickOnAMarkerAndTheArrowKeysPickWordsAndShowWhyTheyCame) {
    ASSERT_GT(window_.words().count(), 3);
    const ChartScene scene = chart().scene();
    ASSERT_FALSE(scene.markers.empty());
    const MarkerHit target = scene.markers[scene.markers.size() / 2];
    // Clicked at the marker's line, below the labels.
    QTest::mouseClick(&chart(), Qt::LeftButton, {},
                      QPoint(static_cast<int>(target.box.center().x()),
                             static_cast<int>(scene.plot.center().y())));
    ASSERT_TRUE(window_.pickedWord());
    EXPECT_EQ(chart().viewport().selectedRow, target.row);
    const QString details = window_.details().text();
    EXPECT_TRUE(details.contains(window_.words().currentItem()->text().section(' ', -1)));
    EXPECT_TRUE(details.contains(QStringLiteral("window</span>"))) << "rules passed are listed";
    EXPECT_TRUE(details.contains(QStringLiteral("Quiet time set")));

    const size_t picked = *window_.pickedWord();
    window_.words().setFocus();
    QTest::keyClick(&window_.words(), Qt::Key_Down);
    EXPECT_EQ(window_.pickedWord(), picked + 1);
    EXPECT_NE(chart().viewport().selectedRow, target.row);
    QTest::keyClick(&window_.words(), Qt::Key_Up);
    EXPECT_EQ(chart().viewport().selectedRow, target.row);
}

TEST_F(ReviewWindowTest, ZoomKeepsTheTimeUnderTheCursorAndPanStaysInsideTheSession) {
    const double whole = span();
    const ChartScene scene = chart().scene();
    const double x = scene.plot.left() + scene.plot.width() * 0.25;
    const auto timeAt = [&](double px) {
        const ChartScene& now = chart().scene();
        return chart().viewport().startMs + (px - now.plot.left()) / now.plot.width() * span();
    };
    const double before = timeAt(x);
    QWheelEvent wheel(QPointF(x, 200), chart().mapToGlobal(QPointF(x, 200)), {}, {0, 240},
                      Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&chart(), &wheel);
    EXPECT_NEAR(span(), whole / 1.5625, 1);
    EXPECT_NEAR(timeAt(x), before, 1);

    QTest::keyClick(&chart(), Qt::Key_Plus);
    const double zoomed = span();
    EXPECT_LT(zoomed, whole / 1.9);
    // Dragging far to the right shows the session's start, and no further.
    QTest::mousePress(&chart(), Qt::LeftButton, {}, QPoint(200, 300));
    QTest::mouseMove(&chart(), QPoint(1200, 300));
    QTest::mouseRelease(&chart(), Qt::LeftButton, {}, QPoint(1200, 300));
    EXPECT_DOUBLE_EQ(chart().viewport().startMs, wholeSession(ChartData(journal())).startMs);
    EXPECT_NEAR(span(), zoomed, 1);
    for (int press = 0; press < 40; ++press) QTest::keyClick(&chart(), Qt::Key_Right);
    EXPECT_DOUBLE_EQ(chart().viewport().endMs, wholeSession(ChartData(journal())).endMs);
    for (int press = 0; press < 40; ++press) QTest::keyClick(&chart(), Qt::Key_Minus);
    EXPECT_NEAR(span(), whole, 1);
    QTest::keyClick(&chart(), Qt::Key_Plus);
    QTest::keyClick(&chart(), Qt::Key_Home);
    EXPECT_NEAR(span(), whole, 1);
}

TEST_F(ReviewWindowTest, TheFiguresOfTheStatisticsFollowOnceTheyAreWorkedOut) {
    EXPECT_TRUE(window_.figuresText().contains(QStringLiteral("accepted")));
    // The control runs take a moment on their thread; the watchdog is the deadline.
    QDeadlineTimer deadline(20000);
    while (!window_.statisticsShown() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_TRUE(window_.statisticsShown());
    const QString figures = window_.figuresText();
    EXPECT_TRUE(figures.contains(QStringLiteral("Digits ay")));
    EXPECT_TRUE(figures.contains(QStringLiteral("Fair digits, words/h")));
    EXPECT_FALSE(figures.contains(QStringLiteral("being worked out")));
}

// From the running program: the journal is read on a thread of its own, the window comes on the
// main thread once it is read, and a journal that cannot be reviewed is said there instead.
TEST(ReviewFromTheProgram, TheWindowComesOnceTheJournalIsReadOrTheReasonIsSaid) {
    const testing::TemporaryFolder documents("zemtra-review");
    const auto review = createSessionReview(false);
    EXPECT_FALSE(review->openNewest(documents.dir(), nullptr));
    testing::writeJournal(documents / "Sessions/2025-01-01_00-00-00", journal());
    std::vector<std::string> failures;
    const auto failed = [&failures](const std::string& reason) { failures.push_back(reason); };
    const auto windows = [] {
        int shown = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            shown += dynamic_cast<ReviewWindow*>(widget) && widget->isVisible();
        return shown;
    };
    ASSERT_TRUE(review->openNewest(documents.dir(), failed));
    QDeadlineTimer deadline(20000);
    while (windows() == 0 && !deadline.hasExpired()) QApplication::processEvents();
    EXPECT_EQ(windows(), 1);

    testing::writeFile(documents / "Sessions/2025-01-02_00-00-00/samples.csv", "t_ms\n");
    ASSERT_TRUE(review->openNewest(documents.dir(), failed));
    while (failures.empty() && !deadline.hasExpired()) QApplication::processEvents();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("2025-01-02_00-00-00"), std::string::npos) << failures[0];
}

}  // namespace
}  // namespace zemtra::review
