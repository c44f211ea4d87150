// The side panel's figures: what the journal's rows say about the session.
#include "review/ReviewFigures.h"

#include "session/DigitStatistics.h"

#include <cstdio>
#include <set>
#include <string_view>

namespace zemtra::review {

namespace {

std::string withShare(size_t count, size_t total) {
    char text[64];
    if (total == 0) return std::to_string(count);
    std::snprintf(text, sizeof text, "%zu (%.1f%%)", count,
                  100.0 * static_cast<double>(count) / static_cast<double>(total));
    return text;
}

std::string duration(int64_t ms) {
    const int64_t seconds = ms / 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

}  // namespace

Figures figuresOf(const session::Journal& journal, const ChartData& data) {
    Figures figures;
    const size_t rows = data.size();
    figures.emplace_back("Ticks", std::to_string(rows));
    if (journal.skippedRows + data.leftOut() > 0)
        figures.emplace_back("Rows skipped", std::to_string(journal.skippedRows + data.leftOut()));
    const int64_t span = data.empty() ? 0 : data.lastTime() - data.firstTime();
    figures.emplace_back("Duration", duration(span));
    for (const session::Decision decision : session::kDecisions)
        figures.emplace_back(std::string(session::decisionName(decision)),
                             withShare(data.count(decision, 0, rows), rows));
    const size_t words = data.accepted().size();
    std::set<std::string> distinct;
    for (const size_t row : data.accepted()) distinct.insert(data.word(row));
    char rate[32];
    std::snprintf(
        rate, sizeof rate, "%.1f",
        span > 0 ? static_cast<double>(words) * 3600000.0 / static_cast<double>(span) : 0.0);
    figures.emplace_back("Words per hour", rate);
    figures.emplace_back("Distinct words", std::to_string(distinct.size()));
    // How often the two digits that end the selection value were both 0.
    size_t doubleZero = 0;
    for (size_t row = 0; row < rows; ++row) {
        const std::string& value = journal.rows[data.journalRow(row)].value;
        if (value.size() == 4 && value[2] == '0' && value[3] == '0') ++doubleZero;
    }
    figures.emplace_back("Values ending in 00", withShare(doubleZero, rows));
    return figures;
}

Figures figuresOf(const session::Statistics& statistics, size_t skippedRows) {
    Figures figures;
    const auto ticks = static_cast<size_t>(statistics.ticks);
    figures.emplace_back("Ticks", std::to_string(ticks));
    if (skippedRows > 0) figures.emplace_back("Rows skipped", std::to_string(skippedRows));
    figures.emplace_back("Duration", duration(static_cast<int64_t>(statistics.hours * 3600000)));
    for (size_t kind = 0; kind < session::kDecisions.size(); ++kind)
        figures.emplace_back(std::string(session::decisionName(session::kDecisions[kind])),
                             withShare(static_cast<size_t>(statistics.decisions[kind]), ticks));
    char number[96];
    std::snprintf(number, sizeof number, "%.1f", statistics.wordsPerHour);
    figures.emplace_back("Words per hour", number);
    figures.emplace_back("Distinct words", std::to_string(statistics.distinctWords));
    if (!statistics.topWords.empty()) {
        const session::WordCount& top = statistics.topWords.front();
        figures.emplace_back("Most repeated", top.word + " (" + std::to_string(top.count) + ")");
    }
    figures.emplace_back("Values ending in 00", session::percentText(statistics.reachable.share00));
    figures.emplace_back("Indices that can come", std::to_string(statistics.reachable.count) +
                                                      " of " +
                                                      std::to_string(statistics.reachable.of));
    // Each channel's digits against fair ones: the p value of the chi-square test.
    for (const session::ChannelDigits& channel : statistics.digits.channels) {
        if (!channel.test) {
            figures.emplace_back("Digits " + channel.channel, "none");
            continue;
        }
        const double p = channel.test->p;
        if (p < 1e-4)
            std::snprintf(number, sizeof number, "not fair (p < 0.0001)");
        else
            std::snprintf(number, sizeof number, "%s (p = %.4f)", p < 0.01 ? "not fair" : "fair",
                          p);
        figures.emplace_back("Digits " + channel.channel, number);
    }
    const session::ControlFigures& control = statistics.control;
    if (control.runs > 0) {
        std::snprintf(number, sizeof number, "%.1f (%.1f–%.1f)", control.wordsPerHour.mean,
                      control.wordsPerHour.low, control.wordsPerHour.high);
        figures.emplace_back("Fair digits, words/h", number);
        std::snprintf(number, sizeof number, "%.0f (%.0f–%.0f)", control.distinctWords.mean,
                      control.distinctWords.low, control.distinctWords.high);
        figures.emplace_back("Fair digits, distinct", number);
        std::snprintf(number, sizeof number, "%.0f%% of %d runs", control.wordsPerHour.percentile,
                      control.runs);
        figures.emplace_back("Session's rate above", number);
    }
    return figures;
}

}  // namespace zemtra::review
