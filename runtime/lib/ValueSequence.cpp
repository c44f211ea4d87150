// Description and equality of sequences.
#include "runtime/lib/ValueSequence.h"

namespace zemtra {

namespace {
// Nesting depth of descriptions in progress: a sequence that contains itself (a list added to
// itself) would otherwise recurse until the stack overflows.
thread_local int descriptionDepth = 0;
constexpr int kDescriptionDepthLimit = 32;
}  // namespace

String ValueSequence::description() const {
    if (descriptionDepth >= kDescriptionDepthLimit) return u"(...)";
    ++descriptionDepth;
    struct Leave {
        ~Leave() { --descriptionDepth; }
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
    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i].equals(sequence->items[i])) return false;
    }
    return true;
}

}  // namespace zemtra
