// Record descriptions. The recursion guard follows the runtime's fixed rule: a process-wide call
// counter; on every tenth call (or while the counter is negative) the nesting depth is measured,
// and at a depth of 50 or more (20 or more while negative) the counter becomes -100 and the call
// answers "" at once, so records that contain each other end instead of overflowing the stack.
#include "runtime/core/Record.h"

#include <exception>

#include "runtime/core/Object.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"

namespace zemtra {

namespace {

int typeToStringCounter = 0;         // main thread only, like the rest of the record machinery
thread_local int describeDepth = 0;  // the nesting depth the guard measures

class DepthScope {
  public:
    DepthScope() { ++describeDepth; }
    ~DepthScope() { --describeDepth; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;
};

class Describer final : public FieldVisitor {
  public:
    String text = u"[";

    void field(StringView name, const Value& object) override { add(name, object.description()); }
    void field(StringView name, int8_t value) override {
        add(name, numberToString(Number::ofByte(value)));
    }
    void field(StringView name, uint8_t value) override {
        add(name, numberToString(Number::ofUnsignedByte(value)));
    }
    void field(StringView name, int16_t value) override {
        add(name, numberToString(Number::ofShort(value)));
    }
    void field(StringView name, uint16_t value) override { add(name, decimal(value)); }
    void field(StringView name, int32_t value) override {
        add(name, numberToString(Number::ofInt(value)));
    }
    void field(StringView name, uint32_t value) override { add(name, decimal(value)); }
    void field(StringView name, int64_t value) override {
        add(name, numberToString(Number::ofLong(value)));
    }
    void field(StringView name, float value) override {
        add(name, numberToString(Number::ofFloat(value)));
    }
    void field(StringView name, double value) override {
        add(name, numberToString(Number::ofDouble(value)));
    }
    void field(StringView name, bool value) override {
        add(name, numberToString(Number::ofBoolean(value)));
    }
    void unknownField(StringView name, std::string_view typeCode) override {
        add(name, formatText(u"Unknown type: %s", {String(typeCode.begin(), typeCode.end())}));
    }

  private:
    void add(StringView name, const String& value) {
        text += name.empty() ? String() : String(name.substr(1));
        text += u'=';
        text += value;
        if (++count_ % 3 == 0) text += u'\n';
        text += u", ";
    }
    int count_ = 0;
};

}  // namespace

String TypeToString(const Record& record, bool /*flag*/) {
    DepthScope depth;
    ++typeToStringCounter;
    if (typeToStringCounter % 10 == 0 || typeToStringCounter < 0) {
        const int limit = typeToStringCounter < 0 ? 20 : 50;
        if (describeDepth >= limit) {
            typeToStringCounter = -100;
            return String();
        }
        typeToStringCounter = 0;
    }
    try {
        Describer describer;
        record.visitFields(describer);
        String text = std::move(describer.text);
        text.resize(text.size() >= 2 ? text.size() - 2 : 0);
        return text + u"]";
    } catch (const std::exception& error) {
        const auto* runtimeError = dynamic_cast<const RtException*>(&error);
        RtCore::shared()->Log(
            formatText(u"TypeToString error: %@",
                       {runtimeError ? runtimeError->description() : fromUtf8(error.what())}));
        return u"N/A";
    }
}

}  // namespace zemtra
