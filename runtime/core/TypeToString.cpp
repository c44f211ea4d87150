// Record descriptions. The work is bounded whatever the value: a record that is already being
// described further out on this thread (a record holding itself, directly or through others) is
// described as "" where it repeats; nesting of distinct records stops at a depth of 50 (deeper
// ones answer ""); and one outermost description starts at most 10000 record descriptions, so
// records that share others many times over cannot multiply the work. Values without such
// repetition describe in full, as always.
#include "runtime/core/Record.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "runtime/core/Object.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RtException.h"

namespace zemtra {

namespace {

constexpr size_t kDepthLimit = 50;
constexpr size_t kRecordBudget = 10000;

// The records whose descriptions are in progress on this thread (outermost first), and how many
// record descriptions the outermost one has started.
thread_local std::vector<const Record*> describing;
thread_local size_t started = 0;

class Describing {
  public:
    explicit Describing(const Record& record) { describing.push_back(&record); }
    ~Describing() { describing.pop_back(); }
    Describing(const Describing&) = delete;
    Describing& operator=(const Describing&) = delete;
};

// Whether describing `record` here would repeat or exceed the bounds.
bool mustCut(const Record& record) {
    if (describing.empty()) started = 0;
    if (++started > kRecordBudget || describing.size() >= kDepthLimit) return true;
    return std::find(describing.begin(), describing.end(), &record) != describing.end();
}

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
    if (mustCut(record)) return String();
    const Describing describingThis(record);
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
