// The device services' health on the main screen: a service that can fail answers why through an
// operation read at every display tick and after each spoken word; while it fails, the notice
// line shows the reason (logged once), and the log says when it works again.
#include "app/zm_main.h"

#include "runtime/core/RtCore.h"
#include "runtime/lib/RtMap.h"

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

void zm_main::checkSensors() {
    if (!_move) return;
    const auto status = RtCore::runDynamicMethod(Value(_move), u"Status", false).as<RtMap>();
    if (!status) return;
    const Value lostValue = status->GetDefault(Value(u"Lost"), Value::ofBoolean(false));
    const bool lost = lostValue.number() && lostValue.number()->toBoolean();
    if (!lost) {
        clearNotice(NoticeKind::sensors, u"Sensors found again");
        return;
    }
    const Value reason = status->GetDefault(Value(u"Reason"), Value(String()));
    const String text = u"Sensors lost: " + (reason.string() ? *reason.string() : String());
    // The reason can grow while the loss lasts ("no new sample for 3 s", "… 4 s"): the line
    // follows it, the log says it once per loss.
    const Value changes = status->GetDefault(Value(u"Changes"), Value::ofLong(0));
    const int64_t loss = changes.number() ? changes.number()->toLong() : 0;
    if (loss != sensorLossShown_ || notice(NoticeKind::sensors).empty()) {
        sensorLossShown_ = loss;
        clearNotice(NoticeKind::sensors);
        showNotice(NoticeKind::sensors, text);
        return;
    }
    replaceNoticeText(NoticeKind::sensors, text);
}

void zm_main::checkDevices() {
    checkSensors();
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
