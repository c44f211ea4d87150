// The figures of a session the review window's side panel shows, as label and value pairs.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "review/ChartData.h"
#include "session/Journal.h"

namespace zemtra::review {

using Figures = std::vector<std::pair<std::string, std::string>>;

Figures figuresOf(const session::Journal& journal, const ChartData& data);

}  // namespace zemtra::review
