// libFuzzer target for the layout loader. Every input must either be rejected with a LayoutError
// (or another runtime error while building views) or be read whole; a file that is read must
// print to the readable format and compile back to the same layout, and its views must build.
// Crashes, sanitizer reports and a broken round trip are failures.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/PlatformLog.h"
#include "runtime/core/Clock.h"
#include "runtime/core/MainQueue.h"
#include "runtime/core/Module.h"
#include "runtime/core/RtCore.h"
#include "runtime/core/RuntimeScope.h"
#include "runtime/lib/StandardServices.h"

#include "tools/LayoutText.h"
#include "ui/RtLayoutBuilder.h"
#include "ui/RtPanelWrapper.h"
#include "ui/Screen.h"

namespace {

using namespace zemtra;

// A module with fields and handlers so that binding and events are exercised.
class FuzzModule final : public RtStaticModule {
  public:
    const MethodTable* methods() const override {
        static const MethodTable table{
            MethodTable::sub("_a_click", &FuzzModule::click),
            MethodTable::sub("_a_valuechanged:", &FuzzModule::changed),
            MethodTable::sub("_a_resize::", &FuzzModule::resized),
            MethodTable::sub("set_a:", &FuzzModule::setField),
        };
        return &table;
    }
    void click() {}
    void changed(float) {}
    void resized(double, double) {}
    void setField(const Value& value) { field = value; }
    Value field;
};

// Log lines ("Error loading bitmap: ...") would only slow the fuzzer down.
class QuietLog final : public platform::PlatformLog {
  public:
    void writeLine(std::string_view) override {}
};

struct Runtime {
    Runtime() {
        registerStandardServices(scope);
        RtCore::setPlatformLog(&log);
    }
    RuntimeScope scope;
    QuietLog log;
    VirtualClock clock;
    MainQueue queue{clock};
    MainQueue::Installation installation{queue};
    std::shared_ptr<FuzzModule> module = StaticModules::New<FuzzModule>();
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Runtime runtime;
    const std::span<const uint8_t> bytes(data, size);

    layout::LayoutFile file;
    try {
        file = layout::parse(bytes, u"fuzz.lyt");
    } catch (const layout::LayoutError&) {
        return 0;
    }
    const std::string dump = layout::dumpText(file);
    try {
        const std::vector<uint8_t> again = layout::write(layout::compileText(dump, "dump"));
        if (layout::dumpText(layout::parse(again, u"again.lyt")) != dump) std::abort();
    } catch (const std::exception&) {
        std::abort();
    }

    auto panel = std::make_shared<RtPanelWrapper>();
    panel->Initialize(runtime.module->bi, u"a");
    panel->view().setFrame(0, 0, 340, 568);
    try {
        RtLayoutBuilder::loadLayoutFromBytes(bytes, u"fuzz.lyt", runtime.module->bi,
                                             panel->panel());
        panel->view().setFrame(0, 0, 200, 300);
        runtime.queue.runUntilIdle();
    } catch (const RtException&) {
    }
    runtime.queue.runUntilIdle();
    runtime.module->field = Value();
    return 0;
}
