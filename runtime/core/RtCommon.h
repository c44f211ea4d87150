// The Common object: one per runtime scope, reached by every module as its `__c`. It answers the
// constants, a few value helpers, calls between modules by name, and the process-wide service
// objects registered in the installed runtime scope.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "runtime/core/Object.h"
#include "runtime/core/RuntimeScope.h"

namespace zemtra {

class RtExceptionWrapper;

class RtCommon : public Object {
  public:
    static constexpr StringView kClassName = u"RtCommon";
    String className() const override { return String(kClassName); }

    // `new`: the instance of the installed runtime scope, created there on first use.
    static std::shared_ptr<RtCommon> New();

    bool True() const { return true; }
    bool False() const { return false; }
    Value Null() const { return Value(); }
    bool Not(bool value) const { return !value; }
    bool IsNumber(StringView text) const;
    String GetType(const Value& value) const;
    std::shared_ptr<RtExceptionWrapper> LastException() const;
    // The sender of the event that the module is handling (from this thread's sender slot).
    Value Sender(const Value& module) const;
    Value Me(const Value&) const { return Value(); }

    // Log lines through the shared runtime core object; LogColor's level is "c" + the colour.
    void Log(StringView text) const;
    void LogColor(StringView text, int32_t color) const;

    // Calls the sub of another module now (CallSub) or queues it (CallSubDelayed). The component
    // must be a static module or a class module instance; the sub name is lower-cased and gets one
    // ":" per argument. A synchronous result that is a wrapper answers the wrapped object.
    Value CallSub(const Value& component, StringView sub,
                  std::span<const Value> arguments = {}) const;
    void CallSubDelayed(const Value& component, StringView sub,
                        std::vector<Value> arguments = {}) const;
    bool SubExists(const Value& component, StringView sub, int32_t argumentCount) const;
    static String fixSubName(StringView sub, size_t argumentCount);

    // The process-wide service object of type S (File, DateTime, Colors, Regex, Bit, ...) as
    // registered in the installed runtime scope; raises "ServiceError" when it never was.
    template <class S>
    std::shared_ptr<S> service() const {
        return RuntimeScope::current().get<S>();
    }
};

}  // namespace zemtra
