// Digit counts per channel and per place of the selection value. A selection value's places are
// the thousands, hundreds, tens and units of the candidate index, so an index is possible when
// each of its four digits came at its place; only indices below 2049, and within the session's
// word list, become words.
#include "session/DigitStatistics.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "session/SelectionEngine.h"

namespace zemtra::session {

namespace {

constexpr std::array<std::string_view, 4> kPlaceNames = {"first", "second", "third", "last"};
// A digit that comes in at least this share of samples at a place dominates it.
constexpr double kDominantShare = 0.5;

bool isDigit(char character) {
    return character >= '0' && character <= '9';
}

// How many indices below `of` have at each place one of the digits `allowed` lets through.
int32_t indicesOf(const std::array<std::array<bool, 10>, 4>& allowed, int32_t of) {
    int32_t count = 0;
    for (int32_t index = 0; index < of; ++index) {
        const std::array<int32_t, 4> digits = {index / 1000, index / 100 % 10, index / 10 % 10,
                                               index % 10};
        bool possible = true;
        for (size_t place = 0; place < 4 && possible; ++place)
            possible = allowed[place][static_cast<size_t>(digits[place])];
        if (possible) ++count;
    }
    return count;
}

std::string joinSentences(const std::vector<std::string>& parts) {
    std::string text;
    for (size_t at = 0; at < parts.size(); ++at) {
        if (at > 0) text += at + 1 == parts.size() ? " and " : ", ";
        text += parts[at];
    }
    return text;
}

std::string reasonFor(const Reachable& reachable, int64_t last00) {
    if (reachable.samples == 0) return "no selection value could be read, so no index can come";
    const auto share = [&](int64_t count) {
        return static_cast<double>(count) / static_cast<double>(reachable.samples);
    };
    std::vector<std::string> causes;
    std::array<int, 4> dominant{-1, -1, -1, -1};
    for (size_t place = 0; place < 4; ++place) {
        const auto& counts = reachable.positions[place];
        const auto top = std::max_element(counts.begin(), counts.end());
        if (share(*top) >= kDominantShare) dominant[place] = static_cast<int>(top - counts.begin());
    }
    if (dominant[2] == 0 && dominant[3] == 0) {
        causes.push_back("the last two digits were 0 in " + percentText(share(last00)) +
                         " of samples");
        dominant[2] = dominant[3] = -1;
    }
    for (size_t place = 0; place < 4; ++place) {
        if (dominant[place] < 0) continue;
        const auto digit = static_cast<size_t>(dominant[place]);
        causes.push_back("the " + std::string(kPlaceNames[place]) + " digit was " +
                         std::to_string(digit) + " in " +
                         percentText(share(reachable.positions[place][digit])) + " of samples");
    }
    const std::string counted =
        std::to_string(reachable.count) + " of the " + std::to_string(reachable.of) + " indices";
    if (causes.empty()) {
        if (reachable.count == reachable.of)
            return "every digit came often enough at every place of the selection value, so "
                   "all " +
                   std::to_string(reachable.of) + " indices can come";
        return "some digits seldom or never came at some places of the selection value, so "
               "only " +
               counted + " come up with any regularity";
    }
    return joinSentences(causes) + ", so only " + counted + " come up with any regularity";
}

}  // namespace

std::string percentText(double share) {
    const double percent = share * 100;
    if (percent > 0 && percent < 1) return "<1%";
    if (percent < 100 && percent > 99) return ">99%";
    return std::to_string(static_cast<int>(std::lround(percent))) + "%";
}

DigitFigures digitFigures(const Journal& journal) {
    DigitFigures figures;
    for (size_t channel = 0; channel < 6; ++channel)
        figures.channels[channel].channel = std::string(kChannelNames[channel]);
    // The positions in force at the rows, walking the history along with them.
    const std::vector<Settings>& history = journal.info.settings;
    size_t next = 0;
    Settings inForce =
        journal.rows.empty() ? Settings{} : settingsAt(journal.info, journal.rows.front().tMs);
    for (const SampleRow& row : journal.rows) {
        while (next < history.size() && history[next].tMs <= row.tMs) inForce = history[next++];
        if (figures.digitPositions.empty() ||
            figures.digitPositions.back() != inForce.digitPosition)
            figures.digitPositions.push_back(inForce.digitPosition);
    }
    for (const SampleRow& row : journal.rows) {
        if (!row.magneticField || row.digits.size() != 6) continue;
        for (size_t channel = 0; channel < 6; ++channel) {
            const char digit = row.digits[channel];
            ChannelDigits& into = figures.channels[channel];
            if (isDigit(digit))
                ++into.counts[static_cast<size_t>(digit - '0')];
            else
                ++into.noMatch;
        }
    }
    for (ChannelDigits& channel : figures.channels) channel.test = chiSquareUniform(channel.counts);
    return figures;
}

Reachable reachableIndices(const Journal& journal) {
    Reachable reachable;
    // A session from before word lists were recorded ran with the full list.
    if (journal.info.wordCount > 0)
        reachable.of = std::min(journal.info.wordCount, kReachableCandidates);
    int64_t last00 = 0;
    int64_t inRange = 0;
    std::set<int32_t> seen;
    for (const SampleRow& row : journal.rows) {
        if (row.value.size() != 4 || !std::all_of(row.value.begin(), row.value.end(), isDigit))
            continue;
        ++reachable.samples;
        for (size_t place = 0; place < 4; ++place)
            ++reachable.positions[place][static_cast<size_t>(row.value[place] - '0')];
        if (row.value[2] == '0' && row.value[3] == '0') ++last00;
        const int32_t index = std::stoi(row.value);
        if (index < reachable.of) {
            ++inRange;
            seen.insert(index);
        }
    }
    std::array<std::array<bool, 10>, 4> common{};
    std::array<std::array<bool, 10>, 4> any{};
    const double threshold = Reachable::kCommonShare * static_cast<double>(reachable.samples);
    for (size_t place = 0; place < 4; ++place) {
        for (size_t digit = 0; digit < 10; ++digit) {
            const int64_t count = reachable.positions[place][digit];
            any[place][digit] = count > 0;
            common[place][digit] = count > 0 && static_cast<double>(count) >= threshold;
        }
    }
    reachable.count = indicesOf(common, reachable.of);
    reachable.withRareDigits = indicesOf(any, reachable.of);
    reachable.seen = static_cast<int32_t>(seen.size());
    if (reachable.samples > 0) {
        reachable.share00 = static_cast<double>(last00) / static_cast<double>(reachable.samples);
        reachable.shareInRange =
            static_cast<double>(inRange) / static_cast<double>(reachable.samples);
    }
    reachable.reason = reasonFor(reachable, last00);
    return reachable;
}

}  // namespace zemtra::session
