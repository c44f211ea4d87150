// List operations, sorting and ArrayToList.
#include "runtime/lib/RtList.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "runtime/core/MethodTable.h"
#include "runtime/core/Record.h"
#include "runtime/core/RtException.h"
#include "runtime/lib/RtArray.h"
#include "runtime/lib/RtString.h"

namespace zemtra {

namespace {

[[noreturn]] void indexOutOfRange(int64_t index, size_t size) {
    raise(u"RangeError", u"Index %d beyond bounds of a list of size %d",
          {decimal(index), decimal(static_cast<long long>(size))});
}

void checkIndex(int64_t index, size_t size) {
    if (index < 0 || static_cast<uint64_t>(index) >= size) indexOutOfRange(index, size);
}

void checkInsertionPoint(int64_t index, size_t size) {
    if (index < 0 || static_cast<uint64_t>(index) > size) indexOutOfRange(index, size);
}

// Three-way comparison of a double with NaN ordered after every other value, so that sorting
// always sees a strict weak order.
int compareDoubles(double a, double b) {
    const bool aNan = std::isnan(a);
    const bool bNan = std::isnan(b);
    if (aNan || bNan) return aNan == bNan ? 0 : (aNan ? 1 : -1);
    return a < b ? -1 : (a > b ? 1 : 0);
}

// Exact comparison of a 64-bit integer with a double (converting the integer to double would
// make values above 2^53 equal to their neighbours and break transitivity).
int compareIntegerWithDouble(int64_t integer, double real) {
    if (std::isnan(real)) return -1;
    if (real >= 9223372036854775808.0) return -1;
    if (real < -9223372036854775808.0) return 1;
    const auto whole = static_cast<int64_t>(real);
    if (integer != whole) return integer < whole ? -1 : 1;
    const double fraction = real - static_cast<double>(whole);
    return fraction > 0 ? -1 : (fraction < 0 ? 1 : 0);
}

int compareNumbers(const Number& a, const Number& b) {
    if (!a.isFloatingPoint() && !b.isFloatingPoint()) {
        const int64_t x = a.toLong();
        const int64_t y = b.toLong();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (a.isFloatingPoint() && b.isFloatingPoint())
        return compareDoubles(a.toDouble(), b.toDouble());
    if (a.isFloatingPoint()) return -compareIntegerWithDouble(b.toLong(), a.toDouble());
    return compareIntegerWithDouble(a.toLong(), b.toDouble());
}

// Reads one field of a record by name, boxed by its width.
class FieldReader final : public FieldVisitor {
  public:
    explicit FieldReader(StringView wanted) : wanted_(wanted) {}

    void field(StringView name, const Value& object) override { take(name, object); }
    void field(StringView name, int8_t value) override { take(name, Value(Number::ofByte(value))); }
    void field(StringView name, uint8_t value) override {
        take(name, Value(Number::ofUnsignedByte(value)));
    }
    void field(StringView name, int16_t value) override { take(name, Value::ofShort(value)); }
    void field(StringView name, uint16_t value) override { take(name, Value::ofChar(value)); }
    void field(StringView name, int32_t value) override { take(name, Value::ofInt(value)); }
    void field(StringView name, uint32_t value) override { take(name, Value::ofLong(value)); }
    void field(StringView name, int64_t value) override { take(name, Value::ofLong(value)); }
    void field(StringView name, float value) override { take(name, Value::ofFloat(value)); }
    void field(StringView name, double value) override { take(name, Value::ofDouble(value)); }
    void field(StringView name, bool value) override { take(name, Value::ofBoolean(value)); }
    void unknownField(StringView, std::string_view) override {}

    bool found = false;
    Value value;

  private:
    void take(StringView name, const Value& fieldValue) {
        if (found) return;
        const bool matches = name == wanted_ || (name.size() == wanted_.size() + 1 &&
                                                 name[0] == u'_' && name.substr(1) == wanted_);
        if (!matches) return;
        found = true;
        value = fieldValue;
    }
    StringView wanted_;
};

Value readField(const Value& element, const String& field) {
    const Record* record = dynamic_cast<const Record*>(element.object().get());
    if (record) {
        FieldReader reader(field);
        record->visitFields(reader);
        if (reader.found) return reader.value;
    }
    raise(u"", u"Cannot read field %@ of %@", {field, element.description()});
}

}  // namespace

std::shared_ptr<RtList> RtList::create() {
    auto list = std::make_shared<RtList>();
    list->Initialize();
    return list;
}

std::shared_ptr<RtList> RtList::of(std::vector<Value> values) {
    for (Value& value : values) value = nullToMarker(std::move(value));
    return wrapping(std::make_shared<ValueSequence>(std::move(values)));
}

std::shared_ptr<RtList> RtList::wrapping(std::shared_ptr<ValueSequence> sequence) {
    auto list = std::make_shared<RtList>();
    list->object_ = std::move(sequence);
    return list;
}

void RtList::Initialize() {
    object_ = std::make_shared<ValueSequence>();
}

void RtList::Initialize2(const std::shared_ptr<RtList>& other) {
    object_ = other ? other->objectOrNull() : nullptr;
}

std::vector<Value>& RtList::growableItems() const {
    ValueSequence& items = sequence();
    if (!items.growable()) raise(u"ReadOnlyError", u"The list is read-only");
    return items.items;
}

void RtList::Clear() {
    growableItems().clear();
}

void RtList::Add(const Value& value) {
    growableItems().push_back(nullToMarker(value));
}

void RtList::AddAll(const std::shared_ptr<RtList>& other) {
    AddAllAt(Size(), other);
}

void RtList::AddAllAt(int32_t index, const std::shared_ptr<RtList>& other) {
    std::vector<Value>& items = growableItems();
    checkInsertionPoint(index, items.size());
    if (!other) raise(u"", u"Object was not initialized (%@)", {ValueSequence::kClassName});
    // A copy first: `other` may wrap this very sequence.
    const std::vector<Value> added = other->sequence().items;
    items.insert(items.begin() + index, added.begin(), added.end());
}

void RtList::RemoveAt(int32_t index) {
    std::vector<Value>& items = growableItems();
    checkIndex(index, items.size());
    items.erase(items.begin() + index);
}

void RtList::InsertAt(int32_t index, const Value& value) {
    std::vector<Value>& items = growableItems();
    checkInsertionPoint(index, items.size());
    items.insert(items.begin() + index, nullToMarker(value));
}

Value RtList::Get(int32_t index) const {
    const std::vector<Value>& items = sequence().items;
    checkIndex(index, items.size());
    return markerToNull(items[static_cast<size_t>(index)]);
}

void RtList::Set(int32_t index, const Value& value) {
    std::vector<Value>& items = growableItems();
    checkIndex(index, items.size());
    items[static_cast<size_t>(index)] = nullToMarker(value);
}

int32_t RtList::IndexOf(const Value& value) const {
    const std::vector<Value>& items = sequence().items;
    const Value wanted = nullToMarker(value);
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].equals(wanted)) return static_cast<int32_t>(i);
    }
    return -1;
}

void RtList::Sort(bool ascending) {
    sortBy(nullptr, ascending, false);
}

void RtList::SortCaseInsensitive(bool ascending) {
    sortBy(nullptr, ascending, true);
}

void RtList::SortType(const String& field, bool ascending) {
    sortBy(&field, ascending, false);
}

void RtList::SortTypeCaseInsensitive(const String& field, bool ascending) {
    sortBy(&field, ascending, true);
}

void RtList::sortBy(const String* field, bool ascending, bool ignoreCase) {
    std::vector<Value>& items = growableItems();
    if (items.size() < 2) return;

    // Every key is read and checked before anything moves, so the comparison cannot fail midway
    // and an error leaves the list as it was.
    std::vector<Value> keys;
    keys.reserve(items.size());
    for (const Value& item : items) keys.push_back(field ? readField(item, *field) : item);
    const bool numeric = keys.front().isNumber();
    for (const Value& key : keys) {
        if (numeric ? key.isNumber() : key.isString()) continue;
        raise(u"", u"Cannot compare %@ with %@", {key.description(), keys.front().description()});
    }

    std::vector<size_t> order(items.size());
    std::iota(order.begin(), order.end(), size_t{0});
    const int direction = ascending ? 1 : -1;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int result =
            numeric
                ? compareNumbers(*keys[a].number(), *keys[b].number())
                : (ignoreCase ? strings::compareIgnoringCase(*keys[a].string(), *keys[b].string())
                              : strings::CompareTo(*keys[a].string(), *keys[b].string()));
        return result * direction < 0;
    });

    std::vector<Value> sorted;
    sorted.reserve(items.size());
    for (size_t index : order) sorted.push_back(std::move(items[index]));
    items = std::move(sorted);
}

const MethodTable* RtList::methods() const {
    static const MethodTable table{
        MethodTable::operation("Initialize", &RtList::Initialize),
        MethodTable::operation("Initialize2:", &RtList::Initialize2),
        MethodTable::operation("IsInitialized", &RtList::IsInitialized),
        MethodTable::operation("IsReadOnly", &RtList::IsReadOnly),
        MethodTable::operation("Clear", &RtList::Clear),
        MethodTable::operation("Add:", &RtList::Add),
        MethodTable::operation("AddAll:", &RtList::AddAll),
        MethodTable::operation("AddAllAt::", &RtList::AddAllAt),
        MethodTable::operation("Size", &RtList::Size),
        MethodTable::operation("RemoveAt:", &RtList::RemoveAt),
        MethodTable::operation("InsertAt::", &RtList::InsertAt),
        MethodTable::operation("Get:", &RtList::Get),
        MethodTable::operation("Set::", &RtList::Set),
        MethodTable::operation("IndexOf:", &RtList::IndexOf),
        MethodTable::operation("Sort:", &RtList::Sort),
        MethodTable::operation("SortCaseInsensitive:", &RtList::SortCaseInsensitive),
        MethodTable::operation("SortType::", &RtList::SortType),
        MethodTable::operation("SortTypeCaseInsensitive::", &RtList::SortTypeCaseInsensitive),
    };
    return &table;
}

Value ArrayToList(const RtArray& array) {
    if (array.bytesData()) raise(u"", u"Cannot convert array of bytes to List.");
    if (!array.objectsData()) return Value();
    return Value(RtList::wrapping(array.objectsData()));
}

}  // namespace zemtra
