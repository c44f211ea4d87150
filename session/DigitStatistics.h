// The digits behind a session's selection values: per channel, the digits the scan took and a
// test against equal chances; per place of the selection value, which indices they can make.
#pragma once

#include "session/Statistics.h"

namespace zemtra::session {

// The digits of every row that has a magnetometer reading (without one the scan reads other
// numbers, which the journal does not name).
DigitFigures digitFigures(const Journal& journal);

// The indices the rows' selection values can make, and why so few when few.
Reachable reachableIndices(const Journal& journal);

// "96%", "<1%", ">99%": a share for a sentence.
std::string percentText(double share);

}  // namespace zemtra::session
