// A session journal made up for tests and benchmarks: readings that drift and jitter like a
// resting device's, digits and values scanned from them as the sampling step does, and decisions
// from a small model of the selection rules. The same arguments give the same session.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "session/Journal.h"

namespace zemtra::testing {

struct SyntheticSessionShape {
    size_t ticks = 600;
    int64_t startMs = 1735718400000;  // 2025-01-01T08:00:00Z
    int64_t intervalMs = 1000;
    uint32_t seed = 1;
    // Extra jitter on the acceleration, so that its digits vary (a moving device).
    double motion = 0.02;
};

session::Journal syntheticJournal(const SyntheticSessionShape& shape,
                                  const std::vector<std::string>& words);

// Writes the journal's samples.csv and session.json into `folder` (made when missing).
void writeJournal(const session::Journal& journal, const std::filesystem::path& folder);

// The words of the project's word list (assets/wordlist.txt).
std::vector<std::string> projectWords();

}  // namespace zemtra::testing
