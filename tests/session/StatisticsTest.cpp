// The statistics of a journal: the chi-square tail against table values, figures of a hand-made
// journal, and the simulated sensors' digits told apart from fair ones at digit position 1 but not
// at position 7, with control runs that repeat for a seed whatever the number of threads.
#include "session/Statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "session/ChiSquare.h"
#include "session/ControlRuns.h"
#include "session/SelectionEngine.h"
#include "session/StatisticsReport.h"
#include "tests/session/SimulatedJournal.h"

namespace zemtra::session {
namespace {

using testing::simulatedJournal;
using testing::SimulatedSession;

TEST(ChiSquare, UpperTailMatchesTableValuesAndClosedForms) {
    // Critical values from the usual tables: the tail beyond them is 5% or 1%.
    struct Row {
        double chi2, df, p;
    };
    for (const Row row : {Row{3.841459, 1, 0.05}, Row{6.634897, 1, 0.01}, Row{16.918978, 9, 0.05},
                          Row{21.665994, 9, 0.01}, Row{27.877165, 9, 0.001},
                          Row{124.342113, 100, 0.05}, Row{0.003932, 1, 0.95}}) {
        EXPECT_NEAR(chiSquareUpperTail(row.chi2, row.df), row.p, row.p * 1e-5)
            << "chi2 " << row.chi2 << " df " << row.df;
    }
    // Two degrees of freedom: the tail is e^(-x/2); a = 1/2: erfc(sqrt(x)). Both sides of a + 1,
    // where the series gives way to the continued fraction.
    for (const double x : {0.01, 0.5, 1.4, 1.6, 3.0, 10.0, 50.0, 300.0}) {
        EXPECT_NEAR(chiSquareUpperTail(x, 2) / std::exp(-x / 2), 1, 1e-12) << x;
        EXPECT_NEAR(regularizedUpperGamma(0.5, x) / std::erfc(std::sqrt(x)), 1, 1e-10) << x;
    }
    EXPECT_EQ(chiSquareUpperTail(0, 9), 1);
    // Far in the tail the answer is small, never NaN or negative.
    const double far = chiSquareUpperTail(30000, 9);
    EXPECT_GE(far, 0);
    EXPECT_LT(far, 1e-300);
    EXPECT_TRUE(std::isnan(regularizedUpperGamma(0, 1)));
}

TEST(ChiSquare, UniformTestOfDigitCounts) {
    const std::array<int64_t, 10> even{100, 100, 100, 100, 100, 100, 100, 100, 100, 100};
    const auto fair = chiSquareUniform(even);
    ASSERT_TRUE(fair);
    EXPECT_EQ(fair->chi2, 0);
    EXPECT_EQ(fair->df, 9);
    EXPECT_EQ(fair->p, 1);
    const std::array<int64_t, 10> zeros{1000, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const auto unfair = chiSquareUniform(zeros);
    ASSERT_TRUE(unfair);
    EXPECT_NEAR(unfair->chi2, 9000, 1e-9);  // 900 for the zeros' excess, 100 for each other digit
    EXPECT_LT(unfair->p, 1e-100);
    EXPECT_FALSE(chiSquareUniform(std::array<int64_t, 10>{}));
}

SampleRow row(int64_t tMs, Decision decision, std::string word = "") {
    SampleRow row;
    row.tMs = tMs;
    row.magneticField = std::array<double, 3>{1, 2, 3};
    row.digits = "123400";
    row.value = "2300";
    row.index = 2300;
    row.decision = decision;
    row.word = std::move(word);
    return row;
}

TEST(Statistics, WordFiguresOfAHandMadeJournal) {
    Journal journal;
    Settings settings;
    settings.tMs = 0;
    settings.samplingIntervalMs = 1000;
    journal.info.settings = {settings};
    // Two hours of ticks, one per second: the span ends one interval after the last tick.
    const std::vector<std::pair<Decision, std::string>> script = {
        {Decision::accepted, "bee"}, {Decision::quiet, ""},       {Decision::accepted, "ant"},
        {Decision::memory, "bee"},   {Decision::accepted, "ant"}, {Decision::accepted, "cat"},
        {Decision::accepted, "bee"}, {Decision::window, "dog"},   {Decision::accepted, "ant"}};
    for (int64_t tick = 0; tick < 7200; ++tick) {
        const auto& [decision, word] = script[static_cast<size_t>(tick) % script.size()];
        journal.rows.push_back(
            row(tick * 1000, tick < 9 ? decision : Decision::range, tick < 9 ? word : ""));
    }
    const Statistics statistics = computeStatistics(journal, {.seed = 3, .runs = 4});
    EXPECT_DOUBLE_EQ(statistics.hours, 2);
    EXPECT_EQ(statistics.decisions[static_cast<size_t>(Decision::accepted)], 6);
    EXPECT_EQ(statistics.decisions[static_cast<size_t>(Decision::range)], 7200 - 9);
    EXPECT_DOUBLE_EQ(statistics.wordsPerHour, 3);
    EXPECT_EQ(statistics.distinctWords, 3);
    ASSERT_EQ(statistics.topWords.size(), 3u);
    // Most repeated first; equal counts in the order they first came.
    EXPECT_EQ(statistics.topWords[0].word, "ant");
    EXPECT_EQ(statistics.topWords[0].count, 3);
    EXPECT_EQ(statistics.topWords[1].word, "bee");
    EXPECT_EQ(statistics.topWords[2].word, "cat");
    EXPECT_EQ(statistics.control.largestRepeat.session, 3);
    // Every value is 2300: nothing in range, no index can come.
    EXPECT_EQ(statistics.reachable.count, 0);
    EXPECT_EQ(statistics.reachable.shareInRange, 0);
    EXPECT_EQ(statistics.digits.channels[4].counts[0], 7200);
}

TEST(Statistics, AnEmptyJournalGivesZerosAndNoTests) {
    const Statistics statistics = computeStatistics(Journal{}, {.runs = 3});
    EXPECT_EQ(statistics.ticks, 0);
    EXPECT_EQ(statistics.wordsPerHour, 0);
    EXPECT_FALSE(statistics.digits.channels[0].test);
    EXPECT_EQ(statistics.control.wordsPerHour.mean, 0);
    const auto json = nlohmann::json::parse(statisticsJson(statistics));
    EXPECT_TRUE(json["digits"]["mx"]["p"].is_null());
    EXPECT_FALSE(statisticsText(statistics, 0).empty());
}

// The simulated sensors at rest: at the first digit the accelerometer reads 0.00…, so the
// acceleration channels' digits are far from fair and the selection values end in "00".
TEST(Statistics, SimulatedSensorsAtTheFirstDigitAreFarFromChance) {
    const Journal journal = simulatedJournal({.ticks = 3600, .digitPosition = 1});
    const Statistics statistics = computeStatistics(journal, {.seed = 1, .runs = 40});
    for (const size_t channel : {4u, 5u}) {
        ASSERT_TRUE(statistics.digits.channels[channel].test);
        EXPECT_LT(statistics.digits.channels[channel].test->p, 1e-10)
            << statistics.digits.channels[channel].channel;
    }
    EXPECT_GT(statistics.reachable.share00, 0.9);
    EXPECT_LT(statistics.reachable.count, 40);
    // Fair digits give many more words than the session's few.
    EXPECT_GT(statistics.control.wordsPerHour.low, 2 * statistics.wordsPerHour);
    EXPECT_EQ(statistics.control.wordsPerHour.percentile, 0);
    EXPECT_EQ(statistics.control.distinctWords.percentile, 0);
}

TEST(Statistics, SimulatedSensorsAtTheSeventhDigitLookFair) {
    const Journal journal = simulatedJournal({.ticks = 3600, .digitPosition = 7});
    const Statistics statistics = computeStatistics(journal, {.seed = 1, .runs = 40});
    for (const ChannelDigits& channel : statistics.digits.channels) {
        ASSERT_TRUE(channel.test) << channel.channel;
        EXPECT_GT(channel.test->p, 0.001) << channel.channel;
    }
    EXPECT_EQ(statistics.reachable.count, kReachableCandidates);
    // A fair session lies among the control runs.
    EXPECT_GT(statistics.control.wordsPerHour.percentile, 2.5);
    EXPECT_LT(statistics.control.wordsPerHour.percentile, 97.5);
}

TEST(ControlRuns, RepeatForASeedWhateverTheThreadsAndFollowTheSettings) {
    Journal journal = simulatedJournal({.ticks = 1200});
    const auto figures = [&](uint64_t seed, int32_t threads) {
        std::vector<int64_t> accepted;
        for (const ControlRun& run : controlRuns(journal, {seed, 9, threads}))
            accepted.push_back(run.accepted);
        return accepted;
    };
    const auto alone = figures(5, 1);
    EXPECT_EQ(figures(5, 2), alone);
    EXPECT_EQ(figures(5, 4), alone);
    EXPECT_NE(figures(6, 2), alone);
    // A settings change half-way (no memory, no window) lets more words through from then on.
    Settings open = journal.info.settings.front();
    open.tMs = journal.rows[600].tMs;
    open.memoryDepth = 0;
    open.windowWidth = 0;
    journal.info.settings.push_back(open);
    int64_t before = 0, after = 0;
    for (int32_t run = 0; run < 9; ++run) before += alone[static_cast<size_t>(run)];
    for (const ControlRun& run : controlRuns(journal, {5, 9, 2})) after += run.accepted;
    EXPECT_GT(after, before);

    // A session with a short word list: fair digits rarely pick one of its words.
    journal.info.wordCount = 100;
    int64_t shortList = 0;
    for (const ControlRun& run : controlRuns(journal, {5, 9, 2})) {
        shortList += run.accepted;
        EXPECT_LE(run.distinctWords, 100);
    }
    EXPECT_LT(shortList * 4, after);
}

TEST(ControlRuns, TheSessionsPlaceAmongTheRuns) {
    const ControlFigure figure = compareWithControl(5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    EXPECT_DOUBLE_EQ(figure.mean, 5.5);
    EXPECT_DOUBLE_EQ(figure.percentile, 45);  // four below, one tie counted half
    EXPECT_NEAR(figure.low, 1.225, 1e-12);
    EXPECT_NEAR(figure.high, 9.775, 1e-12);
    EXPECT_EQ(compareWithControl(0, {1, 2}).percentile, 0);
    EXPECT_EQ(compareWithControl(3, {1, 2}).percentile, 100);
}

TEST(StatisticsReport, BothFormsSayWhatTheSessionRanWith) {
    Journal journal = simulatedJournal({.ticks = 60});
    journal.info.sensorSource = "sim:3";
    journal.info.sensorDevice = "Simulated sensors";
    journal.info.sensorSimulated = true;
    journal.info.wordList = "/home/ada/Wörter.txt";
    journal.info.wordCount = 100;
    journal.info.voice = "German (de)";
    const Statistics statistics = computeStatistics(journal, {.seed = 1, .runs = 2});
    const auto json = nlohmann::json::parse(statisticsJson(statistics));
    EXPECT_EQ(json["session"], nlohmann::json({{"sensor_source", "sim:3"},
                                               {"sensor_device", "Simulated sensors"},
                                               {"sensor_simulated", true},
                                               {"word_list", "/home/ada/Wörter.txt"},
                                               {"word_count", 100},
                                               {"voice", "German (de)"}}));
    const std::string text = statisticsText(statistics, 0);
    EXPECT_TRUE(text.starts_with(
        "Sensors: Simulated sensors (--sensors sim:3); the words came from a random generator.\n"
        "Word list: /home/ada/Wörter.txt (100 words).\n"
        "Voice: German (de).\n\n"))
        << text;
    EXPECT_NE(text.find("gave a number of 100 or more (no word)"), std::string::npos) << text;
    // Only the list's indices can become words.
    EXPECT_EQ(json["reachable"]["of"], 100);
    EXPECT_LE(json["reachable"]["count"], 100);
    EXPECT_NE(text.find(" of the selection values were below 100 (fair digits: 1%)"),
              std::string::npos)
        << text;
}

TEST(StatisticsReport, JsonHoldsExactlyTheEightKeys) {
    const Statistics statistics =
        computeStatistics(simulatedJournal({.ticks = 600}), {.seed = 9, .runs = 5});
    const auto json = nlohmann::json::parse(statisticsJson(statistics));
    std::vector<std::string> keys;
    for (const auto& [key, value] : json.items()) keys.push_back(key);
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys,
              (std::vector<std::string>{"control", "decisions", "digits", "distinct_words",
                                        "reachable", "session", "top_words", "words_per_hour"}));
    EXPECT_EQ(json["control"]["runs"], 5);
    EXPECT_EQ(json["digits"]["ay"]["counts"].size(), 10u);
    EXPECT_EQ(json["digits"]["ay"]["df"], 9);
    EXPECT_EQ(json["reachable"]["of"], 2049);
}

}  // namespace
}  // namespace zemtra::session
