// The word-selection rules and their value form.
#include "session/SelectionEngine.h"

#include <algorithm>

namespace zemtra::session {

namespace {

// The quiet times, in milliseconds: the later the candidate, the longer a rejection keeps the
// generator quiet.
int64_t memoryQuiet(int32_t index) {
    return 18500 + 4 * static_cast<int64_t>(index);
}
int64_t repeatQuiet(int32_t index) {
    return 15000 + 6 * static_cast<int64_t>(index);
}
int64_t windowQuiet(int32_t index) {
    return 7500 + static_cast<int64_t>(index);
}
int64_t runQuiet(int32_t run) {
    return 1500 * static_cast<int64_t>(run);
}

bool heldInMemory(const SelectionMemory& memory, int32_t depth, int32_t index) {
    for (int32_t slot = 1; slot <= depth; ++slot) {
        if (memory.slot(slot) == index) return true;
    }
    return false;
}

}  // namespace

Selection select(SelectionState& state, SelectionMemory& memory, const SelectionSettings& settings,
                 int32_t index, int64_t nowMs) {
    Selection selection;
    selection.index = index;
    if (state.quietUntil != 0) return selection;
    if (index >= std::min(settings.words, kReachableCandidates)) {
        selection.decision = Decision::range;
        return selection;
    }
    const auto quiet = [&](Decision decision, int64_t milliseconds) {
        selection.decision = decision;
        selection.quietMs = milliseconds;
        state.quietUntil = nowMs + milliseconds;
    };
    // A candidate still held is dropped without touching the rings.
    if (heldInMemory(memory, settings.memoryDepth, index)) {
        quiet(Decision::memory, memoryQuiet(index));
        return selection;
    }
    if (index == state.lastCandidate) {
        quiet(Decision::repeat, repeatQuiet(index));
    } else if (index > state.lastCandidate && index <= state.lastCandidate + settings.windowWidth) {
        quiet(Decision::window, windowQuiet(index));
    } else {
        memory.setSlot(state.memoryCursor, index);
        ++state.memoryCursor;
        if (state.memoryCursor > settings.memoryDepth) state.memoryCursor = 0;
        quiet(Decision::accepted, runQuiet(state.run));
        ++state.run;
    }
    ++state.candidateCursor;
    if (state.candidateCursor > kCandidateRingEnd) state.candidateCursor = 1;
    memory.setSlot(state.candidateCursor, index);
    state.lastCandidate = index;
    return selection;
}

bool releaseQuiet(SelectionState& state, int64_t nowMs) {
    if (state.quietUntil <= 0 || nowMs <= state.quietUntil) return false;
    state.quietUntil = 0;
    if (state.run > kLongestRun) state.run = 0;
    return true;
}

SelectionEngine::SelectionEngine() = default;

SelectionEngine::SelectionEngine(SelectionSettings settings) : settings_(settings) {}

Selection SelectionEngine::select(int32_t index, int64_t nowMs) {
    return session::select(state_, memory_, settings_, index, nowMs);
}

int32_t SelectionEngine::Slots::slot(int32_t index) const {
    return index >= 0 && index < static_cast<int32_t>(slots.size())
               ? slots[static_cast<size_t>(index)]
               : 0;
}

void SelectionEngine::Slots::setSlot(int32_t index, int32_t value) {
    if (index >= 0 && index < static_cast<int32_t>(slots.size()))
        slots[static_cast<size_t>(index)] = value;
}

}  // namespace zemtra::session
