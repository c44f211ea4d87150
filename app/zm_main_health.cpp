// The device services' health on the main screen: a service that can fail answers why through an
// operation read at every display tick and after each spoken word; while it fails, the notice
// line shows the reason (logged once), and the log says when it works again.
#include "app/zm_main.h"

#include "runtime/core/RtCore.h"

namespace zemtra::app {

namespace {

// One service's health: the operation answering its failure in plain words (the empty text, or
// no such operation, while it works) and the texts the person sees.
struct DeviceHealth {
    ObjectRef zm_main::*service;
    StringView operation;
    zm_main::NoticeKind kind;
    StringView failedPrefix;  // put before the service's reason
    StringView recoveredText;
};

constexpr DeviceHealth kDevices[] = {
    {&zm_main::_talk, u"Status", zm_main::NoticeKind::speech, u"Speech failed: ",
     u"Speech works again"},
};

}  // namespace

void zm_main::checkDevices() {
    for (const DeviceHealth& device : kDevices) {
        const ObjectRef& service = this->*device.service;
        if (!service) continue;
        const Value answer = RtCore::runDynamicMethod(Value(service), device.operation, false);
        const String* reason = answer.string();
        if (reason && !reason->empty())
            showNotice(device.kind, String(device.failedPrefix) + *reason);
        else
            clearNotice(device.kind, String(device.recoveredText));
    }
}

}  // namespace zemtra::app
