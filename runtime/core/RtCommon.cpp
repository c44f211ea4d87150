// The Common object.
#include "runtime/core/RtCommon.h"

#include "runtime/core/Conversions.h"
#include "runtime/core/MainQueue.h"
#include "runtime/core/Module.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"
#include "runtime/core/RtObjectWrapper.h"

namespace zemtra {

namespace {

// The runtime core object of a static module or class module instance; raises otherwise, also
// for a module or instance whose runtime core object is not set yet (nothing could be called).
std::shared_ptr<RtCore> componentCore(const Value& component) {
    std::shared_ptr<RtCore> core;
    if (const auto module = component.as<RtStaticModule>()) {
        core = module->bi;
    } else if (const auto instance = component.as<RtClass>()) {
        core = instance->bi;
    }
    if (!core) raise(u"", u"Invalid component: %@", {component.description()});
    return core;
}

}  // namespace

std::shared_ptr<RtCommon> RtCommon::New() {
    return RuntimeScope::current().getOrCreate<RtCommon>(
        [] { return std::make_shared<RtCommon>(); });
}

bool RtCommon::IsNumber(StringView text) const {
    return isNumber(text);
}

String RtCommon::GetType(const Value& value) const {
    return classNameOf(value);
}

std::shared_ptr<RtExceptionWrapper> RtCommon::LastException() const {
    auto wrapper = std::make_shared<RtExceptionWrapper>();
    wrapper->setObject(Value(RtCore::shared()->lastError()));
    return wrapper;
}

Value RtCommon::Sender(const Value&) const {
    return RtCore::sender();
}

void RtCommon::Log(StringView text) const {
    RtCore::shared()->Log(text);
}

void RtCommon::LogColor(StringView text, int32_t color) const {
    RtCore::shared()->writeLog(text, Value(u"c" + decimal(color)));
}

String RtCommon::fixSubName(StringView sub, size_t argumentCount) {
    return toLowerEnUs(sub) + String(argumentCount, u':');
}

Value RtCommon::CallSub(const Value& component, StringView sub,
                        std::span<const Value> arguments) const {
    const auto core = componentCore(component);
    Value result = core->raiseEvent(Value(), fixSubName(sub, arguments.size()), arguments);
    if (const auto wrapper = result.as<RtObjectWrapper>()) return Value(wrapper->objectOrNull());
    return result;
}

void RtCommon::CallSubDelayed(const Value& component, StringView sub,
                              std::vector<Value> arguments) const {
    const auto core = componentCore(component);
    const String event = fixSubName(sub, arguments.size());
    core->raiseUIEvent(Value(), event, std::move(arguments));
}

bool RtCommon::SubExists(const Value& component, StringView sub, int32_t argumentCount) const {
    const auto core = componentCore(component);
    return core->hasMethod(fixSubName(sub, static_cast<size_t>(std::max(argumentCount, 0))));
}

}  // namespace zemtra
