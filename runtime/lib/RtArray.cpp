// Array storage, strides and the by-name operation table.
#include "runtime/lib/RtArray.h"

#include <limits>

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtException.h"
#include "runtime/lib/ClassRegistry.h"
#include "runtime/lib/RtList.h"

namespace zemtra {

namespace {

std::vector<int32_t> integersOf(const Value& array) {
    std::vector<int32_t> out;
    for (const Value& element : elementsOf(array))
        out.push_back(kinds::numberFrom(element).toInt());
    return out;
}

}  // namespace

uint8_t RtArray::lowByte(const Value& number) {
    return static_cast<uint8_t>(kinds::numberFrom(number).toLong() & 0xFF);
}

std::vector<Value> elementsOf(const Value& array) {
    if (const auto rtArray = array.as<RtArray>()) {
        if (const auto& objects = rtArray->objectsData()) return objects->items;
        std::vector<Value> out;
        if (const auto& bytes = rtArray->bytesData()) {
            for (uint8_t b : bytes->bytes) out.emplace_back(Number::ofUnsignedByte(b));
        }
        return out;
    }
    if (const auto list = array.as<RtList>()) return list->sequence().items;
    if (const auto sequence = array.as<ValueSequence>()) return sequence->items;
    const String actual = array.object() ? array.object()->className() : array.description();
    raise(u"Invalid object type", u"Expected: %@, object type: %@", {RtArray::kClassName, actual});
}

std::shared_ptr<RtArray> RtArray::ofValues(std::vector<Value> values) {
    auto array = std::make_shared<RtArray>();
    array->initObjectsWithData(std::move(values));
    return array;
}

std::shared_ptr<RtArray> RtArray::ofBuffer(std::shared_ptr<ByteBuffer> bytes) {
    auto array = std::make_shared<RtArray>();
    if (!bytes) return array;
    array->bytes_ = std::move(bytes);
    array->ranks_ = {1};
    return array;
}

std::shared_ptr<RtArray> RtArray::ofBytes(std::vector<uint8_t> bytes) {
    return ofBuffer(std::make_shared<ByteBuffer>(std::move(bytes)));
}

int32_t RtArray::calcRanks(std::span<const int32_t> sizes, std::vector<int32_t>& strides) {
    std::vector<int32_t> result(sizes.size());
    int64_t product = 1;
    for (size_t i = 0; i < sizes.size(); ++i) {
        if (sizes[i] < 0) raise(u"", u"Invalid array size: %d", {decimal(sizes[i])});
        result[sizes.size() - 1 - i] = static_cast<int32_t>(product);
        product *= sizes[i];
        if (product > std::numeric_limits<int32_t>::max()) {
            raise(u"", u"Array too large: %lli slots", {decimal(product)});
        }
    }
    strides = std::move(result);
    return static_cast<int32_t>(product);
}

int64_t RtArray::normalizedIndex(std::span<const int32_t> indexes) const {
    if (indexes.size() != ranks_.size()) {
        raise(u"", u"Wrong number of indexes: %d for %d dimensions",
              {decimal(static_cast<long long>(indexes.size())),
               decimal(static_cast<long long>(ranks_.size()))});
    }
    // 64-bit so that large indexes cannot wrap around to a valid slot.
    int64_t slot = 0;
    for (size_t i = 0; i < indexes.size(); ++i) slot += int64_t{ranks_[i]} * indexes[i];
    return slot;
}

void RtArray::outOfBounds(int64_t slot, size_t length) {
    raise(u"", u"Out of bounds. Index=%d Length=%d",
          {decimal(slot), decimal(static_cast<long long>(length))});
}

void RtArray::initObjects(const std::vector<int32_t>& sizes, const Value& defaultValue,
                          StringView className) {
    std::vector<int32_t> strides;
    const int32_t total = calcRanks(sizes, strides);
    std::vector<Value> items;
    if (!defaultValue.isNull()) {
        items.assign(static_cast<size_t>(total), defaultValue);
    } else {
        const ClassRegistry& registry = ClassRegistry::instance();
        if (!registry.contains(className)) raise(u"", u"Unknown class: %@", {className});
        items.reserve(static_cast<size_t>(total));
        for (int32_t i = 0; i < total; ++i) items.emplace_back(registry.create(className));
    }
    objects_ = std::make_shared<ValueSequence>(std::move(items));
    bytes_.reset();
    ranks_ = std::move(strides);
}

void RtArray::initObjectsWithData(std::vector<Value> values) {
    for (Value& value : values) {
        if (value.isNull()) value = kNullMarker;
    }
    objects_ = std::make_shared<ValueSequence>(std::move(values));
    bytes_.reset();
    ranks_ = {1};
}

void RtArray::initBytes(const std::vector<int32_t>& sizes) {
    std::vector<int32_t> strides;
    const int32_t total = calcRanks(sizes, strides);
    bytes_ = std::make_shared<ByteBuffer>(std::vector<uint8_t>(static_cast<size_t>(total), 0));
    objects_.reset();
    ranks_ = std::move(strides);
}

void RtArray::initBytesWithData(std::span<const Value> numbers) {
    std::vector<uint8_t> bytes;
    bytes.reserve(numbers.size());
    for (const Value& number : numbers) bytes.push_back(lowByte(number));
    bytes_ = std::make_shared<ByteBuffer>(std::move(bytes));
    objects_.reset();
    ranks_ = {1};
}

void RtArray::setByteFast(int32_t index, const Value& number) {
    const uint8_t value = lowByte(number);
    byte(index) = value;
}

Value RtArray::Get(int32_t index) const {
    if (bytes_) return Value(Number::ofUnsignedByte(byte(index)));
    return getObjectFast(index);
}

int32_t RtArray::Length() const {
    if (objects_) return static_cast<int32_t>(objects_->items.size());
    if (bytes_) return static_cast<int32_t>(bytes_->bytes.size());
    return 0;
}

String RtArray::description() const {
    if (objects_) return objects_->description();
    if (bytes_) return bytes_->description();
    return u"(\n)";
}

Value RtArray::getObjectByName(const Value& indexes) const {
    return getObject(integersOf(indexes));
}

void RtArray::setObjectByName(const Value& indexes, const Value& value) {
    setObject(integersOf(indexes), value);
}

void RtArray::initObjectsByName(const Value& sizes, const Value& defaultValue,
                                const String& className) {
    initObjects(integersOf(sizes), defaultValue, className);
}

void RtArray::initObjectsWithDataByName(const Value& values) {
    initObjectsWithData(elementsOf(values));
}

void RtArray::initBytesByName(const Value& sizes) {
    initBytes(integersOf(sizes));
}

void RtArray::initBytesWithDataByName(const Value& numbers) {
    initBytesWithData(elementsOf(numbers));
}

const MethodTable* RtArray::methods() const {
    static const MethodTable table{
        MethodTable::operation("initObjects:::", &RtArray::initObjectsByName),
        MethodTable::operation("initObjectsWithData:", &RtArray::initObjectsWithDataByName),
        MethodTable::operation("initBytes:", &RtArray::initBytesByName),
        MethodTable::operation("initBytesWithData:", &RtArray::initBytesWithDataByName),
        MethodTable::operation("getObjectFast:", &RtArray::getObjectFast),
        MethodTable::operation("setObjectFast::", &RtArray::setObjectFast),
        MethodTable::operation("getObjectFastN:", &RtArray::getObjectFastN),
        MethodTable::operation("setObjectFastN::", &RtArray::setObjectFastN),
        MethodTable::operation("getObject2FastN::", &RtArray::getObject2FastN),
        MethodTable::operation("setObject2FastN:::", &RtArray::setObject2FastN),
        MethodTable::operation("getObject:", &RtArray::getObjectByName),
        MethodTable::operation("setObject::", &RtArray::setObjectByName),
        MethodTable::operation("Get:", &RtArray::Get),
        MethodTable::operation("Length", &RtArray::Length),
        MethodTable::operation("Size", &RtArray::Size),
    };
    return &table;
}

}  // namespace zemtra
