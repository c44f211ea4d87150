// Counting of starts and stops, the polling thread and the latest samples of a polled device.
#include "platform/sensors/PolledMotionSource.h"

namespace zemtra::platform::sensors {

PolledMotionSource::PolledMotionSource(std::unique_ptr<MotionDevice> device,
                                       std::chrono::nanoseconds period, Polling polling)
    : device_(std::move(device)) {
    if (polling == Polling::ownThread) {
        worker_.emplace(period, [this](const std::stop_token& stop) { return poll(stop); });
    }
}

void PolledMotionSource::start(MotionKind kind) {
    if (updates_.start(kind) && worker_) worker_->setRunning(true);
}

void PolledMotionSource::stop(MotionKind kind) {
    if (updates_.stop(kind) && worker_) worker_->setRunning(updates_.anyRunning());
}

std::optional<MagneticField> PolledMotionSource::latestMagneticField() const {
    const auto values = latestField_.read();
    if (!values) return std::nullopt;
    return MagneticField{(*values)[0], (*values)[1], (*values)[2]};
}

std::optional<DeviceMotion> PolledMotionSource::latestDeviceMotion() const {
    const auto values = latestMotion_.read();
    if (!values) return std::nullopt;
    const auto& v = *values;
    return DeviceMotion{.userAcceleration = {v[0], v[1], v[2]}, .attitude = {v[3], v[4], v[5]}};
}

bool PolledMotionSource::poll(const std::stop_token& stop) {
    const std::optional<MotionReading> reading = device_->read(stop);
    if (!reading) return false;
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
    return true;
}

}  // namespace zemtra::platform::sensors
