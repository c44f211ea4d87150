// The files the generator keeps: the word log, the settings file, the recent-word memory, and
// the word list it reads; both the bytes written and what start-up does with files from elsewhere.
#include <gtest/gtest.h>

#include "tests/app/AppTestSupport.h"
#include "ui/Screen.h"
#include "ui/UiAlertView.h"
#include "ui/UiSlider.h"

namespace zemtra {
namespace {

using testing::AppTest;

const std::string kTitle = "PWR ,     DATE       ,   TIME    , WORD  \n";

float sliderValue(const std::string& name) {
    return std::dynamic_pointer_cast<UiSlider>(Screen::main().findView(fromUtf8(name)))->value();
}

void slide(const std::string& name, float value) {
    std::dynamic_pointer_cast<UiSlider>(Screen::main().findView(fromUtf8(name)))->slide(value);
}

std::string lines(int count, const std::string& each) {
    std::string text;
    for (int index = 0; index < count; ++index) text += each + "\n";
    return text;
}

using FilesTest = AppTest;

TEST_F(FilesTest, AFirstStartCreatesOnlyTheLogAndShowsTheReadyText) {
    start();
    EXPECT_EQ(readDocument("WordLog.txt"), kTitle);
    EXPECT_EQ(kTitle.size(), 42u);
    EXPECT_EQ(documentNames(), std::vector<std::string>{"WordLog.txt"});
    EXPECT_EQ(text("textview1"), "Zemtra\n \nReady");
    const auto& lines = log.lines;
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Create fifo"), lines.end());
    EXPECT_EQ(lines.back(), "Type DN = 0");
    EXPECT_EQ(module()._x1, 2075) << "the number of words loaded";
    ASSERT_TRUE(module()._move);
    EXPECT_TRUE(std::static_pointer_cast<RtObjectWrapper>(module()._move)->IsInitialized())
        << "the motion sensors are set up";
    EXPECT_FLOAT_EQ(speech->pitch, 0.1f);
    EXPECT_FLOAT_EQ(speech->rate, 0.3f);
    EXPECT_EQ(module()._tr1->Interval(), 1000);
    EXPECT_FALSE(module()._tr1->Enabled());
}

TEST_F(FilesTest, AnExistingLogAndMemoryAreReadNotRewritten) {
    const std::string logText = kTitle + "0427 ,11/14/2023 , 22:13:20 , w427\n";
    writeDocument("WordLog.txt", logText);
    writeDocument("fifo.txt", "417\n" + lines(1024, "3"));
    start();
    EXPECT_EQ(readDocument("WordLog.txt"), logText);
    const auto first = std::find(log.lines.begin(), log.lines.end(), "read fifo");
    ASSERT_NE(first, log.lines.end());
    EXPECT_EQ(*(first + 1), "0 417");
    EXPECT_EQ(*(first + 1025), "1024 3");
    EXPECT_EQ(module()._lws->getObjectFast(0).number()->toInt(), 417);
    EXPECT_NE(text("textview1"), "Zemtra\n \nReady");
}

TEST_F(FilesTest, AMemoryFileThatIsNotOursStartsACleanMemory) {
    writeDocument("fifo.txt", "5\n6\nseven\n8\n");
    start();
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(),
                        "fifo.txt line 3 is not a number (seven); the memory starts cleared"),
              log.lines.end());
    EXPECT_EQ(module()._lws->getObjectFast(0).number()->toInt(), 0);
    EXPECT_EQ(text("textview1"), "Zemtra\n \nReady");
}

TEST_F(FilesTest, AnOverlongMemoryFileFillsOnlyTheMemory) {
    writeDocument("fifo.txt", lines(1200, "9"));
    start();
    EXPECT_EQ(module()._lws->getObjectFast(1099).number()->toInt(), 9);
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), "1099 9"), log.lines.end());
    EXPECT_EQ(std::find(log.lines.begin(), log.lines.end(), "1100 9"), log.lines.end());
}

TEST_F(FilesTest, TheWordListSkipsBlankLinesAndStopsAtItsLastSlot) {
    writeWordList("alpha\r\n\r\nbeta\n\n\ngamma delta\n");
    start();
    EXPECT_EQ(module()._x1, 3);
    EXPECT_EQ(module()._words->getObjectFast(2).description(), u"gamma delta");
    EXPECT_EQ(module()._words->getObjectFast(3).description(), u"");

    writeWordList(lines(2100, "word"));
    module()._addto();
    EXPECT_EQ(module()._x1, 2075);
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(),
                        "wordlist.txt has 2100 lines; the lines after line 2075 are ignored"),
              log.lines.end());
}

TEST_F(FilesTest, SlidersAreSavedAsWholeNumbersAndRestoredWithoutRaisingAnything) {
    start();
    module()._btnset_click();
    slide("slider1", 3.7f);
    slide("slider2", 2.99f);
    slide("slider3", 10.05f);
    slide("slider6", 25.9f);
    settle();
    EXPECT_EQ(readDocument("sp.txt"), "3\n2\n10\n10\n3\n25\n");
    EXPECT_EQ(module()._sens, 3);
    EXPECT_EQ(module()._tr1->Interval(), 1495);
    EXPECT_EQ(module()._fifo, 100);
    EXPECT_EQ(module()._wd, 25);
    EXPECT_EQ(documentNames(), (std::vector<std::string>{"WordLog.txt", "sp.txt"}))
        << "no temporary file is left behind by the replacing save";
}

TEST_F(FilesTest, RestoredSlidersKeepTheEngineAtItsStartValues) {
    writeDocument("sp.txt", "5\r\n\r\n3\r\n100\r\n7.9\r\n-2.5\r\n");
    start();
    EXPECT_EQ(sliderValue("slider1"), 5);
    EXPECT_EQ(sliderValue("slider2"), 3);
    EXPECT_FLOAT_EQ(sliderValue("slider3"), 100);
    EXPECT_EQ(sliderValue("slider4"), 7) << "truncated toward zero";
    EXPECT_EQ(sliderValue("slider5"), 0) << "-2 is clamped to the slider's minimum";
    EXPECT_EQ(sliderValue("slider6"), 0) << "a missing entry is 0";
    EXPECT_EQ(module()._sens, 1);
    EXPECT_EQ(module()._fifo, 100);
    EXPECT_EQ(module()._tr1->Interval(), 1000);
    EXPECT_FALSE(documentExists("sp.txt.tmp"));
}

TEST_F(FilesTest, ASettingsFileThatIsNotOursLeavesTheLayoutsPositions) {
    writeDocument("sp.txt", "4\nfast\n1\n1\n1\n1\n");
    start();
    EXPECT_EQ(sliderValue("slider1"), 1);
    EXPECT_EQ(sliderValue("slider2"), 2);
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(),
                        "sp.txt line 2 is not a number (fast); the sliders keep their positions"),
              log.lines.end());

    writeDocument("sp.txt", lines(12, "6"));
    module()._slider1->setValue(1);
    module()._x1 = 0;
    module().restoreSliders();
    EXPECT_EQ(module()._x1, 10) << "entries after the tenth are left out";
    EXPECT_EQ(sliderValue("slider1"), 6);
}

TEST_F(FilesTest, ClearingTheLogAsksFirst) {
    writeDocument("WordLog.txt", kTitle + "0427 ,11/14/2023 , 22:13:20 , w427\n");
    start();
    const std::string before = readDocument("WordLog.txt");
    for (const char* answer : {"No", "Yes"}) {
        module()._btnclog_click();
        ASSERT_EQ(Screen::main().alerts().size(), 1u);
        const auto alert = Screen::main().alerts().back();
        EXPECT_EQ(alert->buttons(), (std::vector<std::u16string>{u"Yes", u"No"}));
        ASSERT_TRUE(alert->pressButton(fromUtf8(answer)));
        settle();
    }
    // After "No" the file was untouched; after "Yes" it holds the title only.
    EXPECT_EQ(readDocument("WordLog.txt"), kTitle);
    EXPECT_EQ(text("textview2"), kTitle);
    EXPECT_EQ(toasts(), (std::vector<std::string>{"Nothing Done", "Logs Deleted"}));
    EXPECT_NE(before, kTitle);
}

TEST_F(FilesTest, EveryMemoryRejectionLeavesTheMemoryOnDisk) {
    start();
    module()._itcout(u"0000");
    std::filesystem::remove(documents / "fifo.txt");
    module()._dt = 0;
    module()._itcout(u"0000");
    EXPECT_EQ(readDocument("fifo.txt"), lines(1025, "0"));
    module()._dt = 0;
    module()._itcout(u"0427");
    module()._dt = 0;
    module()._itcout(u"0427");  // held in memory now
    EXPECT_EQ(readDocument("fifo.txt"), "427\n427\n" + lines(1023, "0"));
}

TEST_F(FilesTest, AnOrderlyEndSavesTheMemoryWithItsLastWords) {
    start();
    module()._itcout(u"0427");
    EXPECT_FALSE(documentExists("fifo.txt"));
    module().orderlyEnd();
    const std::string saved = readDocument("fifo.txt");
    EXPECT_EQ(saved, "427\n427\n" + lines(1023, "0"));
    EXPECT_EQ(log.lines.back(), "Save done");
}

}  // namespace
}  // namespace zemtra
