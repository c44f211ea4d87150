// The files the generator keeps: the word log, the settings file, the recent-word memory, and
// the word list it reads; both the bytes written and what start-up does with files from elsewhere.
#include <gtest/gtest.h>

#include "runtime/core/RtException.h"
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

std::string lines(int count, const std::string& each) {
    std::string text;
    for (int index = 0; index < count; ++index) text += each + "\n";
    return text;
}

using FilesTest = AppTest;

TEST_F(FilesTest, AFirstStartCreatesOnlyTheLogAndShowsTheReadyText) {
    start();
    EXPECT_EQ(readDocument("WordLog.txt"), kTitle);
    for (const auto& entry : std::filesystem::directory_iterator(documents))
        EXPECT_EQ(entry.path().filename(), "WordLog.txt");
    EXPECT_EQ(text("textview1"), "Zemtra\n \nReady");
    EXPECT_EQ(log.lines.back(), "Type DN = 0");
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
    EXPECT_NE(text("textview1"), "Zemtra\n \nReady");
}

TEST_F(FilesTest, AnOverlongMemoryFileFillsOnlyTheMemory) {
    writeDocument("fifo.txt", lines(1200, "9"));
    start();
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), "1099 9"), log.lines.end());
    EXPECT_EQ(std::find(log.lines.begin(), log.lines.end(), "1100 9"), log.lines.end());
}

// How many words a short list holds, what start-up says of it and what comes past its end are
// the language end-to-end test's.
TEST_F(FilesTest, TheWordListSkipsBlankLinesAndItsMark) {
    writeWordList("\xEF\xBB\xBF alpha\r\n\r\nbeta\n \t\n\ngamma delta \n");
    start();
    module()._wd = 0;    // no window: any candidate may follow the last one
    module()._fifo = 0;  // no memory: a fresh one holds 0 everywhere
    module()._itcout(u"0002");
    EXPECT_EQ(speech->spoken().back(), "gamma delta");
    module()._dt = 0;
    module()._itcout(u"0000");
    EXPECT_EQ(speech->spoken().back(), "alpha");
}

TEST_F(FilesTest, AWordListWithoutWordsEndsStartUpSayingSo) {
    writeWordList("\xEF\xBB\xBF\r\n  \n");
    try {
        start();
        ADD_FAILURE() << "start-up went on without words";
    } catch (const RtException& error) {
        EXPECT_EQ(toUtf8(error.reason()), "the word list " + (assets / "wordlist.txt").string() +
                                              " holds no words; give one word per line");
    }
}

TEST_F(FilesTest, StoredFilesThatAreNotOursLeaveTheLayoutsPositionsAndAClearedMemory) {
    writeDocument("sp.txt", "4\nfast\n1\n1\n1\n1\n");
    writeDocument("fifo.txt", "12\nx\n");
    start();
    EXPECT_EQ(sliderValue("slider1"), 1);
    EXPECT_EQ(sliderValue("slider2"), 2);
    for (const char* said :
         {"sp.txt line 2 is not a number (fast); the sliders keep their positions",
          "fifo.txt line 2 is not a number (x); the memory starts cleared"})
        EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), said), log.lines.end()) << said;
    module().orderlyEnd();
    EXPECT_EQ(readDocument("fifo.txt"), lines(1025, "0"));
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

// A log that ends inside a line (an older version's record written in pieces, a full disk, a power
// cut): a whole record only missing its line end is completed, anything else goes to
// "WordLog.txt.torn", and the records before it stay as they were.
TEST_F(FilesTest, ATornLastLineIsCompletedOrMovedAside) {
    const std::string record = "0427 ,11/14/2023 , 22:13:20 , w427\n";
    struct Case {
        std::string tail;
        std::string logged;
        std::string torn;  // what is moved aside; empty when completed
    };
    const std::string completed = "WordLog.txt: the last record had no line end; it was completed";
    const std::string moved = "WordLog.txt: an incomplete last line was moved to WordLog.txt.torn";
    const Case cases[] = {
        {"0500 ,11/14/2023 , 22:13:20 , w500", completed, ""},
        {"0500 ,11/14/2023 , 22:13:20 , w5", moved, "0500 ,11/14/2023 , 22:13:20 , w5\n"},
        {std::string("\0\0\0", 3), moved, std::string("\0\0\0\n", 4)},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.logged + " for " + each.tail);
        std::filesystem::remove(documents / "WordLog.txt.torn");
        writeDocument("WordLog.txt", kTitle + record + each.tail);
        const size_t mark = log.lines.size();
        start();
        EXPECT_NE(std::find(log.lines.begin() + mark, log.lines.end(), each.logged),
                  log.lines.end());
        EXPECT_EQ(readDocument("WordLog.txt"),
                  kTitle + record + (each.torn.empty() ? each.tail + "\n" : ""));
        EXPECT_EQ(readDocument("WordLog.txt.torn"), each.torn);
    }
    // A torn title line leaves nothing of the log: it starts again.
    std::filesystem::remove(documents / "WordLog.txt.torn");
    writeDocument("WordLog.txt", "PWR ,   ");
    start();
    EXPECT_EQ(readDocument("WordLog.txt"), kTitle);
    EXPECT_EQ(readDocument("WordLog.txt.torn"), "PWR ,   \n");
    module()._itcout(u"0427");
    const std::string written = readDocument("WordLog.txt");
    EXPECT_TRUE(written.starts_with(kTitle + "0427 ,") && written.ends_with(" , w427\n") &&
                std::count(written.begin(), written.end(), '\n') == 2)
        << "the next record on its own line: " << written;
}

TEST_F(FilesTest, ALogDeletedWhileRunningIsStartedAgainAndTheLogSaysSo) {
    start();
    const std::string notice = "WordLog.txt was missing: a new one was started";
    std::filesystem::remove(documents / "WordLog.txt");
    module()._itcout(u"0427");
    EXPECT_EQ(readDocument("WordLog.txt"), kTitle + "0427 ,11/14/2023 , 22:13:20 , w427\n");
    EXPECT_EQ(text("lblnotice"), notice);
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), notice), log.lines.end());

    module()._dt = 0;
    module()._itcout(u"0900");
    EXPECT_EQ(text("lblnotice"), "") << "the next record written clears it";
    std::filesystem::remove(documents / "WordLog.txt");
    module()._btnlog_click();
    EXPECT_EQ(readDocument("WordLog.txt"), kTitle);
    EXPECT_EQ(text("textview2"), kTitle);
    EXPECT_EQ(text("lblnotice"), notice);
}

}  // namespace
}  // namespace zemtra
