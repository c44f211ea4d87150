// Root object behaviour, the value model's descriptions and equality, and number formatting.
#include "runtime/core/Object.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <limits>

namespace zemtra {

Object::~Object() = default;

String Object::description() const {
    return u"<" + className() + u">";
}

bool Object::isEqual(const Value& other) const {
    return other.object().get() == this;
}

size_t Object::hash() const {
    return std::hash<const void*>()(this);
}

AttachedMap& Object::attachedMap() {
    if (!attached_) attached_ = std::make_unique<AttachedMap>();
    return *attached_;
}

String classNameOf(const Value& value) {
    if (value.isNull()) return u"(null)";
    if (value.isNullMarker()) return u"NullMarker";
    if (value.isNumber()) return u"Number";
    if (value.isString()) return u"String";
    return value.object()->className();
}

String ByteBuffer::description() const {
    static constexpr char16_t kHex[] = u"0123456789abcdef";
    String out = u"{length = " + decimal(static_cast<long long>(bytes.size())) + u", bytes = 0x";
    for (uint8_t byte : bytes) {
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
    }
    return out + u"}";
}

bool ByteBuffer::isEqual(const Value& other) const {
    const auto buffer = other.as<ByteBuffer>();
    return buffer && buffer->bytes == bytes;
}

size_t ByteBuffer::hash() const {
    return std::hash<std::string_view>()(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

int64_t Number::toLong() const {
    if (!isFloatingPoint()) return integer_;
    if (std::isnan(real_)) return 0;
    if (real_ >= 9223372036854775807.0) return std::numeric_limits<int64_t>::max();
    if (real_ <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(real_);
}

bool Number::operator==(const Number& other) const {
    if (!isFloatingPoint() && !other.isFloatingPoint()) return integer_ == other.integer_;
    return toDouble() == other.toDouble();
}

namespace {

// %0.<precision>g, always with "." and independent of the C locale.
String formatGeneral(double value, int precision) {
    if (std::isnan(value)) return u"nan";
    if (std::isinf(value)) return value < 0 ? u"-inf" : u"inf";
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    return String(buffer, result.ptr);
}

}  // namespace

String numberToString(const Number& number) {
    switch (number.tag()) {
        case 'd':
            return formatGeneral(number.toDouble(), 16);
        case 'f':
            return formatGeneral(number.toDouble(), 7);
        default:
            return decimal(number.toLong());
    }
}

const ObjectRef& Value::object() const {
    static const ObjectRef kNone;
    const ObjectRef* object = std::get_if<ObjectRef>(&v_);
    return object ? *object : kNone;
}

String Value::description() const {
    switch (v_.index()) {
        case 0:
            return u"(null)";
        case 1:
            return u"<null>";
        case 2:
            return numberToString(std::get<Number>(v_));
        case 3:
            return std::get<String>(v_);
        default:
            return std::get<ObjectRef>(v_)->description();
    }
}

bool Value::equals(const Value& other) const {
    if (const ObjectRef& mine = object()) return mine->isEqual(other);
    if (other.isObject()) return other.object()->isEqual(*this);
    return v_ == other.v_;
}

size_t Value::hash() const {
    switch (v_.index()) {
        case 0:
        case 1:
            return v_.index();
        case 2:
            return std::hash<double>()(std::get<Number>(v_).toDouble());
        case 3:
            return std::hash<String>()(std::get<String>(v_));
        default:
            return std::get<ObjectRef>(v_)->hash();
    }
}

}  // namespace zemtra
