// Bounds the work of describing values that hold others (records, lists, maps). Nesting is counted
// across all kinds, so no chain of nested values can run the stack out, and one outermost
// description starts at most a fixed number of nested descriptions, so values that share others
// many times over cannot multiply the work. Values without such repetition or depth describe in
// full.
//
// Lists and maps are cut where they repeat: one already being described further out on this
// thread (one that holds itself, directly or through others) gives its short form there, as does
// one nested `depthLimit` deep.
//
// Records are not cut where they repeat: a record that holds itself is described again at every
// level until the nesting reaches 50, and the one at 50 is "". After such a cut, records 20 or
// more levels deep are cut as well, until a record is described less deep than that: the other
// fields of the levels above a cut end at once instead of each descending to 50 again.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace zemtra {

class Record;

class DescriptionGuard {
  public:
    // A list or map; `depthLimit` is the deepest nesting at which it is still described.
    DescriptionGuard(const void* collection, size_t depthLimit)
        : cut_(mustCutCollection(collection, depthLimit)) {
        if (!cut_) state().describing.push_back(collection);
    }
    explicit DescriptionGuard(const Record& record) : cut_(mustCutRecord()) {
        if (!cut_) state().describing.push_back(&record);
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
    // Nesting levels, the outermost description being level 1.
    static constexpr size_t kRecordDepthLimit = 50;
    static constexpr size_t kRecordDepthLimitAfterCut = 20;

    struct State {
        std::vector<const void*> describing;  // outermost first
        size_t started = 0;                   // by the outermost description
        bool recordCut = false;               // the last record met was cut for its depth
    };
    static State& state() {
        thread_local State current;
        return current;
    }
    // Counts the description against the outermost one's budget.
    static bool overBudget(State& current) {
        if (current.describing.empty()) current.started = 0;
        return ++current.started > kBudget;
    }
    static bool mustCutCollection(const void* collection, size_t depthLimit) {
        State& current = state();
        if (overBudget(current) || current.describing.size() >= depthLimit) return true;
        return std::find(current.describing.begin(), current.describing.end(), collection) !=
               current.describing.end();
    }
    static bool mustCutRecord() {
        State& current = state();
        if (overBudget(current)) return true;
        const size_t level = current.describing.size() + 1;
        current.recordCut =
            level >= (current.recordCut ? kRecordDepthLimitAfterCut : kRecordDepthLimit);
        return current.recordCut;
    }

    const bool cut_;
};

}  // namespace zemtra
