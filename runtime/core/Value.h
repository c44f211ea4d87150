// The value model: boxed numbers that keep their type tag, the null marker that stands for Null
// inside collections, UTF-16 strings and references to runtime objects.
//
// A Value is cheap to copy (objects are shared, strings are copied). Null (the absent reference)
// and the null marker are different values: collections store the marker, module code sees Null.
#pragma once

#include <cstdint>
#include <memory>
#include <variant>

#include "runtime/core/Text.h"

namespace zemtra {

class Object;
using ObjectRef = std::shared_ptr<Object>;

// The process-wide null marker; every marker equals every other one.
struct NullMarker {
    bool operator==(const NullMarker&) const = default;
};
inline constexpr NullMarker kNullMarker{};

// A boxed number. The tag is the type code of the value it was made from: 'i' Int, 'q' Long,
// 'd' Double, 'f' Float, 's' Short, 'c' Byte, 'S' Char, 'B' Boolean, 'C' unsigned byte.
class Number {
  public:
    static Number ofInt(int32_t value) { return Number('i', int64_t{value}); }
    static Number ofLong(int64_t value) { return Number('q', value); }
    static Number ofShort(int16_t value) { return Number('s', int64_t{value}); }
    static Number ofByte(int8_t value) { return Number('c', int64_t{value}); }
    static Number ofUnsignedByte(uint8_t value) { return Number('C', int64_t{value}); }
    static Number ofChar(char16_t value) { return Number('S', static_cast<int64_t>(value)); }
    static Number ofBoolean(bool value) { return Number('B', int64_t{value ? 1 : 0}); }
    static Number ofDouble(double value) { return Number('d', value); }
    static Number ofFloat(float value) { return Number('f', static_cast<double>(value)); }

    char tag() const { return tag_; }
    bool isFloatingPoint() const { return tag_ == 'd' || tag_ == 'f'; }

    double toDouble() const { return isFloatingPoint() ? real_ : static_cast<double>(integer_); }
    float toFloat() const { return static_cast<float>(toDouble()); }
    // Floating-point values are truncated toward zero; values out of range saturate, NaN gives 0.
    int64_t toLong() const;
    // The platform's narrowing accessors: the 64-bit value cut to the width (two's complement).
    int32_t toInt() const { return static_cast<int32_t>(static_cast<uint32_t>(toLong())); }
    int16_t toShort() const { return static_cast<int16_t>(static_cast<uint16_t>(toLong())); }
    uint16_t toUnsignedShort() const { return static_cast<uint16_t>(toLong()); }
    uint8_t toUnsignedByte() const { return static_cast<uint8_t>(toLong()); }
    bool toBoolean() const { return isFloatingPoint() ? real_ != 0.0 : integer_ != 0; }

    // Equal when the numeric values are equal, whatever the tags (Int 3 equals Double 3.0).
    bool operator==(const Number& other) const;

  private:
    Number(char tag, int64_t value) : tag_(tag), integer_(value) {}
    Number(char tag, double value) : tag_(tag), real_(value) {}

    char tag_;
    union {
        int64_t integer_;
        double real_;
    };
};

class Value {
  public:
    Value() = default;  // Null
    Value(std::nullptr_t) {}
    Value(NullMarker marker) : v_(marker) {}
    Value(Number number) : v_(number) {}
    Value(String text) : v_(std::move(text)) {}
    Value(StringView text) : v_(String(text)) {}
    Value(const char16_t* text) : v_(String(text)) {}
    template <class T>
    requires std::derived_from<T, Object> Value(std::shared_ptr<T> object) {
        if (object) v_ = ObjectRef(std::move(object));
    }
    // No silent boxing: numbers must say their type (Value::ofInt, Value::ofDouble, ...).
    Value(bool) = delete;
    Value(int) = delete;
    Value(double) = delete;
    Value(const char*) = delete;

    static Value ofInt(int32_t v) { return Number::ofInt(v); }
    static Value ofLong(int64_t v) { return Number::ofLong(v); }
    static Value ofDouble(double v) { return Number::ofDouble(v); }
    static Value ofFloat(float v) { return Number::ofFloat(v); }
    static Value ofShort(int16_t v) { return Number::ofShort(v); }
    static Value ofByte(int8_t v) { return Number::ofByte(v); }
    static Value ofChar(char16_t v) { return Number::ofChar(v); }
    static Value ofBoolean(bool v) { return Number::ofBoolean(v); }

    bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
    bool isNullMarker() const { return std::holds_alternative<NullMarker>(v_); }
    bool isNullOrMarker() const { return isNull() || isNullMarker(); }
    bool isNumber() const { return std::holds_alternative<Number>(v_); }
    bool isString() const { return std::holds_alternative<String>(v_); }
    bool isObject() const { return std::holds_alternative<ObjectRef>(v_); }

    const Number* number() const { return std::get_if<Number>(&v_); }
    const String* string() const { return std::get_if<String>(&v_); }
    // The referenced object, or nullptr for Null, the marker, numbers and strings.
    const ObjectRef& object() const;
    template <class T>
    std::shared_ptr<T> as() const {
        return std::dynamic_pointer_cast<T>(object());
    }

    // The platform description: "(null)" for Null, "<null>" for the marker, NumberToString for
    // numbers, the text itself for strings, the object's description otherwise.
    String description() const;

    // Object equality: numbers by value, strings by code units, objects by their isEqual.
    bool equals(const Value& other) const;
    size_t hash() const;

  private:
    std::variant<std::monostate, NullMarker, Number, String, ObjectRef> v_;
};

// nilToNSNull: / NSNullToNil: of the value model.
inline Value nullToMarker(Value value) {
    return value.isNull() ? Value(kNullMarker) : value;
}
inline Value markerToNull(Value value) {
    return value.isNullMarker() ? Value() : value;
}

// Decimal text of a boxed number chosen by its type tag (the NumberToString: rule).
String numberToString(const Number& number);

}  // namespace zemtra
