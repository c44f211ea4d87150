// A motion sensor that is read by asking it: the IIO devices, and in time a phone asked over the
// network or a board that writes lines to a serial port. A PolledMotionSource asks it on a
// thread of its own and turns its readings into the samples of a MotionSource.
#pragma once

#include <optional>
#include <stop_token>

#include "platform/MotionSource.h"

namespace zemtra::platform::sensors {

// What one reading measured; a part is empty where the device measures nothing of the kind.
struct MotionReading {
    std::optional<MagneticField> magneticField;
    std::optional<DeviceMotion> deviceMotion;
};

class MotionDevice {
  public:
    virtual ~MotionDevice() = default;

    // Reads the device once, on the source's thread only; nothing when no sample could be read
    // (a failure is the device's to report, once per change, through the diagnostics). It may
    // block, and then returns soon once `stop` is requested (see SensorWorker).
    virtual std::optional<MotionReading> read(const std::stop_token& stop) = 0;
};

}  // namespace zemtra::platform::sensors
