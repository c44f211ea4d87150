// The motion source over a device that is read by asking it (a MotionDevice): it asks at a fixed
// period on a thread of its own while any kind of update runs, and keeps the latest reading of
// each running kind. Reads never block and never answer half of one reading and half of another;
// a reading that failed leaves the latest sample as it was, and a stopped kind keeps its last.
//
// Polling::manual starts no thread and leaves the asking to the caller (tests drive a device
// step by step so).
//
// Every polled device shares what is judged here, so its health belongs here too when it comes:
// the worker knows when the latest reading arrived (lost after a while without one, found again
// with the next), and poll() is where a reading with non-finite numbers would count as none.
#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "platform/MotionSource.h"
#include "platform/sensors/MotionDevice.h"
#include "platform/sensors/SampleSlot.h"
#include "platform/sensors/SensorWorker.h"

namespace zemtra::platform::sensors {

class PolledMotionSource final : public MotionSource {
  public:
    enum class Polling { ownThread, manual };

    PolledMotionSource(std::unique_ptr<MotionDevice> device, std::chrono::nanoseconds period,
                       Polling polling = Polling::ownThread);

    void start(MotionKind kind) override;
    void stop(MotionKind kind) override;
    std::optional<MagneticField> latestMagneticField() const override;
    std::optional<DeviceMotion> latestDeviceMotion() const override;

    // Reads the device once and keeps the reading of each kind that runs; answers whether there
    // was a reading. Called by the own thread, or by the caller under Polling::manual; never by
    // both.
    bool poll(const std::stop_token& stop = {});

  private:
    const std::unique_ptr<MotionDevice> device_;
    MotionUpdates updates_;
    SampleSlot<3> latestField_;           // x, y, z
    SampleSlot<6> latestMotion_;          // acceleration x, y, z, yaw, pitch, roll
    std::optional<SensorWorker> worker_;  // last: it ends before what it polls
};

}  // namespace zemtra::platform::sensors
