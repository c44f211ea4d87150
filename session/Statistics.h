// What a session's journal says about its words and about its digits, set against chance: the
// figures `zemtra stats` prints and the review window's side panel shows.
//
// Everything is computed from the rows that could be read (Journal::rows); the rows a reader
// skipped are the caller's to report. Nothing here throws on odd journals: an empty one gives
// zeros, a channel without digits gives no test.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "session/ChiSquare.h"
#include "session/Journal.h"

namespace zemtra::session {

// The six channels of a row in the journal's column order.
inline constexpr std::array<std::string_view, 6> kChannelNames = {"mx", "my", "mz",
                                                                  "ax", "ay", "az"};

struct WordCount {
    std::string word;
    int64_t count = 0;
};

// The digits one channel gave at the digit position, and whether they look like equal chances.
struct ChannelDigits {
    std::string channel;                // "mx" … "az"
    std::array<int64_t, 10> counts{};   // how often each digit 0–9 came
    int64_t noMatch = 0;                // ticks whose reading gave no digit
    std::optional<ChiSquareTest> test;  // none without any digit
};

struct DigitFigures {
    std::vector<int32_t> digitPositions;  // the positions in force, in the order they came
    std::array<ChannelDigits, 6> channels;
};

// Which candidate indices the observed selection values can produce.
struct Reachable {
    // The fraction of samples from which a digit counts as one that comes up with some
    // regularity (a tenth of its share under equal chances).
    static constexpr double kCommonShare = 0.01;

    // The indices that can become words: below 2049, and within the session's word list.
    int32_t of = 2049;
    int64_t samples = 0;                                 // selection values looked at
    std::array<std::array<int64_t, 10>, 4> positions{};  // digit counts per place of the value
    int32_t count = 0;           // indices made only of digits that came regularly at their place
    int32_t withRareDigits = 0;  // indices made of digits that came at least once
    int32_t seen = 0;            // distinct indices below `of` that actually came
    double share00 = 0;          // the share of selection values ending in "00"
    double shareInRange = 0;     // the share of selection values below `of`
    std::string reason;          // why, in words
};

// One figure of the session against the same figure of the control runs.
struct ControlFigure {
    double session = 0;
    double mean = 0;
    double low = 0;   // 2.5th percentile of the control runs
    double high = 0;  // 97.5th percentile
    // The share of control runs below the session's figure (ties count half), in percent.
    double percentile = 0;
};

struct ControlOptions {
    uint64_t seed = 1;
    int32_t runs = 200;
    int32_t threads = 0;  // 0: as many as the machine has cores
};

// The program's selection engine fed uniform random digits on the session's ticks and settings.
struct ControlFigures {
    uint64_t seed = 1;
    int32_t runs = 0;
    int64_t ticks = 0;
    ControlFigure wordsPerHour;
    ControlFigure distinctWords;
    ControlFigure largestRepeat;
};

// What the session ran with (its session.json), so the figures can be read against it.
struct SessionSetup {
    std::string sensorSource;  // the --sensors value
    std::string sensorDevice;  // what the source said it is
    bool sensorSimulated = false;
    std::string wordList;   // the word list's path
    int32_t wordCount = 0;  // its words in use; 0 when the session did not record it
    std::string voice;
};

struct Statistics {
    SessionSetup setup;
    std::array<int64_t, 6> decisions{};  // by Decision, in kDecisions order
    int64_t ticks = 0;
    double hours = 0;  // the time the rows span
    double wordsPerHour = 0;
    int64_t distinctWords = 0;
    std::vector<WordCount> topWords;  // most repeated first, at most kTopWords
    DigitFigures digits;
    Reachable reachable;
    ControlFigures control;
};

inline constexpr size_t kTopWords = 10;

// Every figure of the journal. The control runs use `options.threads` threads; their figures
// depend only on the journal and the seed.
Statistics computeStatistics(const Journal& journal, const ControlOptions& options);

// The settings in force at `tMs`: the last entry of the history at or before it (the first one
// before the history starts, the defaults when there is none).
Settings settingsAt(const SessionInfo& info, int64_t tMs);

// The time the rows span, in milliseconds: from the first tick to one sampling interval after
// the last.
int64_t spanMs(const Journal& journal);

// A sampling interval from a journal, bounded to what a session can have had (a damaged
// session.json can hold anything).
inline constexpr int64_t kLongestIntervalMs = 24 * 3600 * 1000;
int64_t sensibleIntervalMs(int64_t intervalMs);

}  // namespace zemtra::session
