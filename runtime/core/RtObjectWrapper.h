// The base of every wrapper around a runtime object (views, timers, streams, lists, errors).
// A wrapper is "initialized" once it wraps an object; identity, the Tag and the event binding
// belong to the wrapped object, so several wrappers of one object agree on all of them.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "runtime/core/Object.h"
#include "runtime/core/RtException.h"

namespace zemtra {

class RtCore;

class RtObjectWrapper : public Object {
  public:
    static constexpr StringView kClassName = u"RtObjectWrapper";
    String className() const override { return String(kClassName); }

    // The class the wrapped object must be an instance of; nullptr accepts nothing.
    virtual const ClassInfo* getClass() const { return nullptr; }

    // Raises "Object was not initialized (%@)" (the getClass name) when nothing is wrapped.
    const ObjectRef& object() const;
    // Stores after the class test; Null is stored without a test (the wrapper becomes
    // uninitialized). A wrong class raises "Invalid object type" and leaves the wrapper unchanged.
    void setObject(const Value& object);
    const ObjectRef& objectOrNull() const { return object_; }
    bool IsInitialized() const { return object_ != nullptr; }
    // The wrapped object as T; raises like object() when nothing is wrapped.
    template <class T>
    std::shared_ptr<T> objectAs() const {
        return std::static_pointer_cast<T>(object());
    }

    Value Tag() const;
    void setTag(const Value& tag);

    String description() const override;
    bool isEqual(const Value& other) const override;
    size_t hash() const override;

    // createWrapper:object:
    template <class W>
    static std::shared_ptr<W> createWrapper(std::shared_ptr<W> wrapper, const Value& object) {
        wrapper->setObject(object);
        return wrapper;
    }

    static AttachedMap& getMap(Object& object) { return object.attachedMap(); }
    // Binds `object`'s events to `core`'s module under the prefix (stored lower-cased).
    static void setBIAndEventName(Object& object, const std::shared_ptr<RtCore>& core,
                                  StringView prefix);
    static std::shared_ptr<RtCore> getBI(Object& object);
    static Value getEventName(Object& object);
    // Raises prefix + suffix ("_click", "_valuechanged:") on the bound module with `object` as
    // sender; Null when the object is not bound or has no handler.
    static Value raiseEvent(Object& object, StringView suffix, std::span<const Value> params = {});
    // Queues the same raiseEvent; the binding is read now (main thread only).
    static void raiseUIEvent(Object& object, StringView suffix, std::vector<Value> params = {});
    // Callable from any thread: posts one task that reads the binding and raises the event on
    // the main thread. The caller must own `object` and the parameters for the call's duration.
    static void raiseEventFromDifferentThread(Object& object, StringView suffix,
                                              std::vector<Value> params = {});
    static bool hasMethod(Object& object, StringView suffix);

  protected:
    ObjectRef object_;
};

// A weak reference as a value (the "bi" entry of an attached map).
class RtWeakRef : public Object {
  public:
    static constexpr StringView kClassName = u"RtWeakRef";
    explicit RtWeakRef(const ObjectRef& value = nullptr) : value_(value) {}
    String className() const override { return String(kClassName); }
    // The property `Value`, spelt in lower case because Value is the value type's name.
    ObjectRef value() const { return value_.lock(); }
    void setValue(const ObjectRef& value) { value_ = value; }

  private:
    std::weak_ptr<Object> value_;
};

class RtError;

// Wraps the last caught error (LastException of the Common object).
class RtExceptionWrapper : public RtObjectWrapper {
  public:
    static constexpr StringView kClassName = u"RtExceptionWrapper";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override;
    const MethodTable* methods() const override;

    String Description() const;
    String Message() const { return Description(); }
    int32_t Code() const;
    String Domain() const;
};

}  // namespace zemtra
