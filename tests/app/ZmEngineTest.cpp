// The generator's engine on the virtual clock: digits from sensor readings, the selection rules
// with their quiet times, the two memory rings, the word display, the meter and the scanner.
#include <gtest/gtest.h>

#include "runtime/core/TickClock.h"
#include "tests/app/AppTestSupport.h"

namespace zemtra {
namespace {

using testing::AppTest;

const std::string kTitle = "PWR ,     DATE       ,   TIME    , WORD  \n";

class EngineTest : public AppTest {
  protected:
    EngineTest() { start(); }
    int slot(int32_t index) const { return module()._lws->getObjectFast(index).number()->toInt(); }
    int digit(int32_t index) const {
        return module()._cfig->getObjectFast(index).number()->toInt();
    }
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
    int digit(int32_t index) const {
        return module()._cfig->getObjectFast(index).number()->toInt();
    }
    std::vector<int> digits() const {
        return {digit(0), digit(1), digit(2), digit(3), digit(4), digit(5)};
    }
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
    module()._cfig->setObjectFast(5, Value::ofInt(7));
    const size_t mark = log.lines.size();
    tickAt(500);
    // 0.5 gives no match, so the later matches move up; slot 5 keeps its earlier digit; signs
    // never reach the text.
    EXPECT_EQ(digits(), (std::vector<int>{0, 9, 3, 0, 2, 7}));
    EXPECT_EQ(logFrom(mark), std::vector<std::string>{"current value 9327"});

    tickAt(1500);  // 12.3456789 has seven digits after the point: no match
    EXPECT_EQ(digits(), (std::vector<int>{0, 9, 0, 2, 2, 7}));

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

TEST_F(EngineTest, AnAcceptedWordIsLoggedSpokenLitShownAndRemembered) {
    const size_t mark = log.lines.size();
    module()._itcout(u"0427");
    EXPECT_EQ(readDocument("WordLog.txt"), kTitle + "0427 ,11/14/2023 , 22:13:20 , w427\n");
    EXPECT_EQ(logFrom(mark), (std::vector<std::string>{"Spoke =w427", "RN = 1"}));
    EXPECT_EQ(speech->calls.back(), "speak [w427] clear");
    EXPECT_EQ(visibleImageViews({20, 21, 22, 23, 24, 25, 26, 27, 30, 31, 32, 33,
                                 34, 35, 36, 37, 40, 41, 42, 43, 44, 45, 46, 47}),
              (std::vector<int>{23, 27, 42, 46}));
    EXPECT_EQ(module()._x1, 427);
    EXPECT_EQ(text("textview1"), "w427");
    EXPECT_EQ(slot(0), 427) << "spoken-word ring";
    EXPECT_EQ(slot(1), 427) << "candidate ring";
    EXPECT_EQ(module()._lw, 427);
    EXPECT_EQ(module()._dt, Now()) << "the first word of a run has no quiet time of its own";
}

TEST_F(EngineTest, RejectionsSetTheirQuietTimesAndOnlyMemoryRejectionsSave) {
    // Every memory slot holds 0 after a first start.
    size_t mark = log.lines.size();
    module()._itcout(u"0000");
    EXPECT_EQ(logFrom(mark), (std::vector<std::string>{"fifo error =w0 Delay 18500 +x*4 x = 0",
                                                       "Save fifo", "Save done"}));
    EXPECT_EQ(module()._dt, Now() + 18500);
    std::string zeros;
    for (int index = 0; index < 1025; ++index) zeros += "0\n";
    EXPECT_EQ(readDocument("fifo.txt"), zeros);
    EXPECT_EQ(module()._cnt, 0) << "a memory rejection is no candidate";

    module()._fifo = 0;  // no memory rule: the repeat rule takes 0
    mark = log.lines.size();
    offer(u"0000");
    EXPECT_EQ(logFrom(mark), std::vector<std::string>{"LWS error =w0 Delay 15000 + x*6 x =0"});
    EXPECT_EQ(module()._dt, Now() + 15000);
    EXPECT_EQ(module()._cnt, 1);

    for (const char16_t* beyond : {u"2049", u"9999"}) {
        mark = log.lines.size();
        module()._tr1->setEnabled(false);
        offer(beyond);
        EXPECT_TRUE(logFrom(mark).empty());
        EXPECT_TRUE(module()._tr1->Enabled());
        EXPECT_EQ(module()._cnt, 1);
    }

    module()._dt = Now() + 5;  // pending: dropped without a word
    mark = log.lines.size();
    module()._itcout(u"0600");
    EXPECT_TRUE(logFrom(mark).empty());
    EXPECT_EQ(module()._lw, 0);
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
        if (each.rejected) {
            EXPECT_EQ(logFrom(mark),
                      std::vector<std::string>{"Window error =w" + std::to_string(x) +
                                               " Delay 7500 + " + std::to_string(x)});
            EXPECT_EQ(module()._dt, Now() + 7500 + x);
        } else {
            EXPECT_EQ(log.lines[mark], "Spoke =w" + std::to_string(x));
        }
        EXPECT_EQ(module()._lw, x);
    }
}

TEST_F(EngineTest, TheFourthWordClearsTheDisplayAndTheRingsWrap) {
    module()._fifo = 2;
    for (const char16_t* selection : {u"0500", u"0700", u"0900"}) offer(selection);
    EXPECT_EQ(text("textview1"), "w500\nw700\nw900");
    EXPECT_EQ(module()._fc, 0) << "the spoken-word ring uses slots 0 to _fifo";
    module()._cnt = 99;
    offer(u"1100");
    EXPECT_EQ(text("textview1"), "w1100");
    EXPECT_EQ(slot(0), 1100);
    EXPECT_EQ(module()._cnt, 1) << "the candidate ring uses slots 1 to 99";
    EXPECT_EQ(slot(1), 1100);

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
    EXPECT_EQ(module()._dt, Now() + 10500);
    module()._tmr1->setEnabled(true);
    runFor(10400);
    EXPECT_NE(module()._dt, 0);
    module()._itcout(u"0600");  // still quiet
    EXPECT_EQ(module()._lw, 427);
    runFor(200);
    EXPECT_EQ(module()._dt, 0);
    EXPECT_EQ(log.lines.back(), "dt clear");
    EXPECT_EQ(module()._rn, 0);

    module()._itcout(u"0600");  // first of the new run: quiet until the next tick
    EXPECT_EQ(module()._dt, Now());
    runFor(200);
    EXPECT_EQ(module()._dt, 0);
    EXPECT_EQ(module()._rn, 1) << "seven or fewer is kept";
}

TEST_F(EngineTest, MeterBands) {
    const std::initializer_list<int> meter = {20, 21, 22, 23, 24, 25, 26, 27, 30, 31, 32, 33,
                                              34, 35, 36, 37, 40, 41, 42, 43, 44, 45, 46, 47};
    struct Band {
        int level;
        std::vector<int> lit;
    };
    const Band bands[] = {
        {0, {}},
        {1, {33, 37}},
        {99, {33, 37}},
        {100, {43, 47}},
        {299, {23, 27}},
        {300, {23, 27, 32, 36}},
        {1199, {21, 22, 23, 25, 26, 27, 40, 44}},
        {1200, {20, 21, 22, 23, 24, 25, 26, 27}},
        {2048, {20, 21, 22, 23, 24, 25, 26, 27}},
    };
    for (const Band& band : bands) {
        module()._pwr(band.level);
        EXPECT_EQ(visibleImageViews(meter), band.lit) << band.level;
    }
}

TEST_F(EngineTest, DisplayTicksDecayTheMeterAndSweepTheScanner) {
    module()._x1 = 150;
    module()._tmr1_tick();
    EXPECT_EQ(module()._x1, 50);
    module()._tmr1_tick();
    module()._tmr1_tick();
    EXPECT_EQ(module()._x1, 0);

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
