// Motion samples from Linux Industrial I/O devices: an accelerometer and, when there is one, a
// magnetometer, read through sysfs (ROOT/bus/iio/devices/iio:deviceN/in_accel_x_raw and so on,
// with their scale and offset).
//
// Raw readings are converted as (raw + offset) × scale, which the kernel defines as m/s² for
// acceleration and gauss for the magnetic field; they become g and microtesla. Gravity is removed
// from the acceleration by a low-pass estimate (each reading moves the estimate by
// kGravityFilter of the difference); pitch and roll come from that estimate, yaw from the
// tilt-compensated magnetic heading (0 without a magnetometer). Without a magnetometer the
// magnetometer reading stays empty.
//
// A PolledMotionSource asks it at 50 Hz (kPeriod). A channel that cannot be read skips that
// reading; it is reported when it fails and when it can be read again, not at every reading.
#pragma once

#include <array>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>

#include "platform/Result.h"
#include "platform/sensors/MotionDevice.h"

namespace zemtra::platform::sensors {

class IioDevice final : public MotionDevice {
  public:
    // The devices, or a message that names the folder searched when no accelerometer is there.
    // The root is the sysfs root (/sys); a folder that itself holds the iio:device* folders is
    // accepted too. What was found is reported as debug diagnostics.
    static Result<std::unique_ptr<IioDevice>> open(const std::filesystem::path& root);

    // How often the source asks for a reading: 50 Hz.
    static constexpr std::chrono::milliseconds kPeriod{20};
    static constexpr double kGravityFilter = 0.1;
    static constexpr double kStandardGravity = 9.80665;  // m/s² in one g
    static constexpr double kMicroteslaPerGauss = 100;

    struct Channel {
        std::filesystem::path raw;
        double scale = 1;
        double offset = 0;
    };
    struct Sensor {
        std::filesystem::path device;
        std::array<Channel, 3> axes;  // x, y, z
        // The channel that could not be read at the latest reading.
        std::optional<std::filesystem::path> unreadable;
    };

  private:
    struct Key {};

  public:
    // Through open() only (the key is private).
    IioDevice(Key, Sensor accelerometer, std::optional<Sensor> magnetometer);

    // Both kinds from one reading of every channel; nothing when a channel cannot be read.
    std::optional<MotionReading> read(const std::stop_token& stop) override;

  private:
    Sensor accelerometer_;
    std::optional<Sensor> magnetometer_;
    std::optional<std::array<double, 3>> gravity_;  // g
};

}  // namespace zemtra::platform::sensors
