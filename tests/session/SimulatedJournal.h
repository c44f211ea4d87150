// A journal as the program would write it on the simulated sensors, made without running the
// program: the simulated stream's readings at each tick, the digits the sampling step takes from
// them, and the program's selection rules deciding. For tests and benchmarks of what reads
// journals; `writeJournal` puts one on disk as the program's files.
#pragma once

#include <cstdint>
#include <filesystem>

#include "session/Journal.h"

namespace zemtra::testing {

struct SimulatedSession {
    uint64_t seed = 1;  // the simulated sensors' seed
    int64_t ticks = 3600;
    int32_t digitPosition = 1;
    int64_t intervalMs = 1000;
    int32_t memoryDepth = 100;
    int32_t windowWidth = 10;
    int64_t startMs = 1735689600000;  // the switch-on, at the program's start-up
};

session::Journal simulatedJournal(const SimulatedSession& session);

// samples.csv and session.json of the journal in `folder` (created).
void writeJournal(const std::filesystem::path& folder, const session::Journal& journal);

}  // namespace zemtra::testing
