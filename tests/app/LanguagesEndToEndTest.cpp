// Other languages, as a person uses them: build/zemtra runs headless on the virtual clock with a
// word list of its own and an espeak-ng voice, records its speech to a WAV file, and its word log,
// journal and recording are checked; a voice that is not installed.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "session/Journal.h"
#include "tests/app/ProgramRun.h"
#include "tests/support/TemporaryFolder.h"

namespace {

namespace fs = std::filesystem;
using zemtra::testing::readFile;
using zemtra::testing::writeFile;
using Outcome = zemtra::testing::ProgramOutcome;

// A hundred German words: every first part with every second.
std::vector<std::string> germanWords() {
    const char* first[] = {"Sonnen", "Wasser", "Feuer", "Berg",  "Wald",
                           "Stern",  "Mond",   "Wind",  "Stein", "Blumen"};
    const char* second[] = {"haus", "licht", "weg",  "tal",  "see",
                            "feld", "tor",   "land", "bach", "garten"};
    std::vector<std::string> words;
    for (const char* a : first)
        for (const char* b : second) words.push_back(std::string(a) + b);
    return words;
}

class LanguagesTest : public ::testing::Test {
  protected:
    LanguagesTest() : root(folder.path()) {
        // The first digits after the point of my, mz, ay and az make the selection value (a reading
        // counts only with eight digits after its point): every second a new one, below 100 (a
        // word of the short list) and from 100 up (none), far enough apart that the window rule
        // lets most through.
        std::string csv = "t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll\n";
        const char* values[] = {"0042", "0150", "0017", "0093", "1240", "0000",
                                "0061", "0330", "0028", "0077", "0150", "0084"};
        int64_t at = 0;
        for (int round = 0; round < 3; ++round) {
            for (const char* value : values) {
                const auto digit = [&](int place) {
                    return std::string("0.") + value[place] + "12345678";
                };
                csv += std::to_string(at) + ",0.512345678," + digit(0) + "," + digit(1) +
                       ",0.512345678," + digit(2) + "," + digit(3) + ",0,0,0\n";
                at += 1000;
            }
        }
        writeFile(root / "sensors.csv", csv);
        std::string list = "\xEF\xBB\xBF";  // saved by an editor that marks UTF-8
        // Word 0 comes (value 0000): the mark is not part of it.
        for (const std::string& word : germanWords()) list += word + "\r\n";
        writeFile(root / "woerter.txt", list);
    }

    Outcome run(const std::string& data, std::vector<std::string> extra) const {
        writeFile(root / "script.txt", "tap label1\nwait 36000\ntap label1\nwait 3000\n");
        std::vector<std::string> arguments = {"--headless",
                                              "--clock",
                                              "virtual:2026-03-07T15:04:05",
                                              "--data",
                                              (root / data).string(),
                                              "--sensors",
                                              "replay:" + (root / "sensors.csv").string(),
                                              "--script",
                                              (root / "script.txt").string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return zemtra::testing::runProgram(zemtra::testing::programRun(root, arguments));
    }

    const zemtra::testing::TemporaryFolder folder{"zemtra-languages"};
    fs::path root;
};

TEST_F(LanguagesTest, AGermanListIsSpokenInTheGermanVoiceAndOnlyItsWordsCome) {
    const std::string wordList = (root / "woerter.txt").string();
    const Outcome german = run("german", {"--words", wordList, "--voice", "de", "--speech",
                                          "wav:" + (root / "german.wav").string()});
    ASSERT_EQ(german.status, 0) << german.err;
    EXPECT_EQ(german.err, "");

    const auto spoken = zemtra::testing::wordLogRecords(readFile(root / "german/WordLog.txt"));
    const std::vector<std::string> list = germanWords();
    const std::set<std::string> listed(list.begin(), list.end());
    ASSERT_GE(spoken.size(), 4u) << german.out;
    for (const auto& [value, word] : spoken) EXPECT_TRUE(listed.contains(word)) << word;

    const std::string said =
        "The word list has 100 words; a full list needs 2,049 to 2,075: candidates past word 100 "
        "are passed over\n";
    const size_t first = german.out.find(said);
    EXPECT_NE(first, std::string::npos) << german.out;
    EXPECT_EQ(german.out.find(said, first + 1), std::string::npos) << "said once";

    const auto sessions = fs::directory_iterator(root / "german/Sessions");
    const auto journal = zemtra::session::readJournal(sessions->path());
    ASSERT_TRUE(journal) << journal.error();
    EXPECT_EQ(journal->info.wordList, wordList);
    EXPECT_EQ(journal->info.wordCount, 100);
    EXPECT_EQ(journal->info.voice, "German (de)");
    EXPECT_FALSE(journal->info.sensorSimulated);
    EXPECT_EQ(journal->info.sensorDevice, "Replay sensors.csv");
    int passedOver = 0;
    for (const auto& row : journal->rows) {
        if (row.index < 100 || row.decision == zemtra::session::Decision::quiet) continue;
        EXPECT_EQ(row.decision, zemtra::session::Decision::range) << row.index;
        ++passedOver;
    }
    EXPECT_GT(passedOver, 0) << "values past the list came and were passed over";

    // The same words in the default voice: the recordings differ, so the voice was German.
    const Outcome english =
        run("english", {"--words", wordList, "--speech", "wav:" + (root / "english.wav").string()});
    ASSERT_EQ(english.status, 0) << english.err;
    EXPECT_EQ(zemtra::testing::wordLogRecords(readFile(root / "english/WordLog.txt")), spoken);
    const std::string germanVoice = readFile(root / "german.wav");
    EXPECT_GT(germanVoice.size(), 44u + 16000u) << "more than a header";
    EXPECT_NE(germanVoice, readFile(root / "english.wav"));
}

// (What `--voice list` prints is installedVoices(), tried in the speech output's tests.)
TEST_F(LanguagesTest, AVoiceThatIsNotInstalledSaysHowToListThem) {
    const Outcome unknown = zemtra::testing::runProgram(zemtra::testing::programRun(
        root, {"--headless", "--voice", "xx-nope", "--speech", "none"}));
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("'xx-nope'"), std::string::npos) << unknown.err;
    EXPECT_NE(unknown.err.find("--voice list"), std::string::npos) << unknown.err;
    EXPECT_EQ(unknown.out, "") << "nothing started";
}

}  // namespace
