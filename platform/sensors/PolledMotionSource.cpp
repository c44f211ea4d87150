// Counting of starts and stops, the asking of the device and the latest samples it gave.
#include "platform/sensors/PolledMotionSource.h"

#include <cmath>

#include "platform/Diagnostics.h"

namespace zemtra::platform::sensors {

namespace {

bool finite(const MotionReading& reading) {
    bool finite = true;
    const auto check = [&finite](std::initializer_list<double> values) {
        for (const double value : values) finite = finite && std::isfinite(value);
    };
    if (const auto& f = reading.magneticField) check({f->x, f->y, f->z});
    if (const auto& m = reading.deviceMotion) {
        const Acceleration& a = m->userAcceleration;
        check({a.x, a.y, a.z, m->attitude.yaw, m->attitude.pitch, m->attitude.roll});
    }
    return finite;
}

}  // namespace

PolledMotionSource::PolledMotionSource(std::unique_ptr<MotionDevice> device,
                                       std::chrono::nanoseconds period, SensorClock clock,
                                       Polling polling)
    : device_(std::move(device)),
      period_(period),
      clock_(std::move(clock)),
      polling_(polling),
      health_(device_->description()) {
    if (polling == Polling::ownThread) {
        worker_.emplace(period, [this](const std::stop_token& stop) { poll(stop); });
    }
}

void PolledMotionSource::start(MotionKind kind) {
    const bool wasRunning = updates_.anyRunning();
    updates_.start(kind);
    if (wasRunning) return;
    health_.setRunning(true, clock_.sinceStartup());
    if (worker_) worker_->setRunning(true);
}

void PolledMotionSource::stop(MotionKind kind) {
    if (!updates_.stop(kind) || updates_.anyRunning()) return;
    health_.setRunning(false, clock_.sinceStartup());
    if (worker_) worker_->setRunning(false);
}

std::optional<MagneticField> PolledMotionSource::latestMagneticField() const {
    pollIfDue();
    const auto values = latestField_.read();
    if (!values) return std::nullopt;
    return MagneticField{(*values)[0], (*values)[1], (*values)[2]};
}

std::optional<DeviceMotion> PolledMotionSource::latestDeviceMotion() const {
    pollIfDue();
    const auto values = latestMotion_.read();
    if (!values) return std::nullopt;
    const auto& v = *values;
    return DeviceMotion{.userAcceleration = {v[0], v[1], v[2]}, .attitude = {v[3], v[4], v[5]}};
}

MotionSourceStatus PolledMotionSource::status() const {
    pollIfDue();
    return health_.status(clock_.sinceStartup());
}

void PolledMotionSource::pollIfDue() const {
    if (polling_ != Polling::whenRead || !updates_.anyRunning()) return;
    const std::unique_lock lock(pollIfDue_, std::try_to_lock);
    if (!lock.owns_lock()) return;
    const auto now = clock_.sinceStartup();
    if (nextPoll_ && now < *nextPoll_) return;
    nextPoll_ = now + period_;
    // A read that polls changes what it reads; the source itself is never a const object.
    const_cast<PolledMotionSource*>(this)->poll();
}

bool PolledMotionSource::poll(const std::stop_token& stop) {
    Result<MotionReading> reading = device_->read(stop);
    if (reading && !finite(*reading)) {
        reading = fail("the sensors read numbers that are not finite", kNotFinite);
    }
    const auto now = clock_.sinceStartup();
    if (!reading) {
        const Failure& failure = reading.failure();
        // A broken driver's numbers are worth a word even while other readings get through.
        if (failure.code == kNotFinite && !notFiniteSaid_) {
            notFiniteSaid_ = true;
            diagnostics::warning(failure.reason + "; such readings count as no sample");
        }
        health_.failed(failure.reason, now);
        return false;
    }
    if (const auto& field = reading->magneticField;
        field && updates_.running(MotionKind::magnetometer)) {
        latestField_.publish({field->x, field->y, field->z});
    }
    if (const auto& motion = reading->deviceMotion;
        motion && updates_.running(MotionKind::deviceMotion)) {
        const Acceleration& a = motion->userAcceleration;
        const Attitude& attitude = motion->attitude;
        latestMotion_.publish({a.x, a.y, a.z, attitude.yaw, attitude.pitch, attitude.roll});
    }
    health_.sampled(now);
    return true;
}

}  // namespace zemtra::platform::sensors
