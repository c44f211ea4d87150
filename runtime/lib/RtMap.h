// The key/value table of the value model. A map is modifiable (it owns a hash table, `map`),
// read-only (it holds a fixed dictionary, `dict`: changes are ignored without an error) or not
// initialized (neither). Keys compare by object equality and hash; values are stored unchanged.
// Keys and Values list the entries in the table's own order, the same for both while the map is
// unchanged. A Null key or value is stored like any other (Get: of such a value gives Null, as
// for an absent key; ContainsKey: tells them apart). Main thread only.
#pragma once

#include <memory>
#include <span>

#include "runtime/core/Object.h"
#include "runtime/lib/ValueDictionary.h"

namespace zemtra {

class RtList;

class RtMap final : public Object {
  public:
    static constexpr StringView kClassName = u"RtMap";
    String className() const override { return String(kClassName); }
    // "(read only map) " + the dictionary's description; the table's description when modifiable;
    // "Not initialized" otherwise.
    String description() const override;
    const MethodTable* methods() const override;

    // A new, initialized, empty modifiable map.
    static std::shared_ptr<RtMap> create();
    // convertToMap: a new read-only map over `dictionary`. Nested dictionaries become read-only
    // maps too, in a copy of the outer dictionary (the given one is never changed); without
    // nested dictionaries the map holds the given dictionary itself, without copying.
    static std::shared_ptr<RtMap> convertToMap(const std::shared_ptr<ValueDictionary>& dictionary);

    void Initialize();
    bool IsInitialized() const { return map_ || dict_; }
    bool IsReadOnly() const { return dict_ != nullptr; }

    // Both raise "Object not initialized (Map)" on an uninitialized map. Put:: on a read-only map
    // changes nothing.
    void Put(const Value& key, const Value& value);
    Value Get(const Value& key) const;
    // Get:, and `defaultValue` when that gives Null.
    Value GetDefault(const Value& key, const Value& defaultValue) const;
    // No effect when the key is absent, or the map is read-only or not initialized.
    void Remove(const Value& key);
    void Clear();
    bool ContainsKey(const Value& key) const;
    // A new list of the keys (values): read-only over a read-only map, else a growable copy.
    std::shared_ptr<RtList> Keys() const;
    std::shared_ptr<RtList> Values() const;
    int32_t Size() const;
    // The fixed dictionary, or a snapshot of the table (Null when not initialized).
    Value ToDictionary() const;

    // The fields, for other runtime code (file writing, attributes).
    const std::shared_ptr<ValueDictionary>& map() const { return map_; }
    const std::shared_ptr<ValueDictionary>& dict() const { return dict_; }

  private:
    const ValueTable* table() const;
    void requireInitialized() const;
    std::shared_ptr<RtList> listOf(bool keys) const;

    std::shared_ptr<ValueDictionary> map_;
    std::shared_ptr<ValueDictionary> dict_;
};

// The Common object's createMap: (kept here because the runtime core cannot depend on the
// library): a new modifiable map holding element 1 under key element 0, element 3 under key
// element 2, and so on. A last key without a value is ignored.
std::shared_ptr<RtMap> createMap(std::span<const Value> keysAndValues);

}  // namespace zemtra
