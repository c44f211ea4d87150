// Record descriptions. The work is bounded by the description guard: a record nested 50 levels
// deep (or 20 right after such a cut), or one past the outermost description's budget, is
// described as "". A record that holds itself is described again at every level above that.
#include "runtime/core/Record.h"

#include <exception>

#include "runtime/core/DescriptionGuard.h"
#include "runtime/core/Object.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"

namespace zemtra {

namespace {

class Describer final : public FieldVisitor {
  public:
    String text = u"[";

    void field(StringView name, const Value& object) override { add(name, object.description()); }
    void field(StringView name, int8_t value) override { add(name, Number::ofByte(value)); }
    void field(StringView name, uint8_t value) override {
        add(name, Number::ofUnsignedByte(value));
    }
    void field(StringView name, int16_t value) override { add(name, Number::ofShort(value)); }
    void field(StringView name, uint16_t value) override { add(name, decimal(value)); }
    void field(StringView name, int32_t value) override { add(name, Number::ofInt(value)); }
    void field(StringView name, uint32_t value) override { add(name, decimal(value)); }
    void field(StringView name, int64_t value) override { add(name, Number::ofLong(value)); }
    void field(StringView name, float value) override { add(name, Number::ofFloat(value)); }
    void field(StringView name, double value) override { add(name, Number::ofDouble(value)); }
    void field(StringView name, bool value) override { add(name, Number::ofBoolean(value)); }
    void unknownField(StringView name, std::string_view typeCode) override {
        add(name, formatText(u"Unknown type: %s", {String(typeCode.begin(), typeCode.end())}));
    }

  private:
    void add(StringView name, const Number& value) { add(name, numberToString(value)); }
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
    const DescriptionGuard guard(record);
    if (guard.cut()) return String();
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
