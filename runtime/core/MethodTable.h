// Tables of operations callable by name. Each entry is built from a C++ member function: its
// parameter and result kinds (the type codes the dynamic caller converts by) are derived from the
// signature, so no kind string is ever written by hand. Lookup is by the exact name with its
// colons, and a name whose colon count differs from the parameter count is rejected when the
// table is built.
#pragma once

#include <cstddef>
#include <cstring>
#include <functional>
#include <span>
#include <stdexcept>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "runtime/core/Object.h"
#include "runtime/core/RtException.h"

namespace zemtra {

// Lenient numeric reading of a text, as the platform's number accessors read strings: the
// longest numeric prefix after leading white space, 0 when there is none.
double leadingDouble(StringView text);

namespace kinds {

template <class T>
struct IsSharedObject : std::false_type {};
template <class T>
struct IsSharedObject<std::shared_ptr<T>> : std::bool_constant<std::is_base_of_v<Object, T>> {};

// A structure passed as raw bytes: trivially copyable, not a number, optionally naming its
// type code with a static kTypeCode (such as "{_NSRange=QQ}").
template <class T>
concept Structure = std::is_trivially_copyable_v<T> && std::is_class_v<T>;

template <class T>
constexpr std::string_view structureCode() {
    if constexpr (requires { T::kTypeCode; }) return T::kTypeCode;
    return "{?}";
}

// The type code of a parameter or result of C++ type T.
template <class T>
constexpr std::string_view of() {
    if constexpr (std::is_void_v<T>)
        return "v";
    else if constexpr (std::is_same_v<T, bool>)
        return "B";
    else if constexpr (std::is_same_v<T, int8_t>)
        return "c";
    else if constexpr (std::is_same_v<T, uint8_t>)
        return "C";
    else if constexpr (std::is_same_v<T, int16_t>)
        return "s";
    else if constexpr (std::is_same_v<T, uint16_t> || std::is_same_v<T, char16_t>)
        return "S";
    else if constexpr (std::is_same_v<T, int32_t>)
        return "i";
    else if constexpr (std::is_same_v<T, uint32_t>)
        return "I";
    else if constexpr (std::is_same_v<T, int64_t>)
        return "q";
    else if constexpr (std::is_same_v<T, uint64_t>)
        return "Q";
    else if constexpr (std::is_same_v<T, double>)
        return "d";
    else if constexpr (std::is_same_v<T, float>)
        return "f";
    else if constexpr (std::is_same_v<T, Value> || std::is_same_v<T, String> ||
                       IsSharedObject<T>::value)
        return "@";
    else if constexpr (Structure<T>)
        return structureCode<T>();
    else
        static_assert(sizeof(T) == 0, "no dynamic-call kind for this C++ type");
}

// Reads a number-like element the way the platform's accessors do (strings leniently, anything
// else as 0); Double to integer truncates toward zero.
Number numberFrom(const Value& element);

template <class T>
T argument(const Value& element) {
    if constexpr (std::is_same_v<T, Value>) {
        return element.isNullOrMarker() ? Value() : element;
    } else if constexpr (std::is_same_v<T, String>) {
        if (element.isNullOrMarker()) return String();
        if (const String* text = element.string()) return *text;
        return element.description();
    } else if constexpr (IsSharedObject<T>::value) {
        using Target = typename T::element_type;
        if (element.isNullOrMarker()) return nullptr;
        auto typed = element.as<Target>();
        if (!typed) {
            String expected = u"object";
            if constexpr (requires { Target::kClassName; }) expected = String(Target::kClassName);
            const String actual =
                element.object() ? element.object()->className() : element.description();
            raise(u"Invalid object type", u"Expected: %@, object type: %@", {expected, actual});
        }
        return typed;
    } else if constexpr (Structure<T>) {
        const auto buffer = element.as<ByteBuffer>();
        if (!buffer) {
            const std::string_view code = structureCode<T>();
            raise(u"Unsupported type", u"Unsupported type %s", {String(code.begin(), code.end())});
        }
        T value{};
        std::memcpy(&value, buffer->bytes.data(), std::min(sizeof(T), buffer->bytes.size()));
        return value;
    } else {
        const Number number = numberFrom(element);
        if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, int8_t>)
            return static_cast<T>(number.toBoolean());
        else if constexpr (std::is_same_v<T, double>)
            return number.toDouble();
        else if constexpr (std::is_same_v<T, float>)
            return number.toFloat();
        else if constexpr (std::is_same_v<T, int64_t> || std::is_same_v<T, uint64_t>)
            return static_cast<T>(number.toLong());
        else if constexpr (std::is_same_v<T, int32_t> || std::is_same_v<T, uint32_t>)
            return static_cast<T>(number.toInt());
        else if constexpr (std::is_same_v<T, int16_t>)
            return number.toShort();
        else if constexpr (std::is_same_v<T, uint16_t> || std::is_same_v<T, char16_t>)
            return static_cast<T>(number.toUnsignedShort());
        else
            return static_cast<T>(number.toUnsignedByte());
    }
}

// Parameters without an element stay zero or absent.
template <class T>
T argumentAt(std::span<const Value> arguments, size_t index) {
    if (index >= arguments.size()) {
        if constexpr (std::is_same_v<T, Value> || std::is_same_v<T, String> ||
                      IsSharedObject<T>::value)
            return T();
        else
            return T{};
    }
    return argument<T>(arguments[index]);
}

// Logs "Converting unknown type to NSData (%s)" and answers the raw bytes (see RtCore).
Value unknownResult(std::string_view typeCode, const void* bytes, size_t size);

template <class T>
Value result(T&& value) {
    using R = std::decay_t<T>;
    if constexpr (std::is_same_v<R, Value>)
        return std::forward<T>(value);
    else if constexpr (std::is_same_v<R, String>)
        return Value(std::forward<T>(value));
    else if constexpr (IsSharedObject<R>::value)
        return Value(std::forward<T>(value));
    else if constexpr (std::is_same_v<R, bool> || std::is_same_v<R, int8_t>)
        return Value::ofBoolean(value != 0);
    else if constexpr (std::is_same_v<R, uint8_t>)
        return Value(Number::ofUnsignedByte(value));
    else if constexpr (std::is_same_v<R, int16_t>)
        return Value::ofShort(value);
    else if constexpr (std::is_same_v<R, uint16_t> || std::is_same_v<R, char16_t>)
        return Value::ofChar(static_cast<char16_t>(value));
    else if constexpr (std::is_same_v<R, int32_t> || std::is_same_v<R, uint32_t>)
        return Value::ofInt(static_cast<int32_t>(value));
    else if constexpr (std::is_same_v<R, int64_t> || std::is_same_v<R, uint64_t>)
        return Value::ofLong(static_cast<int64_t>(value));
    else if constexpr (std::is_same_v<R, double>)
        return Value::ofDouble(value);
    else if constexpr (std::is_same_v<R, float>)
        return Value::ofFloat(value);
    else
        return unknownResult(structureCode<R>(), &value, sizeof(R));
}

}  // namespace kinds

struct Method {
    String name;
    std::vector<std::string_view> parameterKinds;
    std::string_view resultKind;  // "v": no result

    Value call(Object& self, std::span<const Value> arguments) const {
        return invoke(*this, self, arguments);
    }

    // A plain function and the member-function pointer's bytes rather than a std::function: this
    // is the hot path of every event.
    Value (*invoke)(const Method& method, Object& self, std::span<const Value> arguments) = nullptr;
    alignas(std::max_align_t) unsigned char function[2 * sizeof(void*)] = {};
    bool answersEmptyText = false;
};

// A name given in two pieces ("_" and an event name) so dispatch can look it up without
// building the joined string.
struct NamePieces {
    StringView head;
    StringView tail;
};

class MethodTable {
  public:
    // `base` (may be null) is searched when a name is not found here, for derived classes.
    MethodTable(std::initializer_list<Method> methods, const MethodTable* base = nullptr);

    const Method* find(StringView name) const { return find(NamePieces{StringView(), name}); }
    const Method* find(NamePieces name) const;

    // An operation: a void member function has no result.
    template <class C, class R, class... A>
    static Method operation(std::string_view name, R (C::*function)(A...)) {
        return make<C, R, A...>(name, function, false);
    }
    template <class C, class R, class... A>
    static Method operation(std::string_view name, R (C::*function)(A...) const) {
        return make<C, R, A...>(name, function, false);
    }
    // A module sub or event handler: one declared without a result answers "".
    template <class C, class R, class... A>
    static Method sub(std::string_view name, R (C::*function)(A...)) {
        return make<C, R, A...>(name, function, true);
    }

  private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(NamePieces name) const;
        size_t operator()(const String& name) const {
            return (*this)(NamePieces{StringView(), name});
        }
    };
    struct Equal {
        using is_transparent = void;
        bool operator()(const String& a, const String& b) const { return a == b; }
        bool operator()(const String& a, NamePieces b) const {
            return a.size() == b.head.size() + b.tail.size() && StringView(a).starts_with(b.head) &&
                   StringView(a).substr(b.head.size()) == b.tail;
        }
        bool operator()(NamePieces a, const String& b) const { return (*this)(b, a); }
    };

    template <class C, class R, class... A, class F>
    static Method make(std::string_view name, F function, bool answersEmptyText) {
        static_assert(sizeof(F) <= sizeof(Method::function),
                      "member function pointer does not fit");
        checkArity(name, sizeof...(A));
        Method method;
        method.name = String(name.begin(), name.end());
        method.parameterKinds = {kinds::of<std::decay_t<A>>()...};
        method.resultKind =
            std::is_void_v<R> && answersEmptyText ? "@" : kinds::of<std::decay_t<R>>();
        method.answersEmptyText = answersEmptyText;
        std::memcpy(method.function, &function, sizeof(F));
        method.invoke = [](const Method& self, Object& target,
                           std::span<const Value> arguments) -> Value {
            checkCount(arguments.size(), sizeof...(A));
            F stored;
            std::memcpy(&stored, self.function, sizeof(F));
            return invoke<C, R, A...>(static_cast<C&>(target), stored, arguments,
                                      self.answersEmptyText, std::index_sequence_for<A...>());
        };
        return method;
    }

    template <class C, class R, class... A, class F, size_t... I>
    static Value invoke(C& self, F function, std::span<const Value> arguments,
                        bool answersEmptyText, std::index_sequence<I...>) {
        if constexpr (std::is_void_v<R>) {
            (self.*function)(kinds::argumentAt<std::decay_t<A>>(arguments, I)...);
            return answersEmptyText ? Value(String()) : Value();
        } else {
            return kinds::result(
                (self.*function)(kinds::argumentAt<std::decay_t<A>>(arguments, I)...));
        }
    }

    static void checkArity(std::string_view name, size_t parameterCount);
    static void checkCount(size_t argumentCount, size_t parameterCount);

    std::unordered_map<String, Method, Hash, Equal> methods_;
    const MethodTable* base_;
};

}  // namespace zemtra
