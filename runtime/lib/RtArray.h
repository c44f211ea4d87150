// The fixed-size array of the value model: object slots (strings, boxed numbers, objects) or a
// block of raw bytes, with one or more dimensions laid out by strides.
//
// Every index operation turns its indexes into one slot number and compares it, as unsigned,
// with the slot count, so negative slots fail too; a failure raises with an empty name and
// "Out of bounds. Index=%d Length=%d" and changes nothing. Individual indexes of a
// multi-dimensional access are not checked against their own dimension, only the final slot.
// The fast one-dimensional operations do that one comparison and one slot access and nothing
// else. Object operations on a byte array (and byte operations on an object array) see no slots
// and fail the same way. Main thread only.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <vector>

#include "runtime/core/Object.h"
#include "runtime/lib/ValueSequence.h"

namespace zemtra {

class RtArray final : public Object {
  public:
    static constexpr StringView kClassName = u"RtArray";
    String className() const override { return String(kClassName); }
    String description() const override;
    const MethodTable* methods() const override;

    // An array over values already made (one dimension), over shared bytes (the platform's data
    // object, no copy) and over a copy of raw bytes.
    static std::shared_ptr<RtArray> ofValues(std::vector<Value> values);
    static std::shared_ptr<RtArray> ofBuffer(std::shared_ptr<ByteBuffer> bytes);
    static std::shared_ptr<RtArray> ofBytes(std::vector<uint8_t> bytes);

    // Object array with the given dimension sizes (see calcRanks). With a default value every
    // slot holds that value; with a Null default every slot gets a new instance of the class
    // registered under `className` (ClassRegistry), and an unknown class raises. A negative size
    // or more than 2^31-1 slots raises and leaves the array unchanged.
    void initObjects(const std::vector<int32_t>& sizes, const Value& defaultValue,
                     StringView className);
    // One dimension holding the values in order; Null elements become the null marker.
    void initObjectsWithData(std::vector<Value> values);
    // Byte array with the given dimension sizes, every byte 0.
    void initBytes(const std::vector<int32_t>& sizes);
    // One dimension; each element's low 8 bits become one byte (texts read leniently).
    void initBytesWithData(std::span<const Value> numbers);

    // One-dimensional object access; Null is stored as the null marker and read back as Null.
    Value getObjectFast(int32_t index) const {
        const Value& value = slot(index);
        return value.isNullMarker() ? Value() : value;
    }
    void setObjectFast(int32_t index, const Value& value) { slot(index) = nullToMarker(value); }
    // One- and two-dimensional access for number arrays: the boxed number is stored and returned
    // unchanged (no Null conversion).
    Value getObjectFastN(int32_t index) const { return slot(index); }
    void setObjectFastN(int32_t index, const Value& number) { slot(index) = number; }
    Value getObject2FastN(int32_t index0, int32_t index1) const {
        return slot(slot2(index0, index1));
    }
    void setObject2FastN(int32_t index0, int32_t index1, const Value& number) {
        slot(slot2(index0, index1)) = number;
    }
    // Any number of dimensions: exactly one index per dimension (another count raises).
    Value getObject(std::span<const int32_t> indexes) const {
        const Value& value = slot(normalizedIndex(indexes));
        return value.isNullMarker() ? Value() : value;
    }
    Value getObject(std::initializer_list<int32_t> indexes) const {
        return getObject(std::span(indexes));
    }
    void setObject(std::span<const int32_t> indexes, const Value& value) {
        slot(normalizedIndex(indexes)) = nullToMarker(value);
    }
    void setObject(std::initializer_list<int32_t> indexes, const Value& value) {
        setObject(std::span(indexes), value);
    }

    // Byte access (signed, as the Byte kind); stores the number's low 8 bits.
    int8_t getByteFast(int32_t index) const { return static_cast<int8_t>(byte(index)); }
    void setByteFast(int32_t index, const Value& number);
    int8_t getByte(std::span<const int32_t> indexes) const {
        return static_cast<int8_t>(byte(normalizedIndex(indexes)));
    }
    int8_t getByte(std::initializer_list<int32_t> indexes) const {
        return getByte(std::span(indexes));
    }
    void setByte(std::span<const int32_t> indexes, const Value& number) {
        byte(normalizedIndex(indexes)) = lowByte(number);
    }
    void setByte(std::initializer_list<int32_t> indexes, const Value& number) {
        setByte(std::span(indexes), number);
    }

    // Object arrays: getObjectFast:. Byte arrays: the byte as an unsigned number 0 to 255.
    Value Get(int32_t index) const;
    // Number of slots: object count, else byte count, else 0.
    int32_t Length() const;
    int32_t Size() const { return Length(); }

    // The storage, shared with lists (ArrayToList:), files, streams and text decoding. At most one
    // is set; an array given no storage has neither.
    const std::shared_ptr<ValueSequence>& objectsData() const { return objects_; }
    const std::shared_ptr<ByteBuffer>& bytesData() const { return bytes_; }
    const std::vector<int32_t>& ranks() const { return ranks_; }

    // Strides of the dimension sizes s0..s(n-1): stride[n-1-i] = s0 * ... * s(i-1), so the last
    // stride is 1; answers the total slot count. Raises for a negative size or an overflow.
    static int32_t calcRanks(std::span<const int32_t> sizes, std::vector<int32_t>& strides);
    // The slot of an index list: the sum of stride[i] * index[i] (not range-checked here).
    int64_t normalizedIndex(std::span<const int32_t> indexes) const;

  private:
    [[noreturn]] static void outOfBounds(int64_t slot, size_t length);

    // The storage is shared, not owned by value, so a const array can hand out a slot to write.
    Value& slot(int64_t index) const {
        const size_t count = objects_ ? objects_->items.size() : 0;
        if (static_cast<uint64_t>(index) >= count) outOfBounds(index, count);
        return objects_->items[static_cast<size_t>(index)];
    }
    uint8_t& byte(int64_t index) const {
        const size_t count = bytes_ ? bytes_->bytes.size() : 0;
        if (static_cast<uint64_t>(index) >= count) outOfBounds(index, count);
        return bytes_->bytes[static_cast<size_t>(index)];
    }
    // The number's low 8 bits (texts read leniently).
    static uint8_t lowByte(const Value& number);
    int64_t slot2(int32_t index0, int32_t index1) const {
        return int64_t{index0} * (ranks_.empty() ? 0 : ranks_[0]) + index1;
    }

    // The by-name forms of the operations that take an array of indexes or values.
    Value getObjectByName(const Value& indexes) const;
    void setObjectByName(const Value& indexes, const Value& value);
    void initObjectsByName(const Value& sizes, const Value& defaultValue, const String& className);
    void initObjectsWithDataByName(const Value& values);
    void initBytesByName(const Value& sizes);
    void initBytesWithDataByName(const Value& numbers);

    std::shared_ptr<ValueSequence> objects_;
    std::shared_ptr<ByteBuffer> bytes_;
    std::vector<int32_t> ranks_;
};

// The elements of an object array, a list or a sequence given as a value (for operations called
// by name with "an array of ..."); raises "Invalid object type" for anything else.
std::vector<Value> elementsOf(const Value& array);

}  // namespace zemtra
