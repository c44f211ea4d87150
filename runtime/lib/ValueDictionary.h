// The platform's dictionary object: a hash table from keys to values. Keys are compared by
// object equality and hash, so two equal strings are one key and the Int 1 and the Double 1.0 are
// one key. Enumeration follows the table's own order, which stays the same while the table is
// unchanged.
#pragma once

#include <unordered_map>

#include "runtime/core/Object.h"

namespace zemtra {

struct ValueHash {
    size_t operator()(const Value& value) const { return value.hash(); }
};
struct ValueEquals {
    bool operator()(const Value& a, const Value& b) const { return a.equals(b); }
};
using ValueTable = std::unordered_map<Value, Value, ValueHash, ValueEquals>;

class ValueDictionary final : public Object {
  public:
    static constexpr StringView kClassName = u"NSDictionary";

    explicit ValueDictionary(ValueTable entries = {}) : entries(std::move(entries)) {}

    String className() const override { return String(kClassName); }
    // "{\n    key = value;\n}", one entry per line in enumeration order.
    String description() const override;
    bool isEqual(const Value& other) const override;
    size_t hash() const override { return entries.size(); }

    // The value stored under `key`, or nullptr.
    const Value* find(const Value& key) const;

    ValueTable entries;
};

}  // namespace zemtra
