// The drawing columns of a session and the envelope pyramid over them.
#include "review/ChartData.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zemtra::review {

const std::array<const char*, kChannels> kChannelNames = {"mag x", "mag y", "mag z",
                                                          "acc x", "acc y", "acc z"};

namespace {

Envelope merged(const Envelope& a, const Envelope& b) {
    if (!a.any) return b;
    if (!b.any) return a;
    return {std::min(a.low, b.low), std::max(a.high, b.high), true};
}

}  // namespace

ChartData::ChartData(const session::Journal& journal) {
    const size_t count = journal.rows.size();
    times_.reserve(count);
    decisions_.reserve(count);
    journalRows_.reserve(count);
    for (auto& channel : channels_) channel.reserve(count);
    constexpr double missing = std::numeric_limits<double>::quiet_NaN();
    for (size_t index = 0; index < count; ++index) {
        const session::SampleRow& row = journal.rows[index];
        if (!times_.empty() && row.tMs < times_.back()) {
            ++leftOut_;
            continue;
        }
        times_.push_back(row.tMs);
        for (size_t axis = 0; axis < 3; ++axis) {
            const double field = row.magneticField ? (*row.magneticField)[axis] : missing;
            const double acceleration = row.acceleration[axis];
            channels_[axis].push_back(std::isfinite(field) ? field : missing);
            channels_[3 + axis].push_back(std::isfinite(acceleration) ? acceleration : missing);
        }
        decisions_.push_back(row.decision);
        words_.push_back(row.word);
        journalRows_.push_back(index);
        if (row.decision == session::Decision::accepted) accepted_.push_back(times_.size() - 1);
    }
    if (times_.size() > 2) {
        std::vector<int64_t> gaps;
        gaps.reserve(times_.size() - 1);
        for (size_t row = 1; row < times_.size(); ++row)
            gaps.push_back(times_[row] - times_[row - 1]);
        std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
        typicalGap_ = std::max<int64_t>(1, gaps[gaps.size() / 2]);
    }
    for (auto& counts : decisionsBefore_) counts.assign(times_.size() + 1, 0);
    for (size_t row = 0; row < times_.size(); ++row) {
        for (size_t kind = 0; kind < decisionsBefore_.size(); ++kind)
            decisionsBefore_[kind][row + 1] =
                decisionsBefore_[kind][row] + (decisions_[row] == session::kDecisions[kind]);
    }
    buildPyramid();
}

size_t ChartData::count(session::Decision decision, size_t begin, size_t end) const {
    const auto& counts = decisionsBefore_[static_cast<size_t>(decision)];
    end = std::min(end, size());
    if (begin >= end) return 0;
    return counts[end] - counts[begin];
}

void ChartData::buildPyramid() {
    for (size_t channel = 0; channel < kChannels; ++channel) {
        auto& levels = levels_[channel];
        std::vector<Envelope> base(size());
        for (size_t row = 0; row < size(); ++row) {
            const double value = channels_[channel][row];
            if (std::isnan(value)) continue;
            const auto reading = static_cast<float>(value);
            base[row] = {reading, reading, true};
        }
        levels.push_back(std::move(base));
        while (levels.back().size() > 1) {
            const auto& below = levels.back();
            std::vector<Envelope> above(below.size() / 2);
            for (size_t block = 0; block < above.size(); ++block)
                above[block] = merged(below[2 * block], below[2 * block + 1]);
            if (above.empty()) break;
            levels.push_back(std::move(above));
        }
    }
}

Envelope ChartData::envelope(size_t channel, size_t begin, size_t end) const {
    Envelope result;
    end = std::min(end, size());
    const auto& levels = levels_[channel];
    // Aligned power-of-two blocks from the left: at most two per level.
    while (begin < end) {
        size_t level = 0;
        while (level + 1 < levels.size()) {
            const size_t span = size_t{1} << (level + 1);
            if (begin % span != 0 || begin + span > end) break;
            if ((begin >> (level + 1)) >= levels[level + 1].size()) break;
            ++level;
        }
        result = merged(result, levels[level][begin >> level]);
        begin += size_t{1} << level;
    }
    return result;
}

size_t ChartData::rowAtOrAfter(int64_t tMs) const {
    return static_cast<size_t>(std::lower_bound(times_.begin(), times_.end(), tMs) -
                               times_.begin());
}

}  // namespace zemtra::review
