// `zemtra review` run as a user runs it: the newest session or the one named, the chart files,
// and bad sessions and command lines answered with a message naming the file and line and the
// right status, never a crash; rows that can be read are used and the others counted.
#include <gtest/gtest.h>

#include <QImage>

#include "app/ReviewCommand.h"
#include "tests/session/SimulatedJournal.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::app {
namespace {

namespace fs = std::filesystem;
using testing::ChildProcess;
using testing::ProgramOutcome;
using testing::TemporaryFolder;
using testing::writeFile;

ProgramOutcome review(std::vector<std::string> arguments, const TemporaryFolder& home) {
    arguments.insert(arguments.begin(), {ZEMTRA_PROGRAM, "review"});
    ChildProcess program({arguments,
                          {{"HOME", home.path().string()},
                           {"XDG_DATA_HOME", ""},
                           {"XDG_CONFIG_HOME", ""},
                           {"DISPLAY", ""},
                           {"WAYLAND_DISPLAY", ""}}});
    return program.wait(std::chrono::seconds(30));
}

void writeSession(const fs::path& folder, int64_t ticks) {
    testing::writeJournal(folder, testing::simulatedJournal({.ticks = ticks, .digitPosition = 7}));
}

TEST(ReviewCommand, DrawsTheNewestSessionOrTheOneNamed) {
    const TemporaryFolder home;
    const fs::path sessions = home / "data/Sessions";
    writeSession(sessions / "2025-01-01_08-00-00", 300);
    writeSession(sessions / "2025-01-02_08-00-00", 900);
    const std::string png = home.file("chart.png");
    ProgramOutcome outcome =
        review({"--data", home.file("data"), "--png", png, "--size", "900x500"}, home);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    QImage image(QString::fromStdString(png));
    EXPECT_EQ(image.size(), QSize(900, 500));
    // The chart's background colour in a corner, something else in the lanes.
    EXPECT_EQ(image.pixelColor(2, 2), QColor(0x10, 0x14, 0x18));

    const std::string svg = home.file("chart.svg");
    outcome = review({"2025-01-01_08-00-00", "--data", home.file("data"), "--svg", svg}, home);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(testing::readFile(svg).find("</svg>"), std::string::npos);
    // A folder by its path, or its samples.csv.
    outcome = review({(sessions / "2025-01-01_08-00-00/samples.csv").string(), "--png", png}, home);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    // Without a display the window cannot open: said, status 1.
    outcome = review({(sessions / "2025-01-01_08-00-00").string()}, home);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("needs a display"), std::string::npos) << outcome.err;
}

TEST(ReviewCommand, BadCommandLinesEndWithStatusTwo) {
    const TemporaryFolder home;
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--size", "10x10", "--png", "a.png"},
                                               {"--size", "800"},
                                               {"--png"},
                                               {"--colour", "red"},
                                               {"one", "two"}}) {
        const ProgramOutcome outcome = review(arguments, home);
        EXPECT_EQ(outcome.status, 2) << arguments.front() << ": " << outcome.err;
        EXPECT_NE(outcome.err.find("review"), std::string::npos) << outcome.err;
    }
    const ProgramOutcome help = review({"--help"}, home);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, reviewUsageText());
}

// What the journal reader refuses is tried on `stats`; here only that review passes it on.
TEST(ReviewCommand, BadSessionsAreNamedAndDamagedRowsCounted) {
    {
        const TemporaryFolder home;
        writeSession(home / "s", 10);
        writeFile(home / "s/session.json", "{not json");
        const ProgramOutcome outcome = review({home.file("s"), "--png", home.file("o.png")}, home);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.signal, 0);
        EXPECT_NE(outcome.err.find("session.json"), std::string::npos) << outcome.err;
    }
    // Damaged rows among good ones: the good ones are drawn, the others counted by line.
    const TemporaryFolder home;
    const fs::path folder = home / "s";
    writeSession(folder, 120);
    std::string samples = testing::readFile(folder / "samples.csv");
    samples.insert(samples.find('\n', samples.find('\n') + 1) + 1,
                   "1735718400500,x,nan,1,1,1,1,1,------,0000,0,quiet,,\n"
                   "-5,x,1,1,1,1e308,1,1,------,0000,0,quiet,,\n"
                   "1735718400600,x,1,1,1,1,1,1,------,0000,0,decided,,\n");
    samples += "1735718999000,2025-01-01T08:1";  // torn last row
    writeFile(folder / "samples.csv", samples);
    const ProgramOutcome outcome = review({folder.string(), "--png", home.file("out.png")}, home);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.err.find("samples.csv:3"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("4 unreadable row(s) skipped, 120 used"), std::string::npos)
        << outcome.err;
    EXPECT_TRUE(fs::exists(home / "out.png"));

    const ProgramOutcome missing = review({(home / "nowhere").string(), "--png", "x.png"}, home);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("nowhere"), std::string::npos) << missing.err;
    const ProgramOutcome none = review({"--data", home.file("empty"), "--png", "x.png"}, home);
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("no session recorded"), std::string::npos) << none.err;
}

TEST(ReviewButton, AHeadlessRunSaysTheWindowNeedsADisplayAndGoesOn) {
    const TemporaryFolder home;
    writeSession(home / "data/Sessions/2025-01-01_08-00-00", 60);
    writeFile(home / "script.txt", "tap btnlog\ntap btnreview\nwait 1000\ntap btnbk\n");
    ChildProcess program({{ZEMTRA_PROGRAM, "--headless", "--clock", "virtual", "--speech", "none",
                           "--data", home.file("data"), "--script", home.file("script.txt")},
                          {{"HOME", home.path().string()}, {"XDG_CONFIG_HOME", ""}}});
    const ProgramOutcome outcome = program.wait(std::chrono::seconds(30));
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.err.find("the review window needs a display"), std::string::npos)
        << outcome.err;
}

}  // namespace
}  // namespace zemtra::app
