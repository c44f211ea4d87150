// The device services' health on the main screen: a service that can fail answers why through an
// operation read at every display tick and after each spoken word; while it fails, the notice
// line shows the reason (logged once), and the log says when it works again. The source line
// below it says what the sensor source is and how it does.
#include "app/zm_main.h"

#include <cmath>
#include <optional>

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

// The motion service's status, as the notice line and the source line read it.
struct SourceHealth {
    String description;
    bool simulated = false;
    bool lost = false;
    String reason;
    double samplesPerSecond = 0;
    int64_t changes = 0;  // losses and recoveries so far
};

std::optional<SourceHealth> sourceHealth(const ObjectRef& motion) {
    if (!motion) return std::nullopt;
    const auto status = RtCore::runDynamicMethod(Value(motion), u"Status", false).as<RtMap>();
    if (!status) return std::nullopt;
    const auto flag = [&](StringView key) {
        const Value value = status->GetDefault(Value(String(key)), Value::ofBoolean(false));
        return value.number() && value.number()->toBoolean();
    };
    const auto text = [&](StringView key) {
        const Value value = status->GetDefault(Value(String(key)), Value(String()));
        return value.string() ? *value.string() : String();
    };
    const Value rate = status->GetDefault(Value(u"SamplesPerSecond"), Value::ofDouble(0));
    const Value changes = status->GetDefault(Value(u"Changes"), Value::ofLong(0));
    return SourceHealth{text(u"Description"),
                        flag(u"Simulated"),
                        flag(u"Lost"),
                        text(u"Reason"),
                        rate.number() ? rate.number()->toDouble() : 0,
                        changes.number() ? changes.number()->toLong() : 0};
}

constexpr StringView kSimulatedLine = u"Simulated sensors: the words come from a random generator";

String sourceLineOf(const SourceHealth& health) {
    if (health.lost) return u"Sensors lost: " + health.reason;
    if (health.simulated) return String(kSimulatedLine);
    String line = health.description;
    const auto rate = std::lround(health.samplesPerSecond);
    if (rate > 0) line += u" \u00B7 " + fromUtf8(std::to_string(rate)) + u" samples/s";
    return line;
}

}  // namespace

void zm_main::checkSensors() {
    const auto health = sourceHealth(_move);
    if (!health) return;
    setSourceLine(sourceLineOf(*health));
    if (!health->lost) {
        clearNotice(NoticeKind::sensors, u"Sensors found again");
        return;
    }
    const String text = u"Sensors lost: " + health->reason;
    // The reason can grow while the loss lasts ("no new sample for 3 s", "… 4 s"): the line
    // follows it, the log says it once per loss.
    if (health->changes != sensorLossShown_ || notice(NoticeKind::sensors).empty()) {
        sensorLossShown_ = health->changes;
        clearNotice(NoticeKind::sensors);
        showNotice(NoticeKind::sensors, text);
        return;
    }
    replaceNoticeText(NoticeKind::sensors, text);
}

void zm_main::logSensorSource() {
    const auto health = sourceHealth(_move);
    if (!health) return;
    bi->Log(health->simulated ? String(kSimulatedLine) : u"Sensors: " + health->description);
}

void zm_main::showSourceLine() {
    if (const auto health = sourceHealth(_move)) setSourceLine(sourceLineOf(*health));
}

void zm_main::setSourceLine(const String& line) {
    // The label redraws on every change of its text; at each display tick the text is mostly
    // the same.
    if (!_lblsource || !_lblsource->IsInitialized() || line == sourceLine_) return;
    sourceLine_ = line;
    _lblsource->setText(line);
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
