// Description and equality of sequences.
#include "runtime/lib/ValueSequence.h"

#include "runtime/core/DescriptionGuard.h"
#include "runtime/lib/EqualityGuard.h"

#include <algorithm>
#include <vector>

namespace zemtra {

namespace {
// Sequences nested deeper than this are given their short form; the guard also cuts a sequence
// that holds itself where it repeats, so even one held several times is described once.
constexpr size_t kDescriptionDepthLimit = 32;
}  // namespace
String ValueSequence::description() const {
    const DescriptionGuard guard(this, kDescriptionDepthLimit);
    if (guard.cut()) return u"(...)";
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
    EqualityGuard guard(this, sequence.get());
    if (guard.repeated()) return true;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i].equals(sequence->items[i])) return false;
    }
    guard.foundEqual();
    return true;
}

}  // namespace zemtra
