// Timer generations and tick scheduling on the main queue.
#include "runtime/core/RtTimer.h"

#include <algorithm>

#include "runtime/core/MainQueue.h"
#include "runtime/core/MethodTable.h"
#include "runtime/core/RtCore.h"

namespace zemtra {

const MethodTable* RtTimer::methods() const {
    static const MethodTable table{
        MethodTable::operation("Initialize:::", &RtTimer::Initialize),
        MethodTable::operation("IsInitialized", &RtTimer::IsInitialized),
        MethodTable::operation("Interval", &RtTimer::Interval),
        MethodTable::operation("setInterval:", &RtTimer::setInterval),
        MethodTable::operation("Enabled", &RtTimer::Enabled),
        MethodTable::operation("setEnabled:", &RtTimer::setEnabled),
    };
    return &table;
}

void RtTimer::Initialize(const std::shared_ptr<RtCore>& core, const String& prefix,
                         int64_t interval) {
    interval_ = interval;
    core_ = core;
    eventName_ = toLowerEnUs(prefix) + u"_tick";
}

void RtTimer::setInterval(int64_t interval) {
    if (interval == interval_) return;
    interval_ = interval;
    if (enabled_) {
        stopTicking();
        startTicking();
    }
}

void RtTimer::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled) {
        startTicking();
    } else {
        stopTicking();
    }
}

void RtTimer::startTicking() {
    schedule(nextGeneration());
}

void RtTimer::schedule(int32_t generation) {
    auto self = std::static_pointer_cast<RtTimer>(shared_from_this());
    // Converted with saturation: an interval beyond about 292 years would overflow nanoseconds
    // and wrap round to a tick due at once.
    constexpr int64_t kLongestInterval = MainQueue::Nanos::max().count() / 1'000'000;
    const MainQueue::Nanos delay = interval_ > kLongestInterval
                                       ? MainQueue::Nanos::max()
                                       : std::chrono::milliseconds(std::max<int64_t>(interval_, 0));
    MainQueue::current().postDelayed(
        delay, [self = std::move(self), generation] { self->tick(generation); });
}

void RtTimer::tick(int32_t generation) {
    if (generation != relevantTimer_) return;
    schedule(generation);
    if (const auto core = core_.lock()) {
        core->raiseEvent(Value(shared_from_this()), eventName_);
    }
}

}  // namespace zemtra
