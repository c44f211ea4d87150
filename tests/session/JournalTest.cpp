// The journal's files: what is written reads back the same, damaged rows are skipped and named by
// line while the rest is kept, files that are no journal are refused, and session folders are
// named and found in the order they were started.
#include "session/Journal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/TemporaryFolder.h"

namespace zemtra::session {
namespace {

using testing::TemporaryFolder;
using testing::writeFile;

SampleRow row(int64_t tMs, Decision decision, std::string word = "") {
    SampleRow row;
    row.tMs = tMs;
    row.time = "2026-12-07T08:15:00.250+01:00";
    row.magneticField = std::array<double, 3>{-12.345678901234567, 0.1, 1e-300};
    row.acceleration = {0.000123456789, -9.81, 3.0};
    row.digits = "0-1234";
    row.value = "0123";
    row.index = 123;
    row.decision = decision;
    row.word = std::move(word);
    return row;
}

std::string samples(const std::vector<SampleRow>& rows) {
    std::string text = std::string(kSamplesHeader) + "\n";
    for (const SampleRow& each : rows) text += formatRow(each);
    return text;
}

TEST(Journal, RowsReadBackExactlyAsTheyWereWritten) {
    SampleRow quoted = row(1000, Decision::accepted, "say \"hi\", then go");
    quoted.quietMs = 1500;
    SampleRow early = row(2000, Decision::quiet);
    early.magneticField.reset();
    SampleRow tiny = row(3000, Decision::memory, "ant");
    tiny.acceleration = {std::numeric_limits<double>::denorm_min(), 1.0 / 3.0, -0.0};
    tiny.quietMs = 0;

    const Journal journal = readSamples(samples({quoted, early, tiny}), "samples.csv");
    ASSERT_EQ(journal.rows.size(), 3u) << ::testing::PrintToString(journal.problems);
    EXPECT_EQ(journal.skippedRows, 0u);
    for (size_t at = 0; at < 3; ++at) {
        const SampleRow& expected = at == 0 ? quoted : at == 1 ? early : tiny;
        const SampleRow& got = journal.rows[at];
        EXPECT_EQ(formatRow(got), formatRow(expected));
        EXPECT_EQ(got.magneticField, expected.magneticField);
        EXPECT_EQ(got.acceleration, expected.acceleration);
        EXPECT_EQ(got.word, expected.word);
        EXPECT_EQ(got.quietMs, expected.quietMs);
        EXPECT_EQ(got.decision, expected.decision);
    }
    EXPECT_TRUE(std::signbit(journal.rows[2].acceleration[2]));
    EXPECT_NE(formatRow(quoted).find(",\"say \"\"hi\"\", then go\"\n"), std::string::npos);
    EXPECT_NE(formatRow(early).find(",,,0.000123456789,"), std::string::npos);
}

// What a torn last row and a session.json that is not JSON are said to be is the stats command's
// test, where a user reads it.
TEST(Journal, DamagedRowsAreSkippedNamedByLineAndTheRestIsKept) {
    std::string text = samples({row(1000, Decision::range), row(2000, Decision::repeat, "bee")});
    const std::string good = formatRow(row(9000, Decision::window, "cat"));
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"3000,t,1,2,3,4,5\n", "fields"},
        {"x,t,1,2,3,4,5,6,000000,0000,0,quiet,,\n", "whole number"},
        {"-5,t,1,2,3,4,5,6,000000,0000,0,quiet,,\n", "before 1970"},
        {"253402300800000,t,1,2,3,4,5,6,000000,0000,0,quiet,,\n", "after the year 9999"},
        {"1500,t,1,2,3,4,5,6,000000,0000,0,quiet,,\n", "back in time"},
        {"3000,t,nan,2,3,4,5,6,000000,0000,0,quiet,,\n", "not a number"},
        {"3000,t,1,2,3,4,5,1e308,000000,0000,0,quiet,,\n", "not a number"},
        {"3000,t,1,2,3,4,5,6,00000,0000,0,quiet,,\n", "digits"},
        {"3000,t,1,2,3,4,5,6,000000,0000,0,asleep,,\n", "decision"},
        {"3000,t,1,2,3,4,5,6,000000,0000,0,quiet,-1,\n", "quiet_ms"},
    };
    for (const auto& [line, why] : damaged) text += line;
    text += good;
    text += "10000,t,1,2,3,4,5,6,0000";  // torn by a kill while it was written

    const Journal journal = readSamples(text, "/s/samples.csv");
    ASSERT_EQ(journal.rows.size(), 3u);
    EXPECT_EQ(journal.rows[2].word, "cat");
    EXPECT_EQ(journal.skippedRows, damaged.size() + 1);
    ASSERT_EQ(journal.problems.size(), 10u) << "the first ten are kept word for word";
    for (size_t at = 0; at < journal.problems.size(); ++at) {
        EXPECT_TRUE(
            journal.problems[at].starts_with("/s/samples.csv:" + std::to_string(at + 4) + ": "))
            << journal.problems[at];
        EXPECT_NE(journal.problems[at].find(damaged[at].second), std::string::npos)
            << journal.problems[at];
    }
}

TEST(Journal, ColumnsAreFoundByNameAndAFileWithoutThemIsNoJournal) {
    const std::string reordered =
        "word,extra,t_ms,time,mx,my,mz,ax,ay,az,digits,value,index,decision,quiet_ms\r\n"
        "owl,?,5,t,1,2,3,4,5,6,123456,1245,1245,accepted,1500\r\n";
    const Journal journal = readSamples("\xEF\xBB\xBF" + reordered, "f");
    ASSERT_EQ(journal.rows.size(), 1u);
    EXPECT_EQ(journal.rows[0].word, "owl");
    EXPECT_EQ(journal.rows[0].quietMs, 1500);
    EXPECT_EQ(journal.problems,
              std::vector<std::string>{"f:1: column \"extra\" is not known; left out"});

    const Journal wrong =
        readSamples("t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll\n0,1,2,3,4,5,6,7,8,9\n", "f");
    EXPECT_TRUE(wrong.rows.empty());
    ASSERT_FALSE(wrong.problems.empty());
    EXPECT_TRUE(
        wrong.problems[0].starts_with("f:1: not a journal's header: no column time, digits"));
    EXPECT_EQ(readSamples("", "f").problems,
              std::vector<std::string>{"f:1: empty: no header line"});
}

TEST(Journal, DescriptionsReadBackAndDamagedOnesAreRefusedWithTheKey) {
    SessionInfo info;
    info.version = "1.2.0";
    info.sensorSource = "sim:7";
    info.sensorDevice = "Simulated sensors";
    info.sensorSimulated = true;
    info.voice = "German (de)";
    info.wordList = "/home/ada/Wörter.txt";
    info.wordCount = 100;
    info.startMs = 1'765'000'000'000;
    info.endMs = info.startMs + 600'000;
    info.ending = "signal";
    info.counts = {{Decision::quiet, 550}, {Decision::accepted, 12}};
    Settings later;
    later.tMs = info.startMs + 1000;
    later.positions = {1, 2, 3, 4, 5, 6};
    later.digitPosition = 7;
    later.pitch = 1.2;
    info.settings = {Settings{}, later};

    const auto back = sessionInfoFromJson(toJson(info), "session.json");
    ASSERT_TRUE(back.ok()) << back.error();
    EXPECT_EQ(toJson(*back), toJson(info));
    EXPECT_TRUE(back->sensorSimulated) << "a field toJson left out would read back unseen";
    // A session from before these were recorded: no word count, not simulated.
    const auto older = sessionInfoFromJson(R"({"word_list": "wordlist.txt"})", "session.json");
    ASSERT_TRUE(older.ok()) << older.error();
    EXPECT_EQ(older->wordCount, 0);
    EXPECT_FALSE(older->sensorSimulated);

    // Mistyped, fractional or out of range: refused with the key, never converted unchecked.
    for (const auto& [text, key] : std::vector<std::pair<std::string, std::string>>{
             {R"({"settings": 5})", "settings"},
             {R"({"start_ms": 1e308})", "start_ms"},
             {R"({"end_ms": 18446744073709551615})", "end_ms"},
             {R"({"counts": {"quiet": -1}})", "counts"},
             {R"({"settings": [{"positions": [1, 2, 3, 4, 5, 3000000000]}]})", "settings"},
             {R"({"settings": [{"memory_depth": 2.5}]})", "settings"}}) {
        const auto refused = sessionInfoFromJson(text, "/s/session.json");
        ASSERT_FALSE(refused.ok()) << text;
        EXPECT_NE(refused.error().find("\"" + key + "\""), std::string::npos) << refused.error();
    }
}

TEST(Journal, AFolderIsReadWholeOrRefusedWithWhatIsWrong) {
    const TemporaryFolder root("zemtra-journal");
    writeFile(root / "s/samples.csv", samples({row(1, Decision::quiet), row(2, Decision::range)}));
    EXPECT_NE(readJournal(root / "s").error().find("session.json: cannot be read"),
              std::string::npos);
    SessionInfo info;
    info.version = "9";
    writeFile(root / "s/session.json", toJson(info));
    const auto journal = readJournal(root / "s");
    ASSERT_TRUE(journal.ok()) << journal.error();
    EXPECT_EQ(journal->rows.size(), 2u);
    EXPECT_EQ(journal->info.version, "9");
    EXPECT_EQ(journal->folder, root / "s");
    writeFile(root / "s/samples.csv", "a,b\n1,2\n");
    EXPECT_NE(readJournal(root / "s").error().find("samples.csv:1: not a journal's header"),
              std::string::npos);
}

TEST(Journal, SessionFoldersAreNamedByTheirStartAndTheNewestIsFound) {
    const TemporaryFolder documents("zemtra-sessions");
    EXPECT_FALSE(newestSession(documents.path()));
    const auto first = newSessionFolder(documents.path(), "2026-12-07_10-00-00");
    EXPECT_EQ(first, documents / "Sessions/2026-12-07_10-00-00");
    std::filesystem::path last;
    for (int count = 2; count <= 10; ++count)
        last = newSessionFolder(documents.path(), "2026-12-07_10-00-00");
    EXPECT_EQ(last, documents / "Sessions/2026-12-07_10-00-00-10");
    const auto earlier = newSessionFolder(documents.path(), "2026-12-06_23-59-59");
    for (const auto& folder : {first, last, earlier, documents / "Sessions/2026-12-07_10-00-00-9"})
        writeFile(folder / kSamplesFile, std::string(kSamplesHeader) + "\n");
    EXPECT_EQ(newestSession(documents.path()), last) << "-10 was started after -9";
    newSessionFolder(documents.path(), "2026-12-08_00-00-00");  // nothing written in it yet
    EXPECT_EQ(newestSession(documents.path()), last);
}

}  // namespace
}  // namespace zemtra::session
