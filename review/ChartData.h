// A session's samples laid out for drawing: one column of times and one per channel, the
// decisions, the accepted words, and a min/max pyramid per channel so that the envelope of any
// span of rows comes from a handful of blocks rather than from every row in it.
//
// Rows are kept in journal order as long as time does not run backwards; a row stamped before
// the one kept before it is left out and counted. Readings that are not finite numbers count as
// missing (a gap in the channel's line).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "session/Journal.h"

namespace zemtra::review {

inline constexpr size_t kChannels = 6;
// "mag x" … "acc z", as the lanes and the details name them.
extern const std::array<const char*, kChannels> kChannelNames;

struct Envelope {
    float low = 0;
    float high = 0;
    bool any = false;  // false: no reading in the span
};

class ChartData {
  public:
    ChartData() = default;
    explicit ChartData(const session::Journal& journal);

    size_t size() const { return times_.size(); }
    bool empty() const { return times_.empty(); }
    int64_t time(size_t row) const { return times_[row]; }
    const std::vector<int64_t>& times() const { return times_; }
    // The channel's reading at a row; NaN when it had none.
    double reading(size_t channel, size_t row) const { return channels_[channel][row]; }
    session::Decision decision(size_t row) const { return decisions_[row]; }
    const std::string& word(size_t row) const { return words_[row]; }
    // The journal row a chart row came from.
    size_t journalRow(size_t row) const { return journalRows_[row]; }
    // The chart rows of the accepted words, in time order.
    const std::vector<size_t>& accepted() const { return accepted_; }
    // Rows left out because their time ran backwards.
    size_t leftOut() const { return leftOut_; }

    int64_t firstTime() const { return times_.empty() ? 0 : times_.front(); }
    int64_t lastTime() const { return times_.empty() ? 0 : times_.back(); }
    // The smallest and largest reading of a channel over the whole session.
    Envelope range(size_t channel) const { return envelope(channel, 0, size()); }
    // The smallest and largest reading of the rows [begin, end).
    Envelope envelope(size_t channel, size_t begin, size_t end) const;
    // The first row at or after `tMs`.
    size_t rowAtOrAfter(int64_t tMs) const;
    // The typical time between rows (the median gap), 1000 ms when there are too few rows.
    int64_t typicalGap() const { return typicalGap_; }
    // How many of the rows [begin, end) took that decision.
    size_t count(session::Decision decision, size_t begin, size_t end) const;

  private:
    void buildPyramid();

    std::vector<int64_t> times_;
    std::array<std::vector<double>, kChannels> channels_;
    std::vector<session::Decision> decisions_;
    std::vector<std::string> words_;
    std::vector<size_t> journalRows_;
    std::vector<size_t> accepted_;
    size_t leftOut_ = 0;
    int64_t typicalGap_ = 1000;
    // levels_[channel][k] holds the envelope of the rows [i·2^k, (i+1)·2^k) at index i.
    std::array<std::vector<std::vector<Envelope>>, kChannels> levels_;
    // decisionsBefore_[d][i]: rows before row i that took decision d.
    std::array<std::vector<uint32_t>, session::kDecisions.size()> decisionsBefore_;
};

}  // namespace zemtra::review
