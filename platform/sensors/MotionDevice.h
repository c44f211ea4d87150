// A motion sensor that is read by asking it: the IIO devices, and in time a phone asked over the
// network or a board that writes lines to a serial port. A PolledMotionSource asks it on a
// thread of its own and turns its readings into the samples of a MotionSource.
#pragma once

#include <optional>
#include <stop_token>
#include <string>

#include "platform/MotionSource.h"
#include "platform/Result.h"

namespace zemtra::platform::sensors {

// What one reading measured; a part is empty where the device measures nothing of the kind.
struct MotionReading {
    std::optional<MagneticField> magneticField;
    std::optional<DeviceMotion> deviceMotion;
};

// The code of a failed reading whose numbers are not finite (a broken driver's overflow, NaN),
// so that the source can tell it from a device that is merely away.
inline const std::error_code kNotFinite = std::make_error_code(std::errc::result_out_of_range);

class MotionDevice {
  public:
    virtual ~MotionDevice() = default;

    // What the device is, for the main screen: "IIO accel_3d + magn_3d". It does not change.
    virtual std::string description() const = 0;

    // Reads the device once, on the source's thread only. A failure says in plain words why
    // there is no sample ("the accelerometer iio:device0 is gone"); a device that went away
    // looks for itself again here, at a modest rate. It may block, and then returns soon once
    // `stop` is requested (see SensorWorker). It never throws.
    virtual Result<MotionReading> read(const std::stop_token& stop) = 0;
};

}  // namespace zemtra::platform::sensors
