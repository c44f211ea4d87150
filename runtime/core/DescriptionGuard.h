// Bounds the work of describing values that hold others (records, lists, maps). A value already
// being described further out on this thread (one that holds itself, directly or through others)
// is cut where it repeats; nesting stops at a depth limit, counted across all kinds, so no chain
// of nested values can run the stack out; and one outermost description starts at most a fixed
// number of nested descriptions, so values that share others many times over cannot multiply
// the work. Values without such repetition or depth describe in full.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace zemtra {

class DescriptionGuard {
  public:
    // `depthLimit` is the deepest nesting at which this kind of value is still described.
    DescriptionGuard(const void* value, size_t depthLimit) : cut_(mustCut(value, depthLimit)) {
        if (!cut_) state().describing.push_back(value);
    }
    ~DescriptionGuard() {
        if (!cut_) state().describing.pop_back();
    }
    DescriptionGuard(const DescriptionGuard&) = delete;
    DescriptionGuard& operator=(const DescriptionGuard&) = delete;

    // Whether the value is to be given its short form instead of being described.
    bool cut() const { return cut_; }

  private:
    static constexpr size_t kBudget = 10000;

    struct State {
        std::vector<const void*> describing;  // outermost first
        size_t started = 0;                   // by the outermost description
    };
    static State& state() {
        thread_local State current;
        return current;
    }
    static bool mustCut(const void* value, size_t depthLimit) {
        State& current = state();
        if (current.describing.empty()) current.started = 0;
        if (++current.started > kBudget || current.describing.size() >= depthLimit) return true;
        return std::find(current.describing.begin(), current.describing.end(), value) !=
               current.describing.end();
    }

    const bool cut_;
};

}  // namespace zemtra
