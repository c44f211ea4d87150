// The word-selection rules of the generator, apart from everything that speaks, shows or writes:
// a selection value becomes a candidate index, which is dropped when it is out of range (past the
// word list's end, or past the reachable candidates), held in the recent-word memory, equal to the
// last candidate or inside the window after it, and otherwise accepted; each of the last four sets
// a quiet time, accepted words paced in runs.
//
// The rules work on state that the caller owns (SelectionState and SelectionMemory), so that the
// running program applies them to the globals it saves, restores and shows, and a simulation runs
// them on a SelectionEngine, a plain value holding the same state.
//
// The memory array is shared: slots 1 to the memory depth are searched for the candidate, the
// spoken-word ring writes at its cursor (0 to the depth), and the candidate ring at its cursor
// (1 to 99), so the two rings overwrite each other's slots just as they always did.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "session/Journal.h"

namespace zemtra::session {

// Candidates of 2049 and more never become words.
inline constexpr int32_t kReachableCandidates = 2049;
// Slots of the memory array.
inline constexpr int32_t kSelectionMemorySlots = 1100;
// The candidate ring's cursor runs 1 to this.
inline constexpr int32_t kCandidateRingEnd = 99;
// The run counter starts again from 0 when a quiet time ends above this.
inline constexpr int32_t kLongestRun = 7;

// The memory array, read and written by slot.
class SelectionMemory {
  public:
    virtual ~SelectionMemory() = default;
    virtual int32_t slot(int32_t index) const = 0;
    virtual void setSlot(int32_t index, int32_t value) = 0;
};

struct SelectionState {
    int32_t candidateCursor = 0;  // the candidate ring's last written slot
    int32_t lastCandidate = 0;
    int32_t memoryCursor = 0;  // the spoken-word ring's next slot
    int32_t run = 0;           // accepted words since the run began
    int64_t quietUntil = 0;    // the quiet time's deadline in milliseconds; 0 when free
};

struct SelectionSettings {
    int32_t memoryDepth = 100;
    int32_t windowWidth = 10;
    // The word list's length: a candidate at or past it (or at or past kReachableCandidates) has
    // no word and is out of range.
    int32_t words = kReachableCandidates;
};

// What the rules did with one value.
struct Selection {
    Decision decision = Decision::quiet;
    int32_t index = 0;
    std::optional<int64_t> quietMs;  // the quiet time the decision set
};

// Applies the rules to `index` at `nowMs` (milliseconds of the program's clock): while a quiet time
// runs the value is dropped (quiet), and nothing changes.
Selection select(SelectionState& state, SelectionMemory& memory, const SelectionSettings& settings,
                 int32_t index, int64_t nowMs);

// Ends a quiet time whose deadline lies before `nowMs`, starting the run again after a long one;
// true when it ended. The program asks at every tick of its display timer.
bool releaseQuiet(SelectionState& state, int64_t nowMs);

// The rules with their state as one value.
class SelectionEngine {
  public:
    SelectionEngine();
    explicit SelectionEngine(SelectionSettings settings);

    Selection select(int32_t index, int64_t nowMs);
    bool releaseQuiet(int64_t nowMs) { return session::releaseQuiet(state_, nowMs); }

    SelectionState& state() { return state_; }
    const SelectionState& state() const { return state_; }
    SelectionSettings& settings() { return settings_; }
    const SelectionSettings& settings() const { return settings_; }
    // The memory array's slots (kSelectionMemorySlots of them).
    std::vector<int32_t>& memory() { return memory_.slots; }
    const std::vector<int32_t>& memory() const { return memory_.slots; }

  private:
    struct Slots final : SelectionMemory {
        std::vector<int32_t> slots = std::vector<int32_t>(kSelectionMemorySlots, 0);
        int32_t slot(int32_t index) const override;
        void setSlot(int32_t index, int32_t value) override;
    };

    SelectionState state_;
    SelectionSettings settings_;
    Slots memory_;
};

}  // namespace zemtra::session
