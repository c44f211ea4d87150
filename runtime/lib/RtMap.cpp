// Map operations, convertToMap: and createMap:.
#include "runtime/lib/RtMap.h"

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtException.h"
#include "runtime/lib/RtList.h"

namespace zemtra {

std::shared_ptr<RtMap> RtMap::create() {
    auto map = std::make_shared<RtMap>();
    map->Initialize();
    return map;
}

std::shared_ptr<RtMap> RtMap::convertToMap(const std::shared_ptr<ValueDictionary>& dictionary) {
    auto result = std::make_shared<RtMap>();
    if (!dictionary) return result;
    std::shared_ptr<ValueDictionary> converted;
    for (const auto& [key, value] : dictionary->entries) {
        const auto nested = value.as<ValueDictionary>();
        if (!nested) continue;
        if (!converted) converted = std::make_shared<ValueDictionary>(dictionary->entries);
        converted->entries.insert_or_assign(key, Value(convertToMap(nested)));
    }
    result->dict_ = converted ? converted : dictionary;
    return result;
}

void RtMap::Initialize() {
    map_ = std::make_shared<ValueDictionary>();
    dict_.reset();
}

const ValueTable* RtMap::table() const {
    if (dict_) return &dict_->entries;
    if (map_) return &map_->entries;
    return nullptr;
}

void RtMap::requireInitialized() const {
    if (!IsInitialized()) raise(u"", u"Object not initialized (Map)");
}

void RtMap::Put(const Value& key, const Value& value) {
    requireInitialized();
    if (map_) map_->entries.insert_or_assign(key, value);
}

Value RtMap::Get(const Value& key) const {
    requireInitialized();
    const ValueTable& entries = *table();
    const auto found = entries.find(key);
    return found == entries.end() ? Value() : found->second;
}

Value RtMap::GetDefault(const Value& key, const Value& defaultValue) const {
    Value value = Get(key);
    return value.isNull() ? defaultValue : value;
}

void RtMap::Remove(const Value& key) {
    if (map_) map_->entries.erase(key);
}

void RtMap::Clear() {
    if (map_) map_->entries.clear();
}

bool RtMap::ContainsKey(const Value& key) const {
    const ValueTable* entries = table();
    return entries && entries->contains(key);
}

std::shared_ptr<RtList> RtMap::listOf(bool keys) const {
    std::vector<Value> items;
    if (const ValueTable* entries = table()) {
        items.reserve(entries->size());
        for (const auto& [key, value] : *entries) items.push_back(nullToMarker(keys ? key : value));
    }
    // Over a read-only map the list wraps a fixed sequence, so the list is read-only too.
    return RtList::wrapping(std::make_shared<ValueSequence>(std::move(items), !dict_));
}

std::shared_ptr<RtList> RtMap::Keys() const {
    return listOf(true);
}

std::shared_ptr<RtList> RtMap::Values() const {
    return listOf(false);
}

int32_t RtMap::Size() const {
    const ValueTable* entries = table();
    return entries ? static_cast<int32_t>(entries->size()) : 0;
}

Value RtMap::ToDictionary() const {
    if (dict_) return Value(dict_);
    if (map_) return Value(std::make_shared<ValueDictionary>(map_->entries));
    return Value();
}

String RtMap::description() const {
    if (dict_) return u"(read only map) " + dict_->description();
    if (map_) return map_->description();
    return u"Not initialized";
}

const MethodTable* RtMap::methods() const {
    static const MethodTable table{
        MethodTable::operation("Initialize", &RtMap::Initialize),
        MethodTable::operation("IsInitialized", &RtMap::IsInitialized),
        MethodTable::operation("IsReadOnly", &RtMap::IsReadOnly),
        MethodTable::operation("Put::", &RtMap::Put),
        MethodTable::operation("Get:", &RtMap::Get),
        MethodTable::operation("GetDefault::", &RtMap::GetDefault),
        MethodTable::operation("Remove:", &RtMap::Remove),
        MethodTable::operation("Clear", &RtMap::Clear),
        MethodTable::operation("ContainsKey:", &RtMap::ContainsKey),
        MethodTable::operation("Keys", &RtMap::Keys),
        MethodTable::operation("Values", &RtMap::Values),
        MethodTable::operation("Size", &RtMap::Size),
        MethodTable::operation("ToDictionary", &RtMap::ToDictionary),
    };
    return &table;
}

std::shared_ptr<RtMap> createMap(std::span<const Value> keysAndValues) {
    auto map = RtMap::create();
    for (size_t key = 0; key + 1 < keysAndValues.size(); key += 2) {
        map->Put(keysAndValues[key], keysAndValues[key + 1]);
    }
    return map;
}

}  // namespace zemtra
