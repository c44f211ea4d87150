// Equality of collections that may hold themselves. A list that holds itself (directly, or
// through another list or map that holds it) would make element-wise equality recurse without
// end. The comparisons in progress on this thread are kept; when the same two collections are
// met again further in, that inner comparison is taken as equal and the outer one decides. So two
// structures are equal exactly when they match everywhere: two lists that each hold only
// themselves are equal, a list holding itself and a list holding 1 are not.
//
// A pair found equal is also remembered until the outermost comparison ends, so collections that
// share others many times over are compared once per pair, not once per path. A pair may have
// been found equal only by assuming a pair further out equal; so whenever a comparison ends
// without finding its pair equal (unequal, or an error), everything remembered is forgotten.
#pragma once

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

namespace zemtra {

class Object;

class EqualityGuard {
  public:
    EqualityGuard(const Object* first, const Object* second)
        : pair_(std::minmax(first, second)),
          repeated_(std::find(pairs().begin(), pairs().end(), pair_) != pairs().end() ||
                    settled().contains(pair_)) {
        if (!repeated_) pairs().push_back(pair_);
    }
    ~EqualityGuard() {
        if (repeated_) return;
        pairs().pop_back();
        if (!foundEqual_ || pairs().empty()) settled().clear();
    }
    EqualityGuard(const EqualityGuard&) = delete;
    EqualityGuard& operator=(const EqualityGuard&) = delete;

    // Whether the same comparison is already in progress further out (answer "equal" then).
    bool repeated() const { return repeated_; }
    // The two collections were found equal: meeting them again in this comparison answers so.
    void foundEqual() {
        if (repeated_) return;
        foundEqual_ = true;
        settled().insert(pair_);
    }

  private:
    using Pair = std::pair<const Object*, const Object*>;  // the lower address first

    static std::vector<Pair>& pairs() {
        thread_local std::vector<Pair> inProgress;
        return inProgress;
    }
    static std::set<Pair>& settled() {
        thread_local std::set<Pair> foundEqual;
        return foundEqual;
    }

    const Pair pair_;
    const bool repeated_;
    bool foundEqual_ = false;
};

}  // namespace zemtra
