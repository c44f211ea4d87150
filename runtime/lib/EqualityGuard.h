// Equality of collections that may hold themselves. A list that holds itself (directly, or
// through another list or map that holds it) would make element-wise equality recurse without
// end. The comparisons in progress on this thread are kept; when the same two collections are
// met again further in, that inner comparison is taken as equal and the outer one decides. So two
// structures are equal exactly when they match everywhere: two lists that each hold only
// themselves are equal, a list holding itself and a list holding 1 are not.
#pragma once

#include <algorithm>
#include <utility>
#include <vector>

namespace zemtra {

class Object;

class EqualityGuard {
  public:
    EqualityGuard(const Object* first, const Object* second)
        : repeated_(std::find_if(pairs().begin(), pairs().end(), [&](const auto& pair) {
                        return (pair.first == first && pair.second == second) ||
                               (pair.first == second && pair.second == first);
                    }) != pairs().end()) {
        if (!repeated_) pairs().emplace_back(first, second);
    }
    ~EqualityGuard() {
        if (!repeated_) pairs().pop_back();
    }
    EqualityGuard(const EqualityGuard&) = delete;
    EqualityGuard& operator=(const EqualityGuard&) = delete;

    // Whether the same comparison is already in progress further out (answer "equal" then).
    bool repeated() const { return repeated_; }

  private:
    static std::vector<std::pair<const Object*, const Object*>>& pairs() {
        thread_local std::vector<std::pair<const Object*, const Object*>> inProgress;
        return inProgress;
    }

    const bool repeated_;
};

}  // namespace zemtra
