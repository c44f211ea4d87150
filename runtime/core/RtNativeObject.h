// The native object: calls any operation of any object by its full name (colons included, used
// exactly as given), reads and writes named properties, and carries structure values as byte
// buffers. A thin layer over RtCore::runDynamicMethod with the throw flag always set.
//
// The wrapped value may be any value: an object (a module, a class object made by Initialize:),
// or the plain string or number an operation answered. A native object wrapping Null is
// uninitialized; reading it raises "Object was not initialized (%@)".
#pragma once

#include <memory>
#include <span>

#include "runtime/core/RtObjectWrapper.h"

namespace zemtra {

// The 16- and 32-byte layouts of the platform's range, point, size and rectangle structures.
struct NativeRange {
    static constexpr std::string_view kTypeCode = "{_NSRange=QQ}";
    uint64_t location;
    uint64_t length;
};
struct NativePoint {
    static constexpr std::string_view kTypeCode = "{CGPoint=dd}";
    double x;
    double y;
};
struct NativeSize {
    static constexpr std::string_view kTypeCode = "{CGSize=dd}";
    double width;
    double height;
};
struct NativeRect {
    static constexpr std::string_view kTypeCode = "{CGRect={CGPoint=dd}{CGSize=dd}}";
    double x;
    double y;
    double width;
    double height;
};

class RtNativeObject final : public RtObjectWrapper {
  public:
    static constexpr StringView kClassName = u"RtNativeObject";
    String className() const override { return String(kClassName); }
    // Every object passes the type check: the platform's root class.
    const ClassInfo* getClass() const override;
    const MethodTable* methods() const override;
    String description() const override;

    // A native object around `value` (Null leaves it uninitialized).
    static std::shared_ptr<RtNativeObject> wrap(const Value& value);

    // Wraps the static module registered under `name` (its class operations are its operations);
    // Null when there is none.
    void Initialize(const String& className);
    bool IsInitialized() const { return !wrapped_.isNullOrMarker(); }
    const Value& wrapped() const;

    // Calls the operation `method` on the wrapped value. `arguments` is Null (no arguments) or an
    // array-like object answering "Length" and "getObjectFast:" (the runtime's RtArray). Raises
    // "method not found" when the wrapped value has no such operation.
    std::shared_ptr<RtNativeObject> RunMethod(const String& method, const Value& arguments);
    std::shared_ptr<RtNativeObject> RunMethodWithBlocks(const String& method,
                                                        const Value& arguments) {
        return RunMethod(method, arguments);
    }
    // The same with the arguments given directly (C++ callers).
    std::shared_ptr<RtNativeObject> runMethod(StringView method, std::span<const Value> arguments);

    // The property getter `name`, or the setter "set" + Name + ":".
    std::shared_ptr<RtNativeObject> GetField(const String& name);
    void SetField(const String& name, const Value& value);

    // "null" when uninitialized.
    String AsString() const;
    Value AsNumber() const;
    bool AsBoolean() const;

    std::shared_ptr<ByteBuffer> MakeRange(int32_t location, int32_t length) const;
    std::shared_ptr<ByteBuffer> MakePoint(float x, float y) const;
    std::shared_ptr<ByteBuffer> MakeSize(float width, float height) const;
    std::shared_ptr<ByteBuffer> MakeRect(float x, float y, float width, float height) const;

  private:
    void set(const Value& value);

    Value wrapped_;
};

}  // namespace zemtra
