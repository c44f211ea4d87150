// Event dispatch by name, the dynamic caller, log lines and the shared runtime core object.
#include "runtime/core/RtCore.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/PlatformLog.h"
#include "runtime/core/MainQueue.h"
#include "runtime/core/RtException.h"
#include "runtime/core/RuntimeScope.h"

namespace zemtra {

namespace {

// Each line goes out whole and at once, so a script reading the log sees lines as they happen.
class StandardOutputLog final : public platform::PlatformLog {
  public:
    void writeLine(std::string_view utf8) override {
        std::fwrite(utf8.data(), 1, utf8.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
};

StandardOutputLog standardOutputLog;
// The installed platform log. Lines are written under the lock, so lines of different threads
// never interleave and, once setPlatformLog returns, the log it replaced is no longer in use.
std::mutex logMutex;
platform::PlatformLog* installedLog = &standardOutputLog;

// The sender slot: Null before the first dispatch on this thread, the null marker afterwards.
thread_local Value senderSlot;

constexpr size_t kLogLimit = 4000;

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr StringView kResizeSuffix = u"_resize::";

}  // namespace

std::shared_ptr<RtCore> RtCore::create(const ObjectRef& eventsTarget) {
    return std::make_shared<RtCore>(eventsTarget);
}

std::shared_ptr<RtCore> RtCore::shared() {
    return RuntimeScope::current().getOrCreate<RtCore>(
        [] { return std::make_shared<RtCore>(nullptr); });
}

const MethodTable* RtCore::methods() const {
    static const MethodTable table{
        MethodTable::operation("ObjectToNumber:", &RtCore::ObjectToNumber),
        MethodTable::operation("ObjectToLongNumber:", &RtCore::ObjectToLongNumber),
        MethodTable::operation("ObjectToBoolean:", &RtCore::ObjectToBoolean),
        MethodTable::operation("ObjectToString:", &RtCore::ObjectToString),
        MethodTable::operation("ObjectToChar:", &RtCore::ObjectToChar),
        MethodTable::operation("NumberToString:", &RtCore::NumberToString),
        MethodTable::operation("BooleanToString:", &RtCore::BooleanToString),
        MethodTable::operation("CharToString:", &RtCore::CharToString),
        MethodTable::operation("returnString:", &RtCore::returnString),
        MethodTable::operation("IsLong:", &RtCore::IsLong),
    };
    return &table;
}

Value RtCore::raiseEvent(const Value& sender, StringView event, std::span<const Value> params) {
    setSender(sender);
    if (event.ends_with(kResizeSuffix) && sender.isObject() &&
        sender.object()->becomesMainViewOnResize()) {
        shared()->setMainView(sender.object());
    }
    Value result;
    // Owned for the call: a handler may drop the target's last owner (an instance removing
    // itself from the collection that holds it) and must not go on inside a freed object.
    if (const ObjectRef target = eventsTarget_.lock()) {
        if (const Method* handler = findHandler(event)) result = handler->call(*target, params);
    }
    if (!senderSlot.isNullMarker()) senderSlot = kNullMarker;
    return result;
}

const Method* RtCore::findHandler(StringView event) const {
    if (event.empty()) return nullptr;
    CachedHandler& slot =
        handlerCache_[(event.size() * 31 + event.front() * 7 + event.back()) & 15];
    // memcmp: char_traits<char16_t>::compare is a unit-by-unit loop.
    if (slot.method && slot.event.size() == event.size() &&
        std::memcmp(slot.event.data(), event.data(), event.size() * sizeof(char16_t)) == 0) {
        return slot.method;
    }
    const MethodTable* table = target_->methods();
    const Method* method = table ? table->find(NamePieces{u"_", event}) : nullptr;
    if (method) slot = CachedHandler{String(event), method};
    return method;
}

void RtCore::raiseUIEvent(const Value& sender, StringView event, std::vector<Value> params) {
    auto self = std::static_pointer_cast<RtCore>(shared_from_this());
    MainQueue::current().post(
        [self = std::move(self), sender, event = String(event), params = std::move(params)] {
            self->raiseEvent(sender, event, params);
        });
}

void RtCore::raiseEventFromDifferentThread(const Value& sender, StringView event,
                                           std::vector<Value> params) {
    // Touches nothing of this object but its own reference count: the events target and the
    // handler cache are read by raiseEvent on the main thread.
    raiseUIEvent(sender, event, std::move(params));
}

bool RtCore::hasMethod(StringView event) const {
    return !eventsTarget_.expired() && findHandler(event) != nullptr;
}

void RtCore::errorIfMissingEvent(StringView prefix, StringView rest) const {
    if (!hasMethod(String(prefix) + String(rest)))
        raise(u"", u"%@%@ event not found.", {prefix, rest});
}

void RtCore::setSender(const Value& sender) {
    if (sender.isNullOrMarker()) {
        if (!senderSlot.isNullMarker()) senderSlot = kNullMarker;
        return;
    }
    senderSlot = sender;
}

Value RtCore::sender() {
    return markerToNull(senderSlot);
}

void RtCore::Log(StringView text) {
    writeLog(text, Value());
}

void RtCore::LogInfo(StringView text) {
    writeLog(text, Value(u"i"));
}

void RtCore::LogError(StringView text) {
    writeLog(text, Value(u"e"));
}

void RtCore::writeLog(StringView text, const Value& level) {
    String line(text);
    if (text.size() > kLogLimit) {
        // Never split a surrogate pair: its first half alone would not be valid UTF-8.
        const bool splitsPair = isHighSurrogate(text[kLogLimit - 1]);
        line.resize(splitsPair ? kLogLimit - 1 : kLogLimit);
        line += u" (message truncated)...";
    }
    if (!logger_.isNull()) {
        const Value arguments[] = {Value(line), nullToMarker(level)};
        runDynamicMethod(logger_, u"Log::", true, arguments);
        return;
    }
    const std::string utf8 = toUtf8(line);
    std::lock_guard lock(logMutex);
    installedLog->writeLine(utf8);
}

String RtCore::NumberToString(const Value& number) const {
    if (const Number* boxed = number.number()) return numberToString(*boxed);
    return number.description();
}

String RtCore::returnString(const Value& value) const {
    return value.isNull() ? String() : value.description();
}

bool RtCore::IsLong(const Value& value) const {
    const Number* number = value.number();
    return number && number->tag() == 'q';
}

Value RtCore::runDynamicMethod(const Value& target, StringView method, bool throwErrorIfMissing,
                               std::span<const Value> args) {
    return runDynamicMethod(target, NamePieces{StringView(), method}, throwErrorIfMissing, args);
}

Value RtCore::runDynamicMethod(const Value& target, NamePieces method, bool throwErrorIfMissing,
                               std::span<const Value> args) {
    const auto fullName = [&] { return String(method.head) + String(method.tail); };
    if (target.isNullOrMarker())
        raise(u"null object", u"Target is null. Method called: %@", {fullName()});
    const ObjectRef& object = target.object();
    const MethodTable* table = object ? object->methods() : nullptr;
    const Method* found = table ? table->find(method) : nullptr;
    if (!found) {
        if (throwErrorIfMissing) {
            raise(u"method not found", u"Method not found: %@, target: %@",
                  {fullName(), target.description()});
        }
        return Value();
    }
    // Keep the target alive for the whole call, even if the handler drops the last owner.
    const ObjectRef keepAlive = object;
    return found->call(*keepAlive, args);
}

void RtCore::SetException(StringView description) {
    shared()->setLastError(std::make_shared<RtError>(u"caught_exception", 0, String(description)));
}

void RtCore::SetException(const std::exception& error) {
    if (const auto* runtimeError = dynamic_cast<const RtException*>(&error)) {
        SetException(runtimeError->description());
        return;
    }
    SetException(fromUtf8(error.what()));
}

void RtCore::setPlatformLog(platform::PlatformLog* log) {
    std::lock_guard lock(logMutex);
    installedLog = log ? log : &standardOutputLog;
}

namespace kinds {

Number numberFrom(const Value& element) {
    if (const Number* number = element.number()) return *number;
    if (const String* text = element.string()) return Number::ofDouble(leadingDouble(*text));
    return Number::ofInt(0);
}

Value unknownResult(std::string_view typeCode, const void* bytes, size_t size) {
    RtCore::shared()->LogInfo(formatText(u"Converting unknown type to NSData (%s)",
                                         {String(typeCode.begin(), typeCode.end())}));
    const auto* first = static_cast<const uint8_t*>(bytes);
    return Value(std::make_shared<ByteBuffer>(std::vector<uint8_t>(first, first + size)));
}

}  // namespace kinds

}  // namespace zemtra
