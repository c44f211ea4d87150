// The matcher over precomputed matches.
#include "runtime/lib/RtMatcher.h"

#include <limits>

#include "runtime/core/RtException.h"

namespace zemtra {

RtMatcher::RtMatcher(String original, int32_t groupCount, std::vector<int32_t> ranges)
    : original_(std::move(original)), groupCount_(groupCount), ranges_(std::move(ranges)) {}

const MethodTable* RtMatcher::methods() const {
    static const MethodTable table{
        MethodTable::operation("Find", &RtMatcher::Find),
        MethodTable::operation("Match", &RtMatcher::Match),
        MethodTable::operation("Group:", &RtMatcher::Group),
        MethodTable::operation("GroupCount", &RtMatcher::GroupCount),
        MethodTable::operation("GetStart:", &RtMatcher::GetStart),
        MethodTable::operation("GetEnd:", &RtMatcher::GetEnd),
    };
    return &table;
}

bool RtMatcher::Find() {
    // The index keeps counting past the end, but must never wrap round to a negative value that
    // would pass for a match again.
    if (index_ < std::numeric_limits<int32_t>::max()) ++index_;
    return index_ < matchCount();
}

const int32_t* RtMatcher::range(int32_t n) const {
    if (index_ < 0 || index_ >= matchCount()) {
        raise(u"range", u"No current match (index %d, matches %d)",
              {decimal(index_), decimal(matchCount())});
    }
    if (n < 0 || n > groupCount_) {
        raise(u"range", u"Group %d is out of range (0 to %d)", {decimal(n), decimal(groupCount_)});
    }
    return &ranges_[static_cast<size_t>(index_) * rangesPerMatch() + 2 * static_cast<size_t>(n)];
}

String RtMatcher::Group(int32_t n) const {
    const int32_t* pair = range(n);
    if (pair[0] < 0) raise(u"range", u"Group %d took no part in the match", {decimal(n)});
    return original_.substr(static_cast<size_t>(pair[0]), static_cast<size_t>(pair[1] - pair[0]));
}

int32_t RtMatcher::GroupCount() const {
    range(0);
    return groupCount_ + 1;
}

int32_t RtMatcher::GetStart(int32_t n) const {
    return range(n)[0];
}

int32_t RtMatcher::GetEnd(int32_t n) const {
    return range(n)[1];
}

}  // namespace zemtra
