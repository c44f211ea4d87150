// Description, lookup and equality of dictionaries.
#include "runtime/lib/ValueDictionary.h"

#include "runtime/lib/EqualityGuard.h"

#include <algorithm>
#include <vector>

namespace zemtra {

namespace {

// The dictionaries whose descriptions are in progress on this thread: a map that holds itself
// would otherwise recurse until the stack overflows.
thread_local std::vector<const ValueDictionary*> describing;

}  // namespace

String ValueDictionary::description() const {
    if (std::find(describing.begin(), describing.end(), this) != describing.end()) return u"{...}";
    describing.push_back(this);
    struct Leave {
        ~Leave() { describing.pop_back(); }
    } leave;
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
    const EqualityGuard guard(this, dictionary.get());
    if (guard.repeated()) return true;
    for (const auto& [key, value] : entries) {
        const Value* theirs = dictionary->find(key);
        if (!theirs || !value.equals(*theirs)) return false;
    }
    return true;
}

}  // namespace zemtra
