// The side panel's figures: what the journal's rows say about the session.
#include "review/ReviewFigures.h"

#include <cstdio>
#include <set>

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

}  // namespace zemtra::review
