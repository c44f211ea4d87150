// A row's readings, digits and rules, worked out for the details panel.
#include "review/WordDetails.h"

#include <cmath>
#include <cstdio>

namespace zemtra::review {

namespace {

constexpr std::array<const char*, 4> kRules = {"range", "memory", "repeat", "window"};

// The first "." followed by eight digits, as the scan's pattern finds it.
std::optional<size_t> matchStart(const std::string& text) {
    for (size_t at = 0; at + 9 <= text.size(); ++at) {
        if (text[at] != '.') continue;
        bool digits = true;
        for (size_t next = at + 1; next < at + 9; ++next)
            digits = digits && text[next] >= '0' && text[next] <= '9';
        if (digits) return at;
    }
    return std::nullopt;
}

}  // namespace

int32_t digitPositionAt(const session::SessionInfo& info, int64_t tMs) {
    if (info.settings.empty()) return 1;
    int32_t position = info.settings.front().digitPosition;
    for (const session::Settings& settings : info.settings)
        if (settings.tMs <= tMs) position = settings.digitPosition;
    return position;
}

std::string readingText(double value) {
    if (!std::isfinite(value)) return {};
    char text[40];
    std::snprintf(text, sizeof text, "%.16g", std::fabs(value));
    return text;
}

WordDetails detailsOf(const session::SampleRow& row, const session::SessionInfo& info) {
    WordDetails details;
    details.word = row.word;
    details.time = row.time;
    details.digitPosition = digitPositionAt(info, row.tMs);
    for (size_t channel = 0; channel < 6; ++channel) {
        ReadingDigit& reading = details.readings[channel];
        if (channel < 3 && row.magneticField)
            reading.text = readingText((*row.magneticField)[channel]);
        else if (channel >= 3)
            reading.text = readingText(row.acceleration[channel - 3]);
        if (channel < row.digits.size()) reading.digit = row.digits[channel];
        const auto start = matchStart(reading.text);
        if (start && details.digitPosition >= 0 && details.digitPosition <= 8)
            reading.marked = *start + static_cast<size_t>(details.digitPosition);
    }
    details.value = row.value;
    details.index = row.index;
    details.decision = row.decision;
    details.quietMs = row.quietMs;
    // A quiet tick was dropped before any rule; otherwise the rules run in order until one
    // rejects the candidate, and an accepted one passed them all.
    if (row.decision != session::Decision::quiet) {
        for (const char* rule : kRules) {
            if (session::decisionName(row.decision) == rule) {
                details.failed = rule;
                break;
            }
            details.passed.emplace_back(rule);
        }
    }
    return details;
}

}  // namespace zemtra::review
