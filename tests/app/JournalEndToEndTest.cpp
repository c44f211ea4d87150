// The session journal of the program itself: build/zemtra runs headless on the virtual clock with
// simulated sensors, and its journal is read back with the journal reader and held against the
// word log; a journal replayed as the sensor source gives the same session again.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "session/Journal.h"
#include "tests/app/ProgramRun.h"
#include "tests/support/TemporaryFolder.h"

namespace {

namespace fs = std::filesystem;
using zemtra::session::Decision;
using zemtra::session::Journal;
using zemtra::testing::readFile;
using zemtra::testing::writeFile;

// A word log record: its selection value and its word.
using Record = std::pair<std::string, std::string>;

class JournalEndToEndTest : public ::testing::Test {
  protected:
    // Runs the program on `data` with the script and the extra options.
    zemtra::testing::ProgramOutcome run(const fs::path& data, const std::string& script,
                                        std::vector<std::string> extra = {}) const {
        const fs::path scriptFile = folder / ("script" + std::to_string(++runs_) + ".txt");
        writeFile(scriptFile, script);
        std::vector<std::string> arguments = {"--headless",       "--speech",    "none",
                                              "--data",           data.string(), "--script",
                                              scriptFile.string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return zemtra::testing::runProgram(
            zemtra::testing::programRun(folder.path(), arguments, {{"TZ", "Europe/Berlin"}}));
    }

    static std::vector<fs::path> sessions(const fs::path& data) {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(data / "Sessions"))
            found.push_back(entry.path());
        std::sort(found.begin(), found.end());
        return found;
    }

    static Journal journalOf(const fs::path& session) {
        auto read = zemtra::session::readJournal(session);
        EXPECT_TRUE(read) << read.error();
        return read ? std::move(read).value() : Journal{};
    }

    static std::vector<Record> accepted(const Journal& journal) {
        std::vector<Record> records;
        for (const auto& row : journal.rows) {
            if (row.decision == Decision::accepted) records.push_back({row.value, row.word});
        }
        return records;
    }

    static std::vector<Record> wordLog(const fs::path& data) {
        return zemtra::testing::wordLogRecords(readFile(data / "WordLog.txt"));
    }

    zemtra::testing::TemporaryFolder folder{"zemtra-journal"};
    mutable int runs_ = 0;
};

TEST_F(JournalEndToEndTest, TenSimulatedMinutesGiveOneSessionWhoseWordsAreTheLogs) {
    const fs::path data = folder / "data";
    // A word log from before: only the new records belong to the session.
    fs::create_directories(data);
    writeFile(data / "WordLog.txt",
              zemtra::testing::kWordLogTitle + "0001 ,12/31/2024 , 10:00:00 , apply\n");
    const auto outcome =
        run(data, "wait 600000\nquit\n", {"--clock", "virtual", "--sensors", "sim", "--on"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;

    const auto found = sessions(data);
    ASSERT_EQ(found.size(), 1u);
    // Named by the local time of the switch-on: the clock starts at midnight UTC.
    EXPECT_EQ(found[0].filename(), "2025-01-01_01-00-00");
    const Journal journal = journalOf(found[0]);
    EXPECT_EQ(journal.skippedRows, 0u);
    ASSERT_NEAR(static_cast<double>(journal.rows.size()), 600, 2);
    EXPECT_TRUE(journal.rows.front().time.ends_with("+01:00")) << journal.rows.front().time;

    std::map<Decision, int64_t> counts;
    for (const Decision decision : zemtra::session::kDecisions) counts[decision] = 0;
    int64_t previous = 0;
    for (const auto& row : journal.rows) {
        ++counts[row.decision];
        EXPECT_GT(row.tMs, previous) << "one row per tick, in time order";
        previous = row.tMs;
        EXPECT_EQ(row.index, std::stoi(row.value));
        EXPECT_EQ(row.quietMs.has_value(),
                  row.decision != Decision::quiet && row.decision != Decision::range);
        EXPECT_EQ(row.word.empty(),
                  row.decision == Decision::quiet || row.decision == Decision::range);
        // The two digits of the value taken from the magnetometer's y and z and the
        // acceleration's y and z, unless a reading gave no match.
        if (row.digits.find('-') == std::string::npos) {
            const std::string taken = {row.digits[1], row.digits[2], row.digits[4], row.digits[5]};
            EXPECT_EQ(row.value, taken);
        }
    }
    EXPECT_GT(counts[Decision::quiet], 0);
    EXPECT_GT(counts[Decision::accepted], 5);

    std::vector<Record> logged = wordLog(data);
    ASSERT_FALSE(logged.empty());
    logged.erase(logged.begin());  // from before the session
    EXPECT_EQ(accepted(journal), logged);

    EXPECT_EQ(journal.info.counts, counts);
    EXPECT_EQ(journal.info.ending, "quit");
    EXPECT_EQ(journal.info.sensorSource, "sim");
    EXPECT_EQ(journal.info.speechOutput, "none");
    ASSERT_TRUE(journal.info.endMs);
    EXPECT_EQ(*journal.info.endMs - journal.info.startMs, 600000);
    EXPECT_EQ(journal.info.settings.size(), 1u);
}

TEST_F(JournalEndToEndTest, EachSwitchOnIsASessionWithItsSettingsChangesAndOffTurnsItOff) {
    const fs::path data = folder / "data";
    const auto outcome = run(data,
                             "tap label1\ntap label1\ntap label1\nwait 5000\ntap btnset\n"
                             "slide slider2 4\ntap btnbk\nwait 5000\n",
                             {"--clock", "virtual"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const auto found = sessions(data);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[1].filename().string(), found[0].filename().string() + "-2")
        << "two switch-ons in the same second";

    const Journal empty = journalOf(found[0]);
    EXPECT_EQ(empty.info.ending, "switch-off");
    EXPECT_TRUE(empty.rows.empty());
    EXPECT_EQ(readFile(found[0] / "samples.csv"),
              std::string(zemtra::session::kSamplesHeader) + "\n");

    const Journal second = journalOf(found[1]);
    EXPECT_EQ(second.info.ending, "quit");
    ASSERT_EQ(second.info.settings.size(), 2u);
    EXPECT_EQ(second.info.settings[0].samplingIntervalMs, 1000);
    EXPECT_EQ(second.info.settings[1].positions[1], 4);
    EXPECT_EQ(second.info.settings[1].samplingIntervalMs, 2000);
    EXPECT_EQ(second.info.settings[1].tMs - second.info.startMs, 5000);
    // Five ticks a second apart, the one already due, then two at the new interval.
    EXPECT_EQ(second.rows.size(), 8u);

    const fs::path quiet = folder / "quiet";
    ASSERT_EQ(
        run(quiet, "tap label1\nwait 5000\n", {"--clock", "virtual", "--journal", "off"}).status,
        0);
    EXPECT_FALSE(fs::exists(quiet / "Sessions"));
}

// Records a session on simulated sensors with the script, replays its journal on a fresh documents
// directory with a plain ten minutes, and holds the two sessions against each other.
class ReplayTest : public JournalEndToEndTest {
  protected:
    void recordAndReplay(const std::string& script) {
        const fs::path recorded = folder / "recorded";
        ASSERT_EQ(
            run(recorded, script, {"--clock", "virtual", "--sensors", "sim:5", "--on"}).status, 0);
        const fs::path session = sessions(recorded).at(0);
        const fs::path replayed = folder / "replayed";
        const auto outcome = run(replayed, "wait 600000\nquit\n",
                                 {"--clock", "virtual", "--sensors",
                                  "replay:" + (session / "samples.csv").string(), "--on"});
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        const Journal before = journalOf(session);
        const Journal after = journalOf(sessions(replayed).at(0));
        ASSERT_EQ(after.rows.size(), before.rows.size());
        for (size_t index = 0; index < before.rows.size(); ++index) {
            const auto& was = before.rows[index];
            const auto& is = after.rows[index];
            ASSERT_EQ(std::tie(is.tMs, is.value, is.decision, is.word),
                      std::tie(was.tMs, was.value, was.decision, was.word))
                << "row " << index + 1;
        }
        EXPECT_EQ(wordLog(replayed), wordLog(recorded));
        EXPECT_FALSE(accepted(before).empty());
        ASSERT_EQ(after.info.settings.size(), before.info.settings.size());
        for (size_t index = 0; index < before.info.settings.size(); ++index) {
            EXPECT_EQ(after.info.settings[index].tMs, before.info.settings[index].tMs);
            EXPECT_EQ(after.info.settings[index].positions, before.info.settings[index].positions);
        }
    }
};

TEST_F(ReplayTest, AReplayedJournalGivesTheSameValuesDecisionsAndWords) {
    recordAndReplay("wait 600000\nquit\n");
}

TEST_F(ReplayTest, SettingsChangedMidwayAreMadeAgainAtTheirTimes) {
    recordAndReplay(
        "wait 120000\ntap btnset\nslide slider1 3\nslide slider3 2\nslide slider6 0\n"
        "tap btnbk\nwait 120000\ntap btnset\nslide slider2 3\ntap btnbk\nwait 360000\nquit\n");
}

TEST_F(ReplayTest, AJournalWithoutItsDescriptionIsRefused) {
    const fs::path lone = folder / "lone";
    writeFile(lone / "samples.csv", std::string(zemtra::session::kSamplesHeader) + "\n");
    const auto outcome =
        run(folder / "data", "quit\n",
            {"--clock", "virtual", "--sensors", "replay:" + (lone / "samples.csv").string()});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find("session.json cannot be read"), std::string::npos) << outcome.err;
}

}  // namespace
