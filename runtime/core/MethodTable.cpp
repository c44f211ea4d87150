// Method table construction and lookup.
#include "runtime/core/MethodTable.h"

#include <algorithm>
#include <string>

namespace zemtra {

MethodTable::MethodTable(std::initializer_list<Method> methods, const MethodTable* base)
    : base_(base) {
    for (const Method& method : methods) {
        const bool added = methods_.emplace(method.name, method).second;
        if (!added) throw std::logic_error("operation registered twice: " + toUtf8(method.name));
    }
}

const Method* MethodTable::find(NamePieces name) const {
    for (const MethodTable* table = this; table; table = table->base_) {
        const auto found = table->methods_.find(name);
        if (found != table->methods_.end()) return &found->second;
    }
    return nullptr;
}

size_t MethodTable::Hash::operator()(NamePieces name) const {
    // FNV-1a over the code units of both pieces, as if they were one string.
    uint64_t hash = 14695981039346656037ull;
    for (StringView piece : {name.head, name.tail}) {
        for (char16_t unit : piece) {
            hash = (hash ^ unit) * 1099511628211ull;
        }
    }
    return static_cast<size_t>(hash);
}

void MethodTable::checkArity(std::string_view name, size_t parameterCount) {
    const auto colons = static_cast<size_t>(std::count(name.begin(), name.end(), ':'));
    if (colons != parameterCount) {
        throw std::logic_error("operation " + std::string(name) + " has " + std::to_string(colons) +
                               " colons but takes " + std::to_string(parameterCount) +
                               " parameters");
    }
}

void MethodTable::checkCount(size_t argumentCount, size_t parameterCount) {
    if (argumentCount > parameterCount) {
        raise(u"", u"Too many arguments: %d given, the operation takes %d",
              {decimal(static_cast<long long>(argumentCount)),
               decimal(static_cast<long long>(parameterCount))});
    }
}

}  // namespace zemtra
