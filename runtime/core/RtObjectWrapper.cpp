// Wrapper behaviour: the class test, Tag, equality, and events through the attached map.
#include "runtime/core/RtObjectWrapper.h"

#include "runtime/core/MainQueue.h"
#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCore.h"

namespace zemtra {

namespace {
constexpr StringView kTagKey = u"tag";
constexpr StringView kBIKey = u"bi";
constexpr StringView kEventNameKey = u"eventName";

}  // namespace

const ObjectRef& RtObjectWrapper::object() const {
    if (!object_) {
        const ClassInfo* expected = getClass();
        raise(u"", u"Object was not initialized (%@)",
              {expected ? StringView(expected->name) : StringView(u"(null)")});
    }
    return object_;
}

void RtObjectWrapper::setObject(const Value& object) {
    if (object.isNullOrMarker()) {
        object_.reset();
        return;
    }
    const ClassInfo* expected = getClass();
    const ObjectRef& candidate = object.object();
    if (!expected || !candidate || !expected->isInstance(*candidate)) {
        // The class of what was given, never its text: a string is named "String".
        raise(u"Invalid object type", u"Expected: %@, object type: %@",
              {expected ? StringView(expected->name) : StringView(u"(null)"), classNameOf(object)});
    }
    object_ = candidate;
}

Value RtObjectWrapper::Tag() const {
    const AttachedMap& map = object()->attachedMap();
    const auto found = map.find(kTagKey);
    return found == map.end() ? Value() : found->second;
}

void RtObjectWrapper::setTag(const Value& tag) {
    AttachedMap& map = object()->attachedMap();
    if (tag.isNull()) {
        map.erase(String(kTagKey));
        return;
    }
    map.insert_or_assign(String(kTagKey), tag);
}

String RtObjectWrapper::description() const {
    return u"<" + className() + u": " + (object_ ? object_->description() : String(u"(null)")) +
           u">";
}

bool RtObjectWrapper::isEqual(const Value& other) const {
    if (other.object().get() == this) return true;
    if (other.isNullOrMarker()) return !object_;
    if (const auto wrapper = other.as<RtObjectWrapper>()) {
        if (object_) return object_->isEqual(Value(wrapper->object_));
        return !wrapper->object_;
    }
    return object_ && object_->isEqual(other);
}

size_t RtObjectWrapper::hash() const {
    return object_ ? object_->hash() : 0;
}

void RtObjectWrapper::setBIAndEventName(Object& object, const std::shared_ptr<RtCore>& core,
                                        StringView prefix) {
    AttachedMap& map = object.attachedMap();
    map.insert_or_assign(String(kBIKey), Value(std::make_shared<RtWeakRef>(core)));
    map.insert_or_assign(String(kEventNameKey), Value(toLowerEnUs(prefix)));
}

std::shared_ptr<RtCore> RtObjectWrapper::getBI(Object& object) {
    const AttachedMap* map = object.attachedMapIfAny();
    if (!map) return nullptr;
    const auto found = map->find(kBIKey);
    if (found == map->end()) return nullptr;
    const auto ref = found->second.as<RtWeakRef>();
    return ref ? std::dynamic_pointer_cast<RtCore>(ref->value()) : nullptr;
}

Value RtObjectWrapper::getEventName(Object& object) {
    const AttachedMap* map = object.attachedMapIfAny();
    if (!map) return Value();
    const auto found = map->find(kEventNameKey);
    return found == map->end() ? Value() : found->second;
}

namespace {
// The bound module and the full event name, or nothing when the object is not bound.
std::shared_ptr<RtCore> boundEvent(Object& object, StringView suffix, String& event) {
    auto core = RtObjectWrapper::getBI(object);
    const Value name = RtObjectWrapper::getEventName(object);
    if (!core || !name.isString()) return nullptr;
    event = *name.string() + String(suffix);
    return core;
}
}  // namespace

Value RtObjectWrapper::raiseEvent(Object& object, StringView suffix,
                                  std::span<const Value> params) {
    String event;
    const auto core = boundEvent(object, suffix, event);
    if (!core) return Value();
    return core->raiseEvent(Value(object.shared_from_this()), event, params);
}

void RtObjectWrapper::raiseUIEvent(Object& object, StringView suffix, std::vector<Value> params) {
    String event;
    if (const auto core = boundEvent(object, suffix, event)) {
        core->raiseUIEvent(Value(object.shared_from_this()), event, std::move(params));
    }
}

void RtObjectWrapper::raiseEventFromDifferentThread(Object& object, StringView suffix,
                                                    std::vector<Value> params) {
    // This runs on a back-end thread, while the main thread may be rebinding the object or
    // changing its Tag: the attached map is not read here. Only what the caller owns travels
    // (the object, kept alive, the suffix and the parameters) in one task, and the binding is
    // looked up on the main thread when the task runs.
    MainQueue::current().post(
        [object = object.shared_from_this(), suffix = String(suffix), params = std::move(params)] {
            raiseEvent(*object, suffix, params);
        });
}

bool RtObjectWrapper::hasMethod(Object& object, StringView suffix) {
    String event;
    const auto core = boundEvent(object, suffix, event);
    return core && core->hasMethod(event);
}

const ClassInfo* RtExceptionWrapper::getClass() const {
    return &classInfoOf<RtError>();
}

const MethodTable* RtExceptionWrapper::methods() const {
    static const MethodTable table{
        MethodTable::operation("Description", &RtExceptionWrapper::Description),
        MethodTable::operation("Message", &RtExceptionWrapper::Message),
        MethodTable::operation("Code", &RtExceptionWrapper::Code),
        MethodTable::operation("Domain", &RtExceptionWrapper::Domain),
    };
    return &table;
}

String RtExceptionWrapper::Description() const {
    return objectAs<RtError>()->localizedDescription;
}

int32_t RtExceptionWrapper::Code() const {
    return static_cast<int32_t>(objectAs<RtError>()->code);
}

String RtExceptionWrapper::Domain() const {
    return objectAs<RtError>()->domain;
}

}  // namespace zemtra
