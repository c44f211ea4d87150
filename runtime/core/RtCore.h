// The runtime core object: one per module (its events target is the module) plus one shared
// object for the whole process (log lines, last error, main view). It raises events on its module
// by name, calls operations by name, writes log lines and exposes the value conversions.
#pragma once

#include <array>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "runtime/core/Conversions.h"
#include "runtime/core/MethodTable.h"
#include "runtime/core/Object.h"

namespace zemtra {

namespace platform {
class PlatformLog;
}

class RtError;

class RtCore : public Object {
  public:
    static constexpr StringView kClassName = u"RtCore";
    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override;

    // init: — the events target is held weakly; the module keeps itself alive.
    static std::shared_ptr<RtCore> create(const ObjectRef& eventsTarget);
    // The process-wide runtime core object (one per runtime scope), created on first use, with no
    // events target. Safe to call from any thread while a scope is installed.
    static std::shared_ptr<RtCore> shared();

    ObjectRef eventsTarget() const { return eventsTarget_.lock(); }

    // Calls "_" + event on the events target now and answers its result (Null when there is no
    // handler). The sender sits in this thread's sender slot while the handler runs and the slot
    // holds the null marker afterwards. Exceptions of the handler propagate unchanged.
    Value raiseEvent(const Value& sender, StringView event, std::span<const Value> params = {});
    // Queue the same raiseEvent on the main queue and return at once. raiseEventFromDifferentThread
    // may be called from any thread (the caller owns the sender and the parameters); everything
    // else of a runtime core object belongs to the main thread.
    void raiseUIEvent(const Value& sender, StringView event, std::vector<Value> params = {});
    void raiseEventFromDifferentThread(const Value& sender, StringView event,
                                       std::vector<Value> params = {});
    bool hasMethod(StringView event) const;
    // Raises "%@%@ event not found." when the events target lacks the handler for prefix + rest.
    void errorIfMissingEvent(StringView prefix, StringView rest) const;

    static void setSender(const Value& sender);
    static Value sender();

    void Log(StringView text);
    void LogInfo(StringView text);
    void LogError(StringView text);
    // Log line with an explicit level (Null, "i", "e", "c<colour>").
    void writeLog(StringView text, const Value& level);

    const Value& logger() const { return logger_; }
    void setLogger(Value logger) { logger_ = std::move(logger); }
    ObjectRef mainView() const { return mainView_.lock(); }
    void setMainView(const ObjectRef& view) { mainView_ = view; }
    const std::shared_ptr<RtError>& lastError() const { return lastError_; }
    void setLastError(std::shared_ptr<RtError> error) { lastError_ = std::move(error); }

    // Conversions, under their operation names.
    Value ObjectToNumber(const Value& value) const { return objectToNumber(value); }
    int64_t ObjectToLongNumber(const Value& value) const { return objectToLongNumber(value); }
    bool ObjectToBoolean(const Value& value) const { return objectToBoolean(value); }
    String ObjectToString(const Value& value) const { return objectToString(value); }
    char16_t ObjectToChar(const Value& value) const { return objectToChar(value); }
    String NumberToString(const Value& number) const;
    String BooleanToString(bool value) const { return value ? u"true" : u"false"; }
    String CharToString(char16_t value) const { return String(1, value); }
    String returnString(const Value& value) const;
    bool IsLong(const Value& value) const;
    Rgba ColorToUIColor(int32_t color) const { return colorToRgba(color); }
    int32_t UIColorToColor(const Rgba& color) const { return rgbaToColor(color); }
    int32_t switchObjectToInt(const Value& value, std::span<const Value> cases) const {
        return zemtra::switchObjectToInt(value, cases);
    }

    // runDynamicMethod:method:throwErrorIfMissing:args: — calls an operation of `target` by its
    // full name, converting each argument to the parameter's kind and the result to a value.
    static Value runDynamicMethod(const Value& target, StringView method, bool throwErrorIfMissing,
                                  std::span<const Value> args = {});
    // The same with the name given in two pieces, so dispatch does not build "_" + event.
    static Value runDynamicMethod(const Value& target, NamePieces method, bool throwErrorIfMissing,
                                  std::span<const Value> args);

    static Value nilToNSNull(const Value& value) { return nullToMarker(value); }
    static Value NSNullToNil(const Value& value) { return markerToNull(value); }
    // Records a caught exception as lastError of the shared object (domain "caught_exception").
    static void SetException(StringView description);
    static void SetException(const std::exception& error);

    // The en_US locale name used wherever text must not depend on the machine's language.
    static const char* cul() { return "en_US"; }

    // Where log lines go when no logger is installed (standard output unless replaced, or when
    // given nullptr). Safe from any thread; the log must stay alive until it is replaced.
    static void setPlatformLog(platform::PlatformLog* log);

    explicit RtCore(const ObjectRef& eventsTarget)
        : eventsTarget_(eventsTarget), target_(eventsTarget.get()) {}

  private:
    // The handler for "_" + event on the events target, through a small cache of recent names
    // (tables never change, so entries never go stale); nullptr when there is none. The caller
    // makes sure the events target is alive.
    const Method* findHandler(StringView event) const;

    struct CachedHandler {
        String event;
        const Method* method = nullptr;
    };

    std::weak_ptr<Object> eventsTarget_;
    // The same object as eventsTarget_, used while eventsTarget_ has not expired so that handler
    // lookups need no reference-count traffic (a call owns the target). Main thread only.
    Object* target_;
    mutable std::array<CachedHandler, 16> handlerCache_;
    Value logger_;
    std::weak_ptr<Object> mainView_;
    std::shared_ptr<RtError> lastError_;
};

// The platform's error object: a domain, a code and a localized description.
class RtError : public Object {
  public:
    static constexpr StringView kClassName = u"RtError";
    RtError(String domain, int64_t code, String localizedDescription)
        : domain(std::move(domain)),
          code(code),
          localizedDescription(std::move(localizedDescription)) {}
    String className() const override { return String(kClassName); }
    String description() const override { return localizedDescription; }

    const String domain;
    const int64_t code;
    const String localizedDescription;
};

}  // namespace zemtra
