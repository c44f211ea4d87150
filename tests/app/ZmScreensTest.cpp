// The screen: scaling at resize, the panels, the generator switch and mail without a mail
// service.
#include <gtest/gtest.h>

#include <algorithm>

#include "runtime/core/TickClock.h"
#include "tests/app/AppTestSupport.h"
#include "ui/Screen.h"

namespace zemtra {
namespace {

using testing::AppTest;

class ScreensTest : public AppTest {
  protected:
    ScreensTest() { start(); }
    std::shared_ptr<UiView> view(const std::string& name) const {
        return Screen::main().findView(fromUtf8(name));
    }
};

TEST_F(ScreensTest, AResizeScalesTheLayoutsGeometryExceptTaggedViews) {
    const auto label = view("label3");
    const float left = label->left(), top = label->top(), width = label->width(),
                height = label->height();
    const auto tagged = view("label1");
    RtViewWrapper wrapper;
    wrapper.setObject(Value(tagged));
    wrapper.setTag(Value(u"drm"));
    const float taggedLeft = tagged->left(), taggedWidth = tagged->width();

    for (int pass = 0; pass < 2; ++pass) {
        Screen::main().setSize(320, 480);
        settle();
        const float rx = 320.0f / 340, ry = 480.0f / 568;
        EXPECT_NEAR(label->left(), left * rx, 0.01) << pass;
        EXPECT_NEAR(label->top(), top * ry, 0.01);
        EXPECT_NEAR(label->width(), width * rx, 0.01);
        EXPECT_NEAR(label->height(), height * ry, 0.01);
        EXPECT_NEAR(view("textview1")->width(), 122.35, 0.01);
        EXPECT_EQ(tagged->left(), taggedLeft);
        EXPECT_EQ(tagged->width(), taggedWidth);
        Screen::main().setSize(340, 568);
        settle();
    }
    EXPECT_NEAR(label->left(), left, 0.01);
    EXPECT_EQ(view("textview1")->width(), 130);
}

TEST_F(ScreensTest, ButtonsShowPanelsAndOnlyBackHidesThem) {
    module()._btnbk_click();
    EXPECT_FALSE(shown("btnbk"));
    module()._btnset_click();
    module()._btnlog_click();
    EXPECT_TRUE(shown("pnlset"));
    EXPECT_TRUE(shown("pnllog"));
    EXPECT_TRUE(shown("btnbk"));
    EXPECT_EQ(text("textview2"), readDocument("WordLog.txt"));
    module()._btnbk_click();
    for (const char* name : {"pnlset", "pnllog", "pnlinfo", "btnbk"}) EXPECT_FALSE(shown(name));
}

TEST_F(ScreensTest, TheSwitchStartsAndStopsTheGeneratorAndSaysSo) {
    view("label1")->tap();
    settle();
    EXPECT_EQ(text("textview1"), "Zemtra\n \nON");
    EXPECT_FLOAT_EQ(speech->rate, 0.3f) << "slider 5 at 3";
    EXPECT_FLOAT_EQ(speech->pitch, 1.0f) << "slider 4 at 10";
    EXPECT_EQ(visibleImageViews({1, 2, 3, 4, 5, 6, 7, 8, 9, 19}), (std::vector<int>{1, 19}));

    size_t mark = log.lines.size();
    runFor(3000);
    ASSERT_FALSE(logFrom(mark).empty());
    EXPECT_EQ(logFrom(mark).front(), "current value 0000") << "sampling";
    view("label1")->tap();
    settle();
    mark = log.lines.size();
    runFor(3000);
    EXPECT_EQ(logFrom(mark), std::vector<std::string>{}) << "stopped";
    EXPECT_EQ(text("textview1"), "Zemtra\n \nOFF");
    EXPECT_EQ(visibleImageViews({1, 2, 3, 4, 5, 6, 7, 8, 9, 19, 20, 21, 22, 23, 24, 25, 26, 27}),
              std::vector<int>{1});
    EXPECT_EQ(speech->spoken(), (std::vector<std::string>{"Zemtrah, on", "Zemtrah,  off"}));
    EXPECT_EQ(speech->calls.back(), "speak [Zemtrah,  off] clear");
}

TEST_F(ScreensTest, MailWithoutAMailServiceReportsNotSentAndCarriesOn) {
    module()._btnemail_click();
    settle();
    EXPECT_EQ(toasts(), std::vector<std::string>{"Message was not sent"});
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(),
                        "Mail cannot be sent: this program has no mail service"),
              log.lines.end());
}

TEST_F(ScreensTest, TheNoticeLineShowsTheNewestTwoKindsAndLogsEachTextOnce) {
    using Kind = app::zm_main::NoticeKind;
    const auto line = [this] { return toUtf8(module()._lblnotice->Text()); };
    const auto logged = [this](const std::string& text) {
        return std::count(log.lines.begin(), log.lines.end(), text);
    };
    module().showNotice(Kind::wordLog, u"Word log not written: the disk is full");
    module().showNotice(Kind::wordLog, u"Word log not written: the disk is full");
    module().showNotice(Kind::sensors, u"Sensors lost: no new sample for 2 s");
    module().showNotice(Kind::speech, u"Speech failed: no sound card");
    EXPECT_EQ(line(), "Speech failed: no sound card\nSensors lost: no new sample for 2 s");
    EXPECT_EQ(logged("Word log not written: the disk is full"), 1);

    module().clearNotice(Kind::speech);
    module().clearNotice(Kind::sensors, u"Sensors found again");
    EXPECT_EQ(line(), "Word log not written: the disk is full");
    EXPECT_EQ(logged("Sensors found again"), 1);
    module().clearNotice(Kind::wordLog);
    EXPECT_EQ(line(), "");
    module().showNotice(Kind::wordLog, u"Word log not written: the disk is full");
    EXPECT_EQ(logged("Word log not written: the disk is full"), 2) << "new again once cleared";
}

}  // namespace
}  // namespace zemtra
