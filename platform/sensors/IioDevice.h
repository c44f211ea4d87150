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
// A PolledMotionSource asks it at 50 Hz (kPeriod). A reading needs every channel of both
// sensors: a channel that cannot be read, or a converted value that is not finite (a broken
// driver's overflow), fails the reading with the reason, and the estimate of gravity keeps away
// from it. A sensor whose device folder is gone (unplugged, driver unloaded) or holds another
// device is looked for again once a kSearchPeriod of the program's clock, by the device's name
// attribute (by its folder's name when it has none), and taken up again, scale and offset read
// anew, where it turns up.
//
// Nothing here throws: a tree that cannot be examined (a loop of symbolic links, a folder
// without permission) is a failure of open() that names the path and the system's reason.
#pragma once

#include <array>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/Result.h"
#include "platform/sensors/MotionDevice.h"
#include "platform/sensors/SensorClock.h"

namespace zemtra::platform::sensors {

class IioDevice final : public MotionDevice {
  public:
    // The devices, or a message that names the folder searched when no accelerometer is there.
    // The root is the sysfs root (/sys); a folder that itself holds the iio:device* folders is
    // accepted too. What was found is reported as debug diagnostics. The clock paces the search
    // for a device that went away.
    static Result<std::unique_ptr<IioDevice>> open(const std::filesystem::path& root,
                                                   SensorClock clock);

    // How often the source asks for a reading: 50 Hz.
    static constexpr std::chrono::milliseconds kPeriod{20};
    static constexpr std::chrono::seconds kSearchPeriod{1};
    static constexpr double kGravityFilter = 0.1;
    static constexpr double kStandardGravity = 9.80665;  // m/s² in one g
    static constexpr double kMicroteslaPerGauss = 100;

    struct Channel {
        std::filesystem::path raw;
        double scale = 1;
        double offset = 0;
    };
    struct Sensor {
        std::string role;  // "accelerometer", "magnetometer"
        std::string type;  // of its channels: "accel", "magn"
        std::filesystem::path device;
        // The device's name attribute ("accel_3d"), or the folder's name when it has none.
        std::string name;
        bool named = false;           // whether the name is the attribute's
        std::array<Channel, 3> axes;  // x, y, z
        // When a gone device is looked for next (program's clock since start-up).
        std::chrono::nanoseconds nextSearch{};
    };

  private:
    struct Key {};

  public:
    // Through open() only (the key is private).
    IioDevice(Key, std::filesystem::path folder, Sensor accelerometer,
              std::optional<Sensor> magnetometer, SensorClock clock);

    // "IIO accel_3d + magn_3d", "IIO lsm9ds1" (one device with both), "IIO accel_3d, no
    // magnetometer".
    std::string description() const override;
    // Both kinds from one reading of every channel.
    Result<MotionReading> read(const std::stop_token& stop) override;
    bool hasMagnetometer() const { return magnetometer_.has_value(); }

  private:
    using Vector = std::array<double, 3>;

    // The sensor's three axes in the given unit, after looking for its device when it is gone.
    Result<Vector> sample(Sensor& sensor, double unit);
    // Looks for the sensor's device where it may have turned up again; true when found.
    bool search(Sensor& sensor);

    const std::filesystem::path folder_;  // where the iio:device* folders are
    const SensorClock clock_;
    Sensor accelerometer_;
    std::optional<Sensor> magnetometer_;
    std::optional<Vector> gravity_;  // g
};

}  // namespace zemtra::platform::sensors
