// Stands in for the word generator's application module until it is built: it answers the
// launch event, says so in the log and ends the run.
#pragma once

#include "runtime/core/MainQueue.h"
#include "runtime/core/Module.h"

namespace zemtra::app {

class PlaceholderModule final : public RtStaticModule {
  public:
    static constexpr StringView kClassName = u"zm_main";
    String className() const override { return String(kClassName); }

    const MethodTable* methods() const override {
        static const MethodTable table{
            MethodTable::sub("_application_start:", &PlaceholderModule::_application_start),
            MethodTable::sub("_application_active", &PlaceholderModule::_application_active),
            MethodTable::sub("_application_inactive", &PlaceholderModule::_application_inactive),
            MethodTable::sub("_application_background",
                             &PlaceholderModule::_application_background),
        };
        return &table;
    }

    void _application_start(const Value&) {
        bi->Log(u"Zemtra runtime started; the word generator is not part of this build yet.");
        MainQueue::current().quit(0);
    }
    void _application_active() {}
    void _application_inactive() {}
    void _application_background() {}
};

}  // namespace zemtra::app
