// Description and equality of sequences.
#include "runtime/lib/ValueSequence.h"

#include "runtime/lib/EqualityGuard.h"

#include <algorithm>
#include <vector>

namespace zemtra {

namespace {
// The sequences whose descriptions are in progress on this thread: one that contains itself (a
// list added to itself) is cut where it repeats, so that even one held several times is described
// once. The depth limit still guards very deep nesting of distinct sequences.
thread_local std::vector<const ValueSequence*> describing;
constexpr size_t kDescriptionDepthLimit = 32;
}  // namespace

String ValueSequence::description() const {
    if (describing.size() >= kDescriptionDepthLimit ||
        std::find(describing.begin(), describing.end(), this) != describing.end()) {
        return u"(...)";
    }
    describing.push_back(this);
    struct Leave {
        ~Leave() { describing.pop_back(); }
    } leave;
    String out = u"(\n";
    for (size_t i = 0; i < items.size(); ++i) {
        out += u"    ";
        out += items[i].description();
        out += i + 1 < items.size() ? u",\n" : u"\n";
    }
    return out + u")";
}

bool ValueSequence::isEqual(const Value& other) const {
    const auto sequence = other.as<ValueSequence>();
    if (!sequence) return false;
    if (sequence.get() == this) return true;
    if (sequence->items.size() != items.size()) return false;
    const EqualityGuard guard(this, sequence.get());
    if (guard.repeated()) return true;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i].equals(sequence->items[i])) return false;
    }
    return true;
}

}  // namespace zemtra
