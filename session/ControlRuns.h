// Control runs: the program's own selection engine, on the session's ticks and settings, fed
// uniform random digits instead of the sensors' — what the session would have looked like if its
// digits had been fair.
//
// Run r draws its digits from a generator seeded by (seed, r) alone, and the runs are split over
// threads in contiguous chunks, so the figures are the same for a seed whatever the number of
// threads.
#pragma once

#include <cstdint>
#include <vector>

#include "session/Statistics.h"

namespace zemtra::session {

// The figures of one control run.
struct ControlRun {
    int64_t accepted = 0;
    int64_t distinctWords = 0;
    int64_t largestRepeat = 0;
};

// One control run: the journal's ticks with the settings in force at each and the session's word
// list length, starting as a switch-on does (a fresh memory, a quiet time of 1800 ms, the display
// timer every 200 ms).
ControlRun controlRun(const Journal& journal, uint64_t seed, int32_t run);

// `options.runs` control runs, in run order.
std::vector<ControlRun> controlRuns(const Journal& journal, const ControlOptions& options);

// The session's figure among the control runs' values.
ControlFigure compareWithControl(double session, std::vector<double> control);

// The control figures for a session whose own figures are in `statistics`.
ControlFigures controlFigures(const Journal& journal, const Statistics& statistics,
                              const ControlOptions& options);

}  // namespace zemtra::session
