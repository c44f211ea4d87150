// The matches of one pattern over one text, all found when the matcher is made; Find walks them
// in text order and the other operations read the current one.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/core/MethodTable.h"
#include "runtime/core/Object.h"

namespace zemtra {

class RtMatcher : public Object {
  public:
    static constexpr StringView kClassName = u"RtMatcher";
    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override;

    // `ranges` holds, for every match in text order, `groupCount` + 1 (start, end) pairs: the
    // whole match first, then each capture group; a group that took no part has start -1.
    RtMatcher(String original, int32_t groupCount, std::vector<int32_t> ranges);

    // Moves to the next match and answers whether there is one. Past the last match every call
    // answers false.
    bool Find();
    // The text of the whole current match.
    String Match() const { return Group(0); }
    // The text of group n of the current match. Raises a range error when there is no current
    // match, when n is not a group of the pattern or when group n took no part in the match.
    String Group(int32_t n) const;
    // The capture groups of the pattern plus one (the whole match).
    int32_t GroupCount() const;
    // Start of group n, and the index just after its end; -1 for both when group n took no part.
    int32_t GetStart(int32_t n) const;
    int32_t GetEnd(int32_t n) const;

    int32_t index() const { return index_; }
    int32_t matchCount() const { return static_cast<int32_t>(ranges_.size() / rangesPerMatch()); }
    const String& original() const { return original_; }

  private:
    size_t rangesPerMatch() const { return 2 * (static_cast<size_t>(groupCount_) + 1); }
    // The (start, end) pair of group n of the current match, after the range checks.
    const int32_t* range(int32_t n) const;

    String original_;
    int32_t groupCount_;
    std::vector<int32_t> ranges_;
    int32_t index_ = -1;
};

}  // namespace zemtra
