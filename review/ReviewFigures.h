// The figures of a session the review window's side panel shows, as label and value pairs.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "review/ChartData.h"
#include "session/Journal.h"
#include "session/Statistics.h"

namespace zemtra::review {

using Figures = std::vector<std::pair<std::string, std::string>>;

// What the rows show at once, before the statistics are ready.
Figures figuresOf(const session::Journal& journal, const ChartData& data);

// The figures of `zemtra stats`: decisions, words, the digits against fair ones, the indices
// that can come, and the control runs.
Figures figuresOf(const session::Statistics& statistics, size_t skippedRows);

}  // namespace zemtra::review
