// Native object: operations and properties by name through the dynamic caller.
#include "runtime/core/RtNativeObject.h"

#include <cstring>
#include <vector>

#include "runtime/core/Conversions.h"
#include "runtime/core/MethodTable.h"
#include "runtime/core/Module.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"

namespace zemtra {

namespace {

template <class T>
std::shared_ptr<ByteBuffer> bufferOf(const T& value) {
    std::vector<uint8_t> bytes(sizeof(T));
    std::memcpy(bytes.data(), &value, sizeof(T));
    return std::make_shared<ByteBuffer>(std::move(bytes));
}

// The elements of an argument array, read through the array's own operations so that this layer
// needs no collection class.
std::vector<Value> argumentsOf(const Value& arguments) {
    if (arguments.isNullOrMarker()) return {};
    const Value length = RtCore::runDynamicMethod(arguments, StringView(u"Length"), true);
    const int64_t count = length.number() ? length.number()->toLong() : 0;
    std::vector<Value> elements;
    elements.reserve(static_cast<size_t>(std::max<int64_t>(count, 0)));
    for (int32_t index = 0; index < count; ++index) {
        const Value at[] = {Value::ofInt(index)};
        elements.push_back(
            RtCore::runDynamicMethod(arguments, StringView(u"getObjectFast:"), true, at));
    }
    return elements;
}

}  // namespace

const ClassInfo* RtNativeObject::getClass() const {
    static const ClassInfo root{u"NSObject", [](const Object&) { return true; }};
    return &root;
}

const MethodTable* RtNativeObject::methods() const {
    static const MethodTable table{
        MethodTable::operation("Initialize:", &RtNativeObject::Initialize),
        MethodTable::operation("IsInitialized", &RtNativeObject::IsInitialized),
        MethodTable::operation("RunMethod::", &RtNativeObject::RunMethod),
        MethodTable::operation("RunMethodWithBlocks::", &RtNativeObject::RunMethodWithBlocks),
        MethodTable::operation("GetField:", &RtNativeObject::GetField),
        MethodTable::operation("SetField::", &RtNativeObject::SetField),
        MethodTable::operation("AsString", &RtNativeObject::AsString),
        MethodTable::operation("AsNumber", &RtNativeObject::AsNumber),
        MethodTable::operation("AsBoolean", &RtNativeObject::AsBoolean),
        MethodTable::operation("MakeRange::", &RtNativeObject::MakeRange),
        MethodTable::operation("MakePoint::", &RtNativeObject::MakePoint),
        MethodTable::operation("MakeSize::", &RtNativeObject::MakeSize),
        MethodTable::operation("MakeRect::::", &RtNativeObject::MakeRect),
    };
    return &table;
}

String RtNativeObject::description() const {
    return IsInitialized() ? wrapped_.description() : String(u"(NativeObject) Not initialized");
}

std::shared_ptr<RtNativeObject> RtNativeObject::wrap(const Value& value) {
    auto native = std::make_shared<RtNativeObject>();
    native->set(value);
    return native;
}

void RtNativeObject::set(const Value& value) {
    wrapped_ = markerToNull(value);
    setObject(wrapped_.object() ? wrapped_ : Value());
}

const Value& RtNativeObject::wrapped() const {
    if (!IsInitialized()) raise(u"", u"Object was not initialized (%@)", {StringView(u"NSObject")});
    return wrapped_;
}

void RtNativeObject::Initialize(const String& className) {
    set(StaticModules::NewByName(className));
}

std::shared_ptr<RtNativeObject> RtNativeObject::RunMethod(const String& method,
                                                          const Value& arguments) {
    const std::vector<Value> elements = argumentsOf(arguments);
    return runMethod(method, elements);
}

std::shared_ptr<RtNativeObject> RtNativeObject::runMethod(StringView method,
                                                          std::span<const Value> arguments) {
    return wrap(RtCore::runDynamicMethod(wrapped(), method, true, arguments));
}

std::shared_ptr<RtNativeObject> RtNativeObject::GetField(const String& name) {
    return runMethod(name, {});
}

void RtNativeObject::SetField(const String& name, const Value& value) {
    String setter = u"set" + name + u":";
    if (!name.empty() && name[0] >= u'a' && name[0] <= u'z')
        setter[3] = static_cast<char16_t>(name[0] - u'a' + u'A');
    const Value arguments[] = {value};
    RtCore::runDynamicMethod(wrapped(), setter, true, arguments);
}

String RtNativeObject::AsString() const {
    return IsInitialized() ? objectToString(wrapped_) : String(u"null");
}

Value RtNativeObject::AsNumber() const {
    return Value(objectToNumber(IsInitialized() ? wrapped_ : Value()));
}

bool RtNativeObject::AsBoolean() const {
    return objectToBoolean(IsInitialized() ? wrapped_ : Value());
}

std::shared_ptr<ByteBuffer> RtNativeObject::MakeRange(int32_t location, int32_t length) const {
    return bufferOf(NativeRange{static_cast<uint64_t>(location), static_cast<uint64_t>(length)});
}

std::shared_ptr<ByteBuffer> RtNativeObject::MakePoint(float x, float y) const {
    return bufferOf(NativePoint{x, y});
}

std::shared_ptr<ByteBuffer> RtNativeObject::MakeSize(float width, float height) const {
    return bufferOf(NativeSize{width, height});
}

std::shared_ptr<ByteBuffer> RtNativeObject::MakeRect(float x, float y, float width,
                                                     float height) const {
    return bufferOf(NativeRect{x, y, width, height});
}

}  // namespace zemtra
