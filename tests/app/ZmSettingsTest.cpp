// The settings panel as a person meets it: positions restored from "sp.txt" are in force at once
// (without rewriting the file or speaking), each caption says the value in force and follows its
// slider, and the lines a person may type into "sp.txt" are read as the numbers they mean.
#include <gtest/gtest.h>

#include "tests/app/AppTestSupport.h"
#include "ui/Screen.h"
#include "ui/UiSlider.h"

namespace zemtra {
namespace {

using testing::AppTest;

std::shared_ptr<UiSlider> slider(const std::string& name) {
    return std::dynamic_pointer_cast<UiSlider>(Screen::main().findView(fromUtf8(name)));
}

using SettingsTest = AppTest;

TEST_F(SettingsTest, RestoredPositionsTakeEffectWithoutSavingOrSpeaking) {
    const std::string saved = "5\r\n\r\n3\r\n100\r\n7.9\r\n-2.5\r\n";
    writeDocument("sp.txt", saved);
    start();
    EXPECT_EQ(readDocument("sp.txt"), saved) << "the restore does not rewrite the file";
    EXPECT_EQ(speech->spoken(), std::vector<std::string>{}) << "and says nothing";
    // What each slider's handler would have set for the positions (the captions are made from the
    // values in force): 7.9 truncated, -2.5 clamped to slider 5's minimum, the missing sixth 0.
    EXPECT_EQ(text("lblslider1"), "Digit position: digit 5 after the point");
    EXPECT_EQ(text("lblslider2"), "Sampling interval: every 1.5 s");
    EXPECT_EQ(text("lblslider3"), "Word memory: 1000 recent words");
    EXPECT_EQ(text("lblslider4"), "Voice pitch: 0.7 (position / 10)");
    EXPECT_EQ(text("lblslider5"), "Voice rate: 0 (position / 10)");
    EXPECT_EQ(text("lblslider6"), "Window: off, no places skipped");
}

TEST_F(SettingsTest, EachCaptionFollowsItsSlider) {
    struct Row {
        const char* slider;
        float value;
        const char* caption;
    };
    const Row rows[] = {
        {"slider1", 0.9f, "Digit position: none, every digit reads 0"},
        {"slider2", 2.99f, "Sampling interval: every 1.495 s"},
        {"slider3", 0, "Word memory: off, no word is held"},
        {"slider4", 12, "Voice pitch: 1.2 (position / 10)"},
        {"slider6", 1, "Window: 1 place skipped after a word"},
    };
    start();
    module()._btnset_click();
    for (const Row& row : rows) {
        slider(row.slider)->slide(row.value);
        settle();
        const std::string caption = "lbl" + std::string(row.slider);
        EXPECT_EQ(text(caption), row.caption) << row.slider << " at " << row.value;
    }
}

// A line of "sp.txt" as the sixth entry (the window width, slider 6 of 0 to 100), and the width
// it gives; -1 for a line that is not a number (the sliders keep their positions, width 10).
struct StoredLine {
    const char* text;
    int width;
};

class StoredNumberTest : public AppTest, public ::testing::WithParamInterface<StoredLine> {};

TEST_P(StoredNumberTest, ALineIsReadAsThePersonWhoTypedItMeantIt) {
    writeDocument("sp.txt", std::string("1\n2\n10\n10\n3\n") + GetParam().text + "\n");
    start();
    if (GetParam().width < 0) {
        EXPECT_EQ(module()._wd, 10);
        EXPECT_NE(std::find(log.lines.begin(), log.lines.end(),
                            "sp.txt line 6 is not a number (" + std::string(GetParam().text) +
                                "); the sliders keep their positions"),
                  log.lines.end());
        return;
    }
    EXPECT_EQ(module()._wd, GetParam().width);
}

INSTANTIATE_TEST_SUITE_P(SignsAndBlanks, StoredNumberTest,
                         ::testing::Values(StoredLine{"-0", 0}, StoredLine{"+0", 0},
                                           StoredLine{"\t 0", 0}, StoredLine{" -0.0", 0},
                                           StoredLine{"+7", 7}, StoredLine{"42.9", 42},
                                           StoredLine{"- 0", -1}, StoredLine{"+-0", -1},
                                           StoredLine{"-", -1}));

}  // namespace
}  // namespace zemtra
