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
// A thread of its own polls the devices at 50 Hz while any kind of update runs (Polling::manual
// leaves polling to the caller, for tests). A channel that cannot be read skips that sample.
#pragma once

#include <array>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/MotionSource.h"
#include "platform/sensors/SampleSlot.h"
#include "platform/sensors/UpdateSwitch.h"

namespace zemtra::platform::sensors {

class IioMotionSource final : public MotionSource {
  public:
    static constexpr std::chrono::milliseconds kPeriod{20};
    static constexpr double kGravityFilter = 0.1;
    static constexpr double kStandardGravity = 9.80665;  // m/s² in one g
    static constexpr double kMicroteslaPerGauss = 100;

    enum class Polling { ownThread, manual };

    struct Channel {
        std::filesystem::path raw;
        double scale = 1;
        double offset = 0;
    };
    struct Sensor {
        std::filesystem::path device;
        std::array<Channel, 3> axes;  // x, y, z
    };

    // The source, or a message that names the folder searched when no accelerometer is there.
    // The root is the sysfs root (/sys); a folder that itself holds the iio:device* folders is
    // accepted too.
    struct OpenResult {
        std::unique_ptr<IioMotionSource> source;
        std::string error;
    };
    static OpenResult open(const std::filesystem::path& root, Polling polling = Polling::ownThread);

  private:
    struct Key {};

  public:
    // Through open() only (the key is private).
    IioMotionSource(Key, Sensor accelerometer, std::optional<Sensor> magnetometer, Polling polling);
    IioMotionSource(const IioMotionSource&) = delete;
    IioMotionSource& operator=(const IioMotionSource&) = delete;
    ~IioMotionSource() override;

    void start(MotionKind kind) override;
    void stop(MotionKind kind) override;
    std::optional<MagneticField> latestMagneticField() const override;
    std::optional<DeviceMotion> latestDeviceMotion() const override;

    // Reads the devices once and delivers a sample of each kind that runs; answers false when a
    // channel could not be read (nothing delivered). Called by the own thread, or by the caller
    // under Polling::manual; never by both.
    bool poll();

    const Sensor& accelerometer() const { return accelerometer_; }
    const std::optional<Sensor>& magnetometer() const { return magnetometer_; }

  private:
    void pollLoop();

    const Sensor accelerometer_;
    const std::optional<Sensor> magnetometer_;
    const Polling polling_;
    UpdateSwitch magnetometerUpdates_;
    UpdateSwitch deviceMotionUpdates_;
    SampleSlot<3> latestField_;
    SampleSlot<6> latestMotion_;                    // acceleration x, y, z, yaw, pitch, roll
    std::optional<std::array<double, 3>> gravity_;  // g; used by the polling side only

    std::mutex mutex_;
    std::condition_variable changed_;
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace zemtra::platform::sensors
