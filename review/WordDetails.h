// Why a tick's candidate came out as it did, from its journal row and the session's settings:
// the six readings as the scan saw them with the digit it took marked, the selection value, the
// index, the rules it passed and the quiet time it set.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "session/Journal.h"

namespace zemtra::review {

struct ReadingDigit {
    std::string text;  // the reading as the scan read it (its absolute value); empty: none
    std::optional<size_t> marked;  // the character of `text` the digit was taken from
    char digit = '-';              // the digit the journal recorded for it
};

struct WordDetails {
    std::string word;
    std::string time;  // the row's local time
    int32_t digitPosition = 1;
    std::array<ReadingDigit, 6> readings;
    std::string value;
    int32_t index = 0;
    session::Decision decision = session::Decision::quiet;
    std::vector<std::string> passed;    // "range", "memory", … in the order the step tries them
    std::optional<std::string> failed;  // the rule that stopped it, when one did
    std::optional<int64_t> quietMs;
};

// The digit position in force at a moment: the last settings at or before it.
int32_t digitPositionAt(const session::SessionInfo& info, int64_t tMs);

// The text the scan reads for a reading: at most 16 significant digits, exponent form below
// 0.0001, as the sampling step writes it.
std::string readingText(double value);

WordDetails detailsOf(const session::SampleRow& row, const session::SessionInfo& info);

}  // namespace zemtra::review
