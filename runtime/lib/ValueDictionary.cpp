// Description, lookup and equality of dictionaries.
#include "runtime/lib/ValueDictionary.h"

#include "runtime/core/DescriptionGuard.h"
#include "runtime/lib/EqualityGuard.h"

#include <algorithm>
#include <vector>

namespace zemtra {

namespace {

// A dictionary that holds itself, or one nested this deep, is given its short form: otherwise
// describing it would recurse until the stack overflows.
constexpr size_t kDescriptionDepthLimit = 32;

}  // namespace
String ValueDictionary::description() const {
    const DescriptionGuard guard(this, kDescriptionDepthLimit);
    if (guard.cut()) return u"{...}";
    String out = u"{\n";
    for (const auto& [key, value] : entries) {
        out += u"    ";
        out += key.description();
        out += u" = ";
        out += value.description();
        out += u";\n";
    }
    return out + u"}";
}

const Value* ValueDictionary::find(const Value& key) const {
    const auto found = entries.find(key);
    return found == entries.end() ? nullptr : &found->second;
}

bool ValueDictionary::isEqual(const Value& other) const {
    const auto dictionary = other.as<ValueDictionary>();
    if (!dictionary) return false;
    if (dictionary.get() == this) return true;
    if (dictionary->entries.size() != entries.size()) return false;
    EqualityGuard guard(this, dictionary.get());
    if (guard.repeated()) return true;
    for (const auto& [key, value] : entries) {
        const Value* theirs = dictionary->find(key);
        if (!theirs || !value.equals(*theirs)) return false;
    }
    guard.foundEqual();
    return true;
}

}  // namespace zemtra
