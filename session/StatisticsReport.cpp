// The two forms of the statistics. The text avoids the words of statistics: a p-value becomes
// "how often fair digits would be this uneven", a percentile "higher than n% of the runs".
#include "session/StatisticsReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "session/DigitStatistics.h"
#include "session/SelectionEngine.h"

namespace zemtra::session {

namespace {

using Json = nlohmann::ordered_json;

// A significance level below which the digits are called unfair.
constexpr double kRejectAt = 0.01;

Json figureJson(const ControlFigure& figure) {
    return Json{{"session", figure.session},
                {"mean", figure.mean},
                {"interval_95", Json::array({figure.low, figure.high})},
                {"percentile", figure.percentile}};
}

std::string fixed(double value, int decimals) {
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals, value);
    return buffer.data();
}

// "0.042", "3e-12": a chance as a number a reader can still read.
std::string chanceText(double p) {
    if (p <= 0) return "less than 1e-300";
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), p < 0.001 ? "%.0e" : "%.3f", p);
    return buffer.data();
}

std::string plural(int64_t count, const std::string& one, const std::string& many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string channelSentence(const ChannelDigits& channel) {
    std::string line = "  " + channel.channel + ": ";
    if (!channel.test) return line + "no digit came from this channel.\n";
    int64_t total = 0;
    size_t top = 0;
    for (size_t digit = 0; digit < 10; ++digit) {
        total += channel.counts[digit];
        if (channel.counts[digit] > channel.counts[top]) top = digit;
    }
    const double topShare = static_cast<double>(channel.counts[top]) / static_cast<double>(total);
    line += "the most common digit, " + std::to_string(top) + ", came in " + percentText(topShare) +
            " of " + std::to_string(total) + " samples (fair digits: 10%). ";
    const double p = channel.test->p;
    if (p < kRejectAt)
        return line + "Fair digits would be this uneven with a chance of " + chanceText(p) +
               ": these digits are not fair.\n";
    return line + "Fair digits are this uneven or more " + percentText(p) +
           " of the time: these look like fair digits.\n";
}

// What the session ran with, in a few lines; a journal from before these were recorded leaves
// out what it does not say.
std::string setupText(const SessionSetup& setup) {
    std::string text;
    if (!setup.sensorDevice.empty() || !setup.sensorSource.empty()) {
        text +=
            "Sensors: " + (setup.sensorDevice.empty() ? setup.sensorSource : setup.sensorDevice);
        if (!setup.sensorDevice.empty() && !setup.sensorSource.empty())
            text += " (--sensors " + setup.sensorSource + ")";
        if (setup.sensorSimulated) text += "; the words came from a random generator";
        text += ".\n";
    }
    if (!setup.wordList.empty()) {
        text += "Word list: " + setup.wordList;
        if (setup.wordCount > 0) text += " (" + plural(setup.wordCount, "word", "words") + ")";
        text += ".\n";
    }
    if (!setup.voice.empty()) text += "Voice: " + setup.voice + ".\n";
    if (!text.empty()) text += "\n";
    return text;
}

std::string comparison(const std::string& what, const ControlFigure& figure, int decimals,
                       int32_t runs) {
    std::string line = "  " + what + ": this session " + fixed(figure.session, decimals) +
                       "; with fair digits " + fixed(figure.mean, decimals) +
                       " on average, 95% of the runs between " + fixed(figure.low, decimals) +
                       " and " + fixed(figure.high, decimals) + ". ";
    if (figure.percentile <= 0) return line + "The session is below every run.\n";
    if (figure.percentile >= 100) return line + "The session is above every run.\n";
    return line + "The session is higher than " + fixed(figure.percentile, 0) + "% of the " +
           std::to_string(runs) + " runs.\n";
}

}  // namespace

std::string statisticsJson(const Statistics& statistics) {
    Json json;
    const SessionSetup& setup = statistics.setup;
    json["session"] = {{"sensor_source", setup.sensorSource},
                       {"sensor_device", setup.sensorDevice},
                       {"sensor_simulated", setup.sensorSimulated},
                       {"word_list", setup.wordList},
                       {"word_count", setup.wordCount},
                       {"voice", setup.voice}};
    Json decisions = Json::object();
    for (const Decision decision : kDecisions)
        decisions[std::string(decisionName(decision))] =
            statistics.decisions[static_cast<size_t>(decision)];
    json["decisions"] = decisions;
    json["words_per_hour"] = statistics.wordsPerHour;
    json["distinct_words"] = statistics.distinctWords;
    json["top_words"] = Json::array();
    for (const WordCount& word : statistics.topWords)
        json["top_words"].push_back({{"word", word.word}, {"count", word.count}});

    Json digits = Json::object();
    digits["digit_positions"] = statistics.digits.digitPositions;
    for (const ChannelDigits& channel : statistics.digits.channels) {
        Json entry{{"counts", channel.counts}, {"no_match", channel.noMatch}};
        entry["chi2"] = channel.test ? Json(channel.test->chi2) : Json(nullptr);
        entry["df"] = channel.test ? channel.test->df : 0;
        entry["p"] = channel.test ? Json(channel.test->p) : Json(nullptr);
        digits[channel.channel] = entry;
    }
    json["digits"] = digits;

    const Reachable& reachable = statistics.reachable;
    json["reachable"] = {{"count", reachable.count},
                         {"of", reachable.of},
                         {"with_rare_digits", reachable.withRareDigits},
                         {"seen", reachable.seen},
                         {"samples", reachable.samples},
                         {"share_00", reachable.share00},
                         {"share_in_range", reachable.shareInRange},
                         {"reason", reachable.reason}};

    const ControlFigures& control = statistics.control;
    json["control"] = {{"seed", control.seed},
                       {"runs", control.runs},
                       {"ticks", control.ticks},
                       {"words_per_hour", figureJson(control.wordsPerHour)},
                       {"distinct_words", figureJson(control.distinctWords)},
                       {"largest_repeat", figureJson(control.largestRepeat)}};
    // Invalid UTF-8 in a word (a damaged journal) is replaced rather than refused.
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string statisticsText(const Statistics& statistics, size_t skippedRows) {
    const auto count = [&](Decision decision) {
        return statistics.decisions[static_cast<size_t>(decision)];
    };
    const SessionSetup& setup = statistics.setup;
    std::string text = setupText(setup);
    text += "The session has " + plural(statistics.ticks, "tick", "ticks") + " over " +
            (statistics.hours < 1 ? fixed(statistics.hours * 60, 1) + " minutes"
                                  : fixed(statistics.hours, 2) + " hours");
    if (skippedRows == 1) text += " (1 row could not be read and was left out)";
    if (skippedRows > 1)
        text += " (" + std::to_string(skippedRows) + " rows could not be read and were left out)";
    text += ".\n";
    text += "It spoke " + plural(count(Decision::accepted), "word", "words") + ", " +
            fixed(statistics.wordsPerHour, 1) + " an hour, " +
            plural(statistics.distinctWords, "different one", "different ones") + ".";
    if (!statistics.topWords.empty() && statistics.topWords.front().count > 1) {
        text += " The most repeated:";
        bool first = true;
        for (const WordCount& word : statistics.topWords) {
            if (word.count < 2) break;
            text += std::string(first ? " " : ", ") + word.word + " (" +
                    std::to_string(word.count) + ")";
            first = false;
        }
        text += ".";
    }
    text += "\n";
    text += "Of the ticks, " + std::to_string(count(Decision::quiet)) +
            " came during a quiet time and were dropped, " +
            std::to_string(count(Decision::range)) + " gave a number of " +
            std::to_string(statistics.reachable.of) + " or more (no word), " +
            std::to_string(count(Decision::memory)) + " a word still in the memory, " +
            std::to_string(count(Decision::repeat)) + " the last candidate again and " +
            std::to_string(count(Decision::window)) + " one just after it.\n\n";

    std::string positions;
    for (const int32_t position : statistics.digits.digitPositions)
        positions += (positions.empty() ? "" : ", then ") + std::to_string(position);
    text += "The digits each channel gave" +
            (positions.empty() ? std::string() : " (digit " + positions + " after the point)") +
            ":\n";
    for (const ChannelDigits& channel : statistics.digits.channels)
        text += channelSentence(channel);
    text += "The selection value is made of the digits of my, mz, ay and az.\n\n";

    const Reachable& reachable = statistics.reachable;
    text += "Which words can come: " + reachable.reason + ". " + std::to_string(reachable.seen) +
            " different indices below " + std::to_string(reachable.of) + " actually came; " +
            percentText(reachable.shareInRange) + " of the selection values were below " +
            std::to_string(reachable.of) +
            " (fair digits: " + percentText(static_cast<double>(reachable.of) / 10000) + ").\n\n";

    const ControlFigures& control = statistics.control;
    text += "Against chance: the program's own selection rules ran " +
            plural(control.runs, "time", "times") + " on this session's " +
            plural(control.ticks, "tick", "ticks") +
            " and settings with fair random digits (seed " + std::to_string(control.seed) + "):\n";
    if (control.runs == 0) return text + "  (no runs asked for)\n";
    text += comparison("words an hour", control.wordsPerHour, 1, control.runs);
    text += comparison("different words", control.distinctWords, 0, control.runs);
    text += comparison("most repeats of one word", control.largestRepeat, 0, control.runs);
    return text;
}

}  // namespace zemtra::session
