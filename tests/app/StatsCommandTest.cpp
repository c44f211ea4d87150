// `zemtra stats` run as a user runs it: damaged journals read as far as they can be, with the
// file and line of each problem and the right exit status; the newest session found by default;
// JSON on standard output alone; and its --help against the manual page's STATISTICS section.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>

#include "session/Journal.h"
#include "tests/session/SimulatedJournal.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::testing {
namespace {

namespace fs = std::filesystem;

ProgramOutcome stats(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {ZEMTRA_PROGRAM, "stats"});
    // No configuration file of the person running the tests.
    return runProgram(
        {.arguments = std::move(arguments), .environment = {{"XDG_CONFIG_HOME", "/nonexistent"}}});
}

// A ten-minute simulated session's files, for the cases to damage.
class StatsCommand : public ::testing::Test {
  protected:
    void SetUp() override { writeJournal(session, simulatedJournal({.ticks = 600})); }

    TemporaryFolder data{"zemtra-stats"};
    const fs::path session = data / "Sessions" / "2025-01-01_00-00-00";
};

// Which rows and files the reader refuses is the journal tests' matter; here, that the command
// ends or goes on as it should and keeps standard output for the figures alone.
TEST_F(StatsCommand, DamagedRowsAreLeftOutAndFilesThatAreNoJournalEndWithStatusOne) {
    // Line 30's mx becomes NaN, and a torn last row follows.
    std::string samples = readFile(session / "samples.csv");
    size_t at = 0;
    for (int line = 1; line < 30; ++line) at = samples.find('\n', at) + 1;
    for (int field = 0; field < 2; ++field) at = samples.find(',', at) + 1;
    samples.replace(at, samples.find(',', at) - at, "NaN");
    writeFile(session / "samples.csv", samples + "1735689601234,2025-01-01T00:10:01");
    ProgramOutcome outcome = stats({session.string(), "--json", "--runs", "3"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    for (const std::string said :
         {"samples.csv:30: reading", "samples.csv:602: the last row is incomplete",
          "2 rows skipped, 599 used"})
        EXPECT_NE(outcome.err.find(said), std::string::npos) << said << " in " << outcome.err;
    const auto json = nlohmann::json::parse(outcome.out);
    int64_t ticks = 0;
    for (const auto& [name, count] : json["decisions"].items()) ticks += count.get<int64_t>();
    EXPECT_EQ(ticks, 599);

    writeFile(session / "session.json", "{\n \"version\": 1,\n oops\n");
    outcome = stats({session.string()});
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    EXPECT_NE(outcome.err.find("session.json:3: not JSON"), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out, "");
    fs::remove_all(session);
    outcome = stats({session.string()});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("no such session folder"), std::string::npos) << outcome.err;
}

TEST_F(StatsCommand, FindsTheNewestSessionAndRepeatsForASeed) {
    writeJournal(data / "Sessions" / "2024-12-31_23-00-00", simulatedJournal({.ticks = 100}));
    const auto figures = [&](const std::string& seed) {
        const ProgramOutcome outcome =
            stats({"--data", data.dir(), "--json", "--seed", seed, "--runs", "20"});
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        return nlohmann::json::parse(outcome.out);
    };
    const auto first = figures("7");
    EXPECT_EQ(first["control"]["ticks"], 600) << "the newest of the two sessions";
    EXPECT_EQ(first["control"]["seed"], 7);
    EXPECT_EQ(figures("7"), first);
    EXPECT_NE(figures("8")["control"], first["control"]);
    // The text form says the same in sentences.
    const ProgramOutcome text = stats({"--data", data.dir(), "--runs", "20"});
    EXPECT_NE(text.out.find("the last two digits were 0 in"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("these digits are not fair"), std::string::npos) << text.out;

    const ProgramOutcome none = stats({"--data", (data / "Sessions").string()});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("no session under"), std::string::npos) << none.err;
}

TEST_F(StatsCommand, ABadCommandLineEndsWithStatusTwo) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--bogus"},
                                               {"--runs", "-1"},
                                               {"--runs"},
                                               {"--seed", "x"},
                                               {"a", "b"},
                                               {"--data", ""}}) {
        const ProgramOutcome outcome = stats(arguments);
        EXPECT_EQ(outcome.status, 2) << arguments.front() << ": " << outcome.err;
        EXPECT_NE(outcome.err.find("stats:"), std::string::npos) << outcome.err;
    }
}

// Every "--name" on the line.
std::set<std::string> optionsIn(const std::string& text) {
    static const std::regex option("--[a-z][a-z-]*");
    std::set<std::string> found;
    for (auto match = std::sregex_iterator(text.begin(), text.end(), option);
         match != std::sregex_iterator(); ++match)
        found.insert(match->str());
    return found;
}

TEST(StatsCommandManual, ListsExactlyTheOptionsOfItsHelp) {
    const ProgramOutcome help = stats({"--help"});
    ASSERT_EQ(help.status, 0);
    std::set<std::string> inHelp;
    std::istringstream helpLines(help.out);
    for (std::string line; std::getline(helpLines, line);) {
        if (line.starts_with("  --")) {
            const auto named = optionsIn(line.substr(0, line.find("  ", 2)));
            inHelp.insert(named.begin(), named.end());
        }
    }
    // The tags (the line after .TP) of the manual page's STATISTICS section.
    std::ifstream manual(fs::path(ZEMTRA_SOURCE_DIR) / "doc/zemtra.1");
    std::set<std::string> inManual;
    bool inSection = false, tagNext = false;
    for (std::string line; std::getline(manual, line);) {
        if (line.starts_with(".SH")) inSection = line == ".SH STATISTICS";
        if (inSection && tagNext) {
            const auto named = optionsIn(std::regex_replace(line, std::regex(R"(\\-)"), "-"));
            inManual.insert(named.begin(), named.end());
        }
        tagNext = line.starts_with(".TP");
    }
    EXPECT_TRUE(inHelp.contains("--json") && inHelp.contains("--runs"));
    EXPECT_EQ(inHelp, inManual);
}

}  // namespace
}  // namespace zemtra::testing
