// The program end to end: build/zemtra runs headless on the virtual clock with a script, and its
// standard output, standard error, exit status and files are checked byte for byte. Also: the
// quiet run (nothing on standard error), the fall-back to a headless run when the display cannot
// be reached, and an orderly end on a real signal.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "tests/app/ProgramRun.h"
#include "tests/support/TemporaryFolder.h"

namespace {

namespace fs = std::filesystem;
using zemtra::testing::readFile;
using zemtra::testing::writeFile;
using Outcome = zemtra::testing::ProgramOutcome;

const std::string kTitle = "PWR ,     DATE       ,   TIME    , WORD  \n";

std::string repeated(int count, const std::string& line) {
    std::string text;
    for (int index = 0; index < count; ++index) text += line;
    return text;
}

class EndToEndTest : public ::testing::Test {
  protected:
    EndToEndTest() : root(folder.path()) {
        fs::copy(ZEMTRA_BUILD_ASSETS_DIR, root / "assets", fs::copy_options::recursive);
        std::string words;
        for (int index = 0; index < 2075; ++index) words += "w" + std::to_string(index) + "\n";
        writeFile(root / "assets/wordlist.txt", words);
        writeFile(root / "sensors.csv", "t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll\n");
    }

    std::vector<std::string> arguments(const std::string& script) const {
        return {"--headless",
                "--clock",
                "virtual:2026-03-07T15:04:05",
                "--data",
                (root / "data").string(),
                "--assets",
                (root / "assets").string(),
                "--sensors",
                "replay:" + (root / "sensors.csv").string(),
                "--speech",
                "none",
                "--script",
                script};
    }
    zemtra::testing::ProgramOptions program(
        std::vector<std::string> args, std::map<std::string, std::string> environment = {}) const {
        return zemtra::testing::programRun(root, std::move(args), std::move(environment));
    }

    Outcome run(const std::string& script, const std::vector<std::string>& extra = {}) const {
        writeFile(root / "script.txt", script);
        std::vector<std::string> args = arguments((root / "script.txt").string());
        args.insert(args.end(), extra.begin(), extra.end());
        return zemtra::testing::runProgram(program(args));
    }

    std::string document(const std::string& name) const { return readFile(root / "data" / name); }

    const zemtra::testing::TemporaryFolder folder{"zemtra-e2e"};
    fs::path root;
};

const std::string kStartUp =
    "didFinishLaunchingWithOptions\nSensors: Replay sensors.csv\nCreate fifo\nSimulator\n"
    "Type DN = 0\n";
const std::string kSaveFifo = "Save fifo\nSave done\n";

TEST_F(EndToEndTest, ReplayedReadingsBecomeWordsPacedByQuietTimes) {
    // The digits after the point of the magnetometer's y and z and the acceleration's y and z
    // make the selection value: 0271 from the start, 1420 from 2.5 s, 0042 from 4 s.
    writeFile(
        root / "sensors.csv",
        "t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll\n"
        "0,0.123456789,0.012345678,0.212345678,0.512345678,0.712345678,0.112345678,0,0,0\n"
        "2500,0.123456789,0.112345678,0.412345678,0.512345678,0.212345678,0.012345678,0,0,0\n"
        "4000,0.123456789,0.012345678,0.012345678,0.512345678,0.412345678,0.212345678,0,0,0\n");
    const Outcome outcome = run("tap label1\nwait 6000\ntap label1\n");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    // Switched on at 0.2 s: quiet until 2 s. The sampling tick due at 2.2 s was queued before the
    // display tick of that moment, so it is still dropped; 1420 is the first word (no quiet time
    // after the first of a run), 0042 the second (1.5 s after it), and 0042 again is held in
    // memory, which is saved.
    EXPECT_EQ(outcome.out, kStartUp +
                               "current value 0271\ncurrent value 0271\ndt clear\n"
                               "current value 1420\nSpoke =w1420\nRN = 1\ndt clear\n"
                               "current value 0042\nSpoke =w42\nRN = 2\n"
                               "current value 0042\ndt clear\ncurrent value 0042\n"
                               "fifo error =w42 Delay 18500 +x*4 x = 42\n" +
                               kSaveFifo + kSaveFifo);
    EXPECT_EQ(document("WordLog.txt"), kTitle +
                                           "1420 ,03/07/2026 , 15:04:08 , w1420\n"
                                           "0042 ,03/07/2026 , 15:04:09 , w42\n");
    EXPECT_EQ(document("fifo.txt"), "1420\n42\n42\n" + repeated(1022, "0\n"));
    EXPECT_FALSE(fs::exists(root / "data/sp.txt")) << "written only when a slider moves";
}

TEST_F(EndToEndTest, SlidersAreSavedAndAnOverlongWordListIsReported) {
    Outcome outcome = run("tap btnset\nslide slider3 200\nslide slider1 7.5\n");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(document("sp.txt"), "7\n2\n102\n10\n3\n10\n") << "slider 3 clamped to 102.4";
    writeFile(root / "assets/wordlist.txt", repeated(2080, "word\n"));
    outcome = run("quit\n");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(
        outcome.out.find("wordlist.txt has 2,080 words; the words after word 2,075 are ignored\n"),
        std::string::npos);
}

TEST_F(EndToEndTest, TwoRunsOfTheSameInputGiveTheSameOutputAndFiles) {
    // Switched on, off and on again at the same moment: the first announcement is cut while it
    // may still be synthesised, which must not change what the recording holds.
    const std::string script =
        "tap label1\ntap label1\ntap label1\nwait 30000\ntap btnset\nslide slider6 3\nwait 30000\n";
    const std::vector<std::string> recording = {"--speech", "wav:" + (root / "voice.wav").string()};
    const Outcome first = run(script, recording);
    const std::string firstLog = document("WordLog.txt"), firstFifo = document("fifo.txt");
    const std::string firstVoice = readFile(root / "voice.wav");
    fs::remove_all(root / "data");
    const Outcome second = run(script, recording);
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.out, second.out);
    EXPECT_EQ(firstLog, document("WordLog.txt"));
    EXPECT_EQ(firstFifo, document("fifo.txt"));
    EXPECT_GT(firstVoice.size(), 44u) << "the switch was announced";
    EXPECT_EQ(firstVoice, readFile(root / "voice.wav"));
}

TEST_F(EndToEndTest, ACommandThatCannotBeCarriedOutEndsTheRunWithItsLine) {
    struct Case {
        std::string script;
        std::string error;
    };
    const Case cases[] = {
        {"wait 10\ntap nothing\n", "zemtra: script line 2: no view named nothing\n"},
        {"\n# hidden\nslide slider1 3\n", "zemtra: script line 3: view slider1 is hidden\n"},
        {"choose Yes\n", "zemtra: script line 1: no message box is showing\n"},
    };
    for (const Case& each : cases) {
        const Outcome outcome = run(each.script);
        EXPECT_EQ(outcome.status, 1) << each.script;
        EXPECT_NE(outcome.err.find(each.error), std::string::npos) << outcome.err;
    }
    // Plain decimal milliseconds up to a year: nothing a person did not mean, and nothing the
    // clock's nanoseconds cannot hold.
    for (const std::string wait :
         {"soon", "1e3", "-5", "10.0", "31622400001", "99999999999999999999"}) {
        const Outcome malformed = run("tap btnset\nwait " + wait + "\n");
        EXPECT_EQ(malformed.status, 1) << wait;
        EXPECT_EQ(malformed.err,
                  "zemtra: script line 2: wait needs a whole number of milliseconds in decimal "
                  "digits, at most 31622400000 (366 days), got '" +
                      wait + "'\n");
    }
    const Outcome year = run("wait 31622400000\nwait 0\n");
    EXPECT_EQ(year.status, 0) << year.err;
}

TEST_F(EndToEndTest, StoredFilesThatAreNotUtf8DoNotStopTheNextStarts) {
    writeFile(root / "data/fifo.txt", "1\n2\n\xff\xfe\n");
    writeFile(root / "data/sp.txt", "-0\n+0\n 0\n\xe9\n");
    const Outcome first = run("quit\n");
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out,
              "didFinishLaunchingWithOptions\n"
              "sp.txt is not UTF-8 text (line 4, byte 0xE9 at offset 9); the sliders keep their "
              "positions\n"
              "Sensors: Replay sensors.csv\n"
              "read fifo\n"
              "fifo.txt is not UTF-8 text (line 3, byte 0xFF at offset 4); the memory starts "
              "cleared\n"
              "Simulator\nType DN = 0\n" +
                  kSaveFifo);
    EXPECT_EQ(run("quit\n").status, 0) << "and the next start too";
    EXPECT_EQ(document("fifo.txt"), repeated(1025, "0\n")) << "replaced by the memory's save";

    // The word list is the program's own: without it there is nothing to say, and the person is
    // told which file to mend and where.
    writeFile(root / "assets/wordlist.txt", "alpha\nbeta\ncaf\xe9\n");
    const Outcome outcome = run("quit\n");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "zemtra: the program ended after an error: the word list " +
                               (root / "assets").string() +
                               "/wordlist.txt is not UTF-8 text (line 3, byte 0xE9 at offset "
                               "14); save it as UTF-8\n"
                               "zemtra: the recent-word memory was not saved: start-up did not "
                               "finish (fifo.txt is as it was)\n");
}

TEST_F(EndToEndTest, TheConfigurationFileSetsOptionsUnderTheCommandLine) {
    // Sensors from the file would be refused (status 2): the command line's win. The documents
    // folder comes from the file, as no --data is given. A login without a session bus: no
    // password from the secret store, and no word about it.
    const std::string file = (root / "config/zemtra/zemtra.conf").string();
    writeFile(file, "sensors = replay:/no-such.csv\ndata = " + (root / "elsewhere").string() +
                        "\nsmtp = smtp://127.0.0.1:9\nsmtp-user = alice\nspeech none\n");
    std::vector<std::string> args = arguments((root / "script.txt").string());
    args.erase(std::find(args.begin(), args.end(), "--data"),
               std::find(args.begin(), args.end(), "--assets"));
    writeFile(root / "script.txt", "quit\n");
    const Outcome outcome = zemtra::testing::runProgram(program(args));
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(
        outcome.err,
        "zemtra: " + file + ":5: expected key = value, got 'speech none'; the line is ignored\n");
    EXPECT_EQ(readFile(root / "elsewhere/WordLog.txt"), kTitle);
}

// Nothing but the program's own diagnostics goes to standard error, and a normal run has none:
// Qt's notes (the offscreen platform's when the mail window opens) stay out of it.
TEST_F(EndToEndTest, AHeadlessSimulatedMinuteIsQuiet) {
    writeFile(root / "script.txt",
              "tap label1\nwait 60000\ntap btnlog\ntap btnemail\nmail cancel\n");
    const Outcome outcome = zemtra::testing::runProgram(
        program({"--headless", "--clock", "virtual", "--sensors", "sim", "--speech", "none",
                 "--data", (root / "data").string(), "--smtp", "smtp://127.0.0.1:9", "--script",
                 (root / "script.txt").string()}));
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_NE(outcome.out.find("Spoke ="), std::string::npos) << "the minute produced words";
}

TEST_F(EndToEndTest, ADisplayThatCannotBeReachedGivesAHeadlessRunAndOneLine) {
    const std::map<std::string, std::string> displays[] = {
        {{"DISPLAY", ":" + std::to_string(9000 + ::getpid() % 1000)}},
        {{"WAYLAND_DISPLAY", "zemtra-no-such-display"}},
    };
    writeFile(root / "script.txt", "quit\n");
    std::vector<std::string> args = arguments((root / "script.txt").string());
    args.erase(args.begin());  // no --headless
    for (const auto& display : displays) {
        SCOPED_TRACE(display.begin()->first);
        const Outcome outcome = zemtra::testing::runProgram(program(args, display));
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_TRUE(outcome.err.starts_with("zemtra: cannot open the display (")) << outcome.err;
        EXPECT_TRUE(outcome.err.ends_with("); running headless\n")) << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
    }
}

// Ctrl-C held down: the first one ends the run in order, the ones that follow while it ends (and
// after it saved) are taken and ignored instead of killing it midway.
TEST_F(EndToEndTest, ATerminationSignalEndsTheRunInOrderAndSavesTheMemory) {
    std::vector<std::string> args = arguments("");
    args.resize(args.size() - 2);  // no script: the generator runs until it is stopped
    args.push_back("--on");
    zemtra::testing::ChildProcess child(program(args));
    ASSERT_TRUE(child.waitForOutput("current value", std::chrono::seconds(20))) << child.err();
    // Once it has ended, signals reach a child not yet waited for, and change nothing.
    for (int sent = 0; sent < 300; ++sent) {
        child.signal(SIGINT);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const Outcome outcome = child.wait();
    EXPECT_EQ(outcome.signal, 0);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(outcome.out.ends_with(kSaveFifo));
    EXPECT_EQ(document("fifo.txt").size(), 2050u);
}

}  // namespace
