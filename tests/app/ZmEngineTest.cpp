// The generator's engine on the virtual clock: digits from sensor readings, the selection rules
// with their quiet times, the two memory rings, the word display, the meter and the scanner.
// What is checked is what a person or the files see: log lines, words, lit views.
#include <gtest/gtest.h>

#include "runtime/core/TickClock.h"
#include "tests/app/AppTestSupport.h"

namespace zemtra {
namespace {

using testing::AppTest;

const std::string kTitle = "PWR ,     DATE       ,   TIME    , WORD  \n";
const std::initializer_list<int> kMeter = {20, 21, 22, 23, 24, 25, 26, 27, 30, 31, 32, 33,
                                           34, 35, 36, 37, 40, 41, 42, 43, 44, 45, 46, 47};

class EngineTest : public AppTest {
  protected:
    EngineTest() { start(); }
    // Selection values offered one after the other, each with the engine free.
    void offer(const char16_t* selection) {
        module()._dt = 0;
        module()._itcout(selection);
    }
};

// The sampling tests replay their readings; a tick is taken by hand at each moment, with the
// selection step kept quiet.
class SamplingTest : public AppTest {
  protected:
    void tickAt(int64_t milliseconds) {
        runFor(milliseconds - (Now() - kStartTicks));
        module()._dt = Now() + 60000;
        module()._tr1_tick();
        module()._tr1->setEnabled(false);
    }
};

TEST_F(SamplingTest, ReadingsBecomeDigitsAtTheDigitPosition) {
    replay(
        "0,0.0123456789,-41.98765432109876,12.34567891,0.0011223344556,0.5,-0.000012345678912,0,0,"
        "0\n"
        "1000,0.0123456789,-41.98765432109876,12.3456789,0.0011223344556,0.5,-0.000012345678912,0,"
        "0,0\n"
        "2000,0.0123456789,-41.98765432109876,12.34567891,0.0011223344556,0.5,-0.000012345678912,0,"
        "0,0\n");
    start();
    module()._cfig->setObjectFast(5, Value::ofInt(7));  // a digit from an earlier tick
    // 0.5 gives no match, so the later matches move up and the last digit stays from before;
    // signs never reach the text.
    const size_t mark = log.lines.size();
    tickAt(500);
    EXPECT_EQ(logFrom(mark), std::vector<std::string>{"current value 9327"});
    tickAt(1500);  // 12.3456789 has seven digits after the point: no match
    EXPECT_EQ(log.lines.back(), "current value 9027");
    module()._sens = 8;
    tickAt(2500);
    EXPECT_EQ(log.lines.back(), "current value 2197");
    module()._sens = 0;  // the point itself, which reads as 0
    tickAt(2600);
    EXPECT_EQ(log.lines.back(), "current value 0007");
}

TEST_F(SamplingTest, WithoutAMagnetometerSampleAccelerationAndAttitudeAreScanned) {
    replay(
        "0,,,,0.1111111111,0.2222222222,-0.3333333333,0.4444444444,-0.5555555555,0.6666666666\n"
        "1000,0.9999999999,0.9999999999,0.9999999999,0.1111111111,0.2222222222,-0.3333333333,"
        "0.4444444444,-0.5555555555,0.6666666666\n");
    start();
    tickAt(500);
    EXPECT_EQ(log.lines.back(), "current value 2356");
    tickAt(1500);
    EXPECT_EQ(log.lines.back(), "current value 9923") << "with a magnetometer sample";
    module()._dn = 1;  // an iPod scans acceleration and attitude whatever the magnetometer says
    tickAt(2500);
    EXPECT_EQ(log.lines.back(), "current value 2356");
}

TEST_F(EngineTest, AnAcceptedWordIsLoggedSpokenLitAndShown) {
    const size_t mark = log.lines.size();
    module()._itcout(u"0427");
    EXPECT_EQ(readDocument("WordLog.txt"), kTitle + "0427 ,11/14/2023 , 22:13:20 , w427\n");
    EXPECT_EQ(logFrom(mark), (std::vector<std::string>{"Spoke =w427", "RN = 1"}));
    EXPECT_EQ(speech->calls.back(), "speak [w427] clear");
    EXPECT_EQ(visibleImageViews(kMeter), (std::vector<int>{23, 27, 42, 46}));
    EXPECT_EQ(text("textview1"), "w427");
}

TEST_F(EngineTest, OtherRejectionsLogTheirQuietTimesAndDoNotSave) {
    // The memory rule's rejection and its save: the end-to-end run of replayed readings. Every
    // memory slot holds 0 after a first start; with no memory rule the repeat rule takes 0.
    module()._fifo = 0;
    size_t mark = log.lines.size();
    offer(u"0000");
    EXPECT_EQ(logFrom(mark), std::vector<std::string>{"LWS error =w0 Delay 15000 + x*6 x =0"});

    // Beyond the word list: nothing said, and sampling goes on.
    for (const char16_t* beyond : {u"2049", u"9999"}) {
        mark = log.lines.size();
        module()._tr1->setEnabled(false);
        offer(beyond);
        EXPECT_TRUE(logFrom(mark).empty());
        EXPECT_TRUE(module()._tr1->Enabled());
    }

    module()._dt = Now() + 5;  // a quiet time is running: dropped without a word
    mark = log.lines.size();
    module()._itcout(u"0600");
    EXPECT_TRUE(logFrom(mark).empty());
}

TEST_F(EngineTest, TheWindowHoldsTheCandidatesJustAboveTheLastOne) {
    struct Case {
        const char16_t* selection;
        bool rejected;
    };
    for (const Case& each :
         {Case{u"0101", true}, Case{u"0110", true}, Case{u"0111", false}, Case{u"0099", false}}) {
        module()._lw = 100;
        const size_t mark = log.lines.size();
        offer(each.selection);
        const int32_t x = objectToNumber(Value(String(each.selection))).toInt();
        const std::string expected = each.rejected ? "Window error =w" + std::to_string(x) +
                                                         " Delay 7500 + " + std::to_string(x)
                                                   : "Spoke =w" + std::to_string(x);
        EXPECT_EQ(log.lines[mark], expected);
    }
}

TEST_F(EngineTest, TheFourthWordClearsTheDisplayAndSlotZeroIsNotRemembered) {
    module()._fifo = 2;
    for (const char16_t* selection : {u"0500", u"0700", u"0900"}) offer(selection);
    EXPECT_EQ(text("textview1"), "w500\nw700\nw900");
    offer(u"1100");
    EXPECT_EQ(text("textview1"), "w1100");

    module()._lws->setObjectFast(1, Value::ofInt(0));
    module()._lws->setObjectFast(0, Value::ofInt(1500));
    module()._fifo = 100;
    const size_t mark = log.lines.size();
    offer(u"1500");
    EXPECT_EQ(log.lines[mark], "Spoke =w1500") << "slot 0 is not scanned by the memory rule";
}

TEST_F(EngineTest, QuietTimesEndAtTheFirstDisplayTickPastThemAndRunsRestartAfterEight) {
    module()._rn = 7;
    module()._itcout(u"0427");
    EXPECT_EQ(log.lines.back(), "RN = 8");
    module()._tmr1->setEnabled(true);
    runFor(10400);  // the eighth word is followed by 10.5 s of quiet
    size_t mark = log.lines.size();
    module()._itcout(u"0600");
    EXPECT_TRUE(logFrom(mark).empty()) << "still quiet";
    runFor(200);
    EXPECT_EQ(log.lines.back(), "dt clear");

    mark = log.lines.size();
    module()._itcout(u"0600");
    EXPECT_EQ(logFrom(mark), (std::vector<std::string>{"Spoke =w600", "RN = 1"}))
        << "a new run after eight";
    // The first word of a run is quiet only until the next display tick.
    runFor(200);
    EXPECT_EQ(log.lines.back(), "dt clear");
}

TEST_F(EngineTest, DisplayTicksDecayTheMeterAndSweepTheScanner) {
    module()._x1 = 150;  // the meter's level
    module()._tmr1_tick();
    EXPECT_EQ(visibleImageViews(kMeter), (std::vector<int>{33, 37})) << "down to 50";
    module()._tmr1_tick();
    EXPECT_TRUE(visibleImageViews(kMeter).empty());

    module()._onoff = 1;
    module()._ic = 5;
    std::vector<int> lit;
    for (int tick = 0; tick < 7; ++tick) {
        module()._tmr1_tick();
        const auto views = visibleImageViews({1, 2, 3, 4, 5, 6, 7, 8, 9});
        ASSERT_EQ(views.size(), 1u);
        lit.push_back(views[0]);
    }
    EXPECT_EQ(lit, (std::vector<int>{5, 6, 7, 8, 9, 8, 7}));
}

}  // namespace
}  // namespace zemtra
