// The root of every runtime object: description, equality, the attached map that hangs on the
// object (shared by every wrapper of it) and the table of operations callable by name.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "runtime/core/Value.h"

namespace zemtra {

class MethodTable;

// String keys to values; std::map so that iteration order is stable for descriptions and dumps.
using AttachedMap = std::map<String, Value, std::less<>>;

class Object : public std::enable_shared_from_this<Object> {
  public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object();

    // The name reported by GetType: and in "Invalid object type" and similar reasons.
    virtual String className() const { return u"Object"; }
    virtual String description() const;
    // Identity unless a class defines value equality.
    virtual bool isEqual(const Value& other) const;
    virtual size_t hash() const;
    // Operations that the dynamic caller may reach by name; nullptr for none.
    virtual const MethodTable* methods() const { return nullptr; }
    // Whether a "_resize::" event raised with this object as sender makes it the main view of
    // the shared runtime core object. The user interface's panel views answer true.
    virtual bool becomesMainViewOnResize() const { return false; }

    // The attached map, created empty on first request and kept as long as the object.
    AttachedMap& attachedMap();
    const AttachedMap* attachedMapIfAny() const { return attached_.get(); }

  private:
    std::unique_ptr<AttachedMap> attached_;
};

// The class name of any value, as GetType: answers it: "(null)" for Null, "NullMarker",
// "Number", "String", or the object's className().
String classNameOf(const Value& value);

// The class test of wrappers: a name for messages and an instance test that accepts subclasses.
struct ClassInfo {
    String name;
    bool (*isInstance)(const Object&);
};

// ClassInfo of T, which names itself with a static kClassName.
template <class T>
const ClassInfo& classInfoOf() {
    static const ClassInfo info{String(T::kClassName), [](const Object& object) {
                                    return dynamic_cast<const T*>(&object) != nullptr;
                                }};
    return info;
}

// A byte buffer (the platform's data object): structure values travel through dynamic calls in it.
class ByteBuffer : public Object {
  public:
    static constexpr StringView kClassName = u"ByteBuffer";
    explicit ByteBuffer(std::vector<uint8_t> bytes = {}) : bytes(std::move(bytes)) {}
    String className() const override { return String(kClassName); }
    String description() const override;
    bool isEqual(const Value& other) const override;
    size_t hash() const override;

    std::vector<uint8_t> bytes;
};

}  // namespace zemtra
