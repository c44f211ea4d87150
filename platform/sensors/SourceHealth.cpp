// Judging a source lost or found, and the words for it.
#include "platform/sensors/SourceHealth.h"

#include <algorithm>
#include <cstdio>

namespace zemtra::platform::sensors {

namespace {

using std::chrono::duration_cast;

// "3 s", "5 min", "2 h": whole units, rounded down, the largest that still reads well.
std::string durationInWords(std::chrono::nanoseconds duration) {
    const auto seconds = duration_cast<std::chrono::seconds>(duration).count();
    if (seconds < 120) return std::to_string(seconds) + " s";
    if (seconds < 120 * 60) return std::to_string(seconds / 60) + " min";
    return std::to_string(seconds / 3600) + " h";
}

std::string secondsWithTenths(std::chrono::nanoseconds duration) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", std::chrono::duration<double>(duration).count());
    return text;
}

}  // namespace

SourceHealth::SourceHealth(std::string description) : description_(std::move(description)) {}

void SourceHealth::setRunning(bool running, Time now) {
    const std::lock_guard lock(mutex_);
    if (running == running_) return;
    running_ = running;
    if (running) runningSince_ = now;
    recentSamples_.clear();
}

void SourceHealth::sampled(Time now) {
    std::optional<Change> change;
    {
        const std::lock_guard lock(mutex_);
        if (lost_) {
            lost_ = false;
            ++changes_;
            change = Change{Severity::info, "sensors found again (" + description_ + ") after " +
                                                secondsWithTenths(now - silentSinceLocked()) +
                                                " s without a new sample"};
        }
        lastSample_ = now;
        failure_.reset();
        recentSamples_.push_back(now);
        while (recentSamples_.front() <= now - kRateWindow) recentSamples_.pop_front();
    }
    say(change);
}

void SourceHealth::failed(const std::string& reason, Time now) {
    std::optional<Change> change;
    {
        const std::lock_guard lock(mutex_);
        if (failure_ != reason) {
            failure_ = reason;
            change = Change{Severity::debug, description_ + ": " + reason};
        }
    }
    say(change);
    judge(now);
}

void SourceHealth::judge(Time now) {
    std::optional<Change> change;
    {
        const std::lock_guard lock(mutex_);
        change = judgeLocked(now);
    }
    say(change);
}

MotionSourceStatus SourceHealth::status(Time now) {
    std::optional<Change> change;
    MotionSourceStatus status;
    status.description = description_;
    {
        const std::lock_guard lock(mutex_);
        change = judgeLocked(now);
        status.lost = lost_;
        if (lost_) status.reason = reasonLocked(now);
        status.changes = changes_;
        if (running_) {
            const auto recent =
                std::count_if(recentSamples_.begin(), recentSamples_.end(),
                              [&](Time sample) { return sample > now - kRateWindow; });
            const Time span = std::min<Time>(kRateWindow, now - runningSince_);
            if (span > Time::zero()) {
                status.samplesPerSecond =
                    static_cast<double>(recent) / std::chrono::duration<double>(span).count();
            }
        }
    }
    say(change);
    return status;
}

std::optional<SourceHealth::Change> SourceHealth::judgeLocked(Time now) {
    if (!running_ || lost_ || now - silentSinceLocked() < kLostAfter) return std::nullopt;
    lost_ = true;
    ++changes_;
    return Change{Severity::warning, "sensors lost (" + description_ + "): " + reasonLocked(now)};
}

std::string SourceHealth::reasonLocked(Time now) const {
    if (failure_) return *failure_;
    return "no new sample for " + durationInWords(now - silentSinceLocked());
}

SourceHealth::Time SourceHealth::silentSinceLocked() const {
    if (!lastSample_) return runningSince_;
    return std::max(*lastSample_, runningSince_);
}

void SourceHealth::say(const std::optional<Change>& change) {
    if (change) diagnostics::report(change->severity, change->text);
}

}  // namespace zemtra::platform::sensors
