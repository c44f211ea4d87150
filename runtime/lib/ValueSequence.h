// The platform's array object: an ordered sequence of values that lists and object arrays wrap.
// Several wrappers may share one sequence (a list made with Initialize2: or ArrayToList:), so a
// change through one is seen by all of them.
#pragma once

#include <vector>

#include "runtime/core/Object.h"

namespace zemtra {

class ValueSequence final : public Object {
  public:
    // The class name module code sees in "Object was not initialized (NSArray)".
    static constexpr StringView kClassName = u"NSArray";

    // A growable sequence accepts insertions and removals; a fixed one (the keys of a read-only
    // map, a directory listing) only reads. Both store Null as the null marker.
    explicit ValueSequence(std::vector<Value> items = {}, bool growable = true)
        : items(std::move(items)), growable_(growable) {}

    String className() const override { return String(kClassName); }
    // "(\n    a,\n    b\n)", the elements' descriptions one per line.
    String description() const override;
    // Equal to another sequence holding equal elements in the same order.
    bool isEqual(const Value& other) const override;
    size_t hash() const override { return items.size(); }

    bool growable() const { return growable_; }

    std::vector<Value> items;

  private:
    bool growable_;
};

}  // namespace zemtra
