// The IIO devices over a fake sysfs tree in a temporary folder, read through the source that
// polls every device: conversion, a device that goes away and comes back, broken numbers, and
// trees that cannot be examined.
#include "platform/sensors/IioDevice.h"

#include <gtest/gtest.h>

#include <numbers>
#include <stdexcept>
#include <thread>

#include "platform/Diagnostics.h"
#include "platform/sensors/MotionSourceFactory.h"
#include "platform/sensors/PolledMotionSource.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::platform::sensors {
namespace {

using namespace std::chrono_literals;
using Polling = PolledMotionSource::Polling;

class FakeSysfs : public ::testing::Test {
  protected:
    void write(const std::string& device, const std::string& attribute, const std::string& text) {
        zemtra::testing::writeFile(devices / device / attribute, text + "\n");
    }
    void channels(const std::string& device, const std::string& type, int x, int y, int z) {
        for (const auto& [axis, value] : {std::pair{"x", x}, {"y", y}, {"z", z}}) {
            write(device, "in_" + type + "_" + axis + "_raw", std::to_string(value));
        }
    }
    std::unique_ptr<PolledMotionSource> open(Polling polling = Polling::manual) {
        auto device = IioDevice::open(root.path(), clock);
        if (!device) throw std::runtime_error(device.error());
        auto source = std::make_unique<PolledMotionSource>(std::move(device).value(),
                                                           IioDevice::kPeriod, clock, polling);
        source->start(MotionKind::magnetometer);
        source->start(MotionKind::deviceMotion);
        return source;
    }

    const zemtra::testing::TemporaryFolder root{"zemtra-iio"};
    const std::filesystem::path devices = root / "bus" / "iio" / "devices";
    std::chrono::nanoseconds now{};
    const SensorClock clock{[this] { return now; }, true};
    const DiagnosticsCapture diagnostics;
};

TEST_F(FakeSysfs, ScalesReadingsRemovesGravityAndKeepsTheLastSampleWhenAChannelFails) {
    channels("iio:device0", "accel", 0, 0, 1000);
    write("iio:device0", "in_accel_scale", "0.010000");  // m/s² per unit
    // A separate magnetometer with a per-axis scale beside the shared one, and an offset.
    channels("iio:device1", "magn", 150, 0, -450);
    write("iio:device1", "in_magn_scale", "0.001");  // gauss per unit
    write("iio:device1", "in_magn_y_scale", "0.002");
    write("iio:device1", "in_magn_offset", "50");
    auto source = open();
    EXPECT_FALSE(source->latestMagneticField()) << "nothing before the first reading";
    ASSERT_TRUE(source->poll());
    const MagneticField field = source->latestMagneticField().value();
    EXPECT_DOUBLE_EQ(field.x, 20.0);  // (150 + 50) × 0.001 G = 20 µT
    EXPECT_DOUBLE_EQ(field.y, 10.0);
    EXPECT_DOUBLE_EQ(field.z, -40.0);
    EXPECT_EQ(source->latestDeviceMotion()->userAcceleration.z, 0) << "at first all is gravity";

    // A push along x: the gravity estimate takes a tenth of it, the rest is the user's; held,
    // the estimate catches up.
    channels("iio:device0", "accel", 300, 0, 1000);
    ASSERT_TRUE(source->poll());
    const double pushed = 300 * 0.01 / IioDevice::kStandardGravity;
    EXPECT_NEAR(source->latestDeviceMotion()->userAcceleration.x, 0.9 * pushed, 1e-12);
    for (int i = 0; i < 200; ++i) source->poll();
    EXPECT_NEAR(source->latestDeviceMotion()->userAcceleration.x, 0, 1e-6);

    // An unreadable channel fails the whole reading and leaves the latest samples as they were;
    // a stopped kind gets no more samples.
    source->stop(MotionKind::magnetometer);
    channels("iio:device1", "magn", 0, 0, 0);
    write("iio:device0", "in_accel_y_raw", "garbage");
    EXPECT_FALSE(source->poll());
    EXPECT_NEAR(source->latestDeviceMotion()->userAcceleration.x, 0, 1e-6);
    channels("iio:device0", "accel", 0, 0, 1000);
    ASSERT_TRUE(source->poll());
    EXPECT_DOUBLE_EQ(source->latestMagneticField()->x, 20.0);
    EXPECT_EQ(source->status().description, "IIO iio:device0 + iio:device1") << "no name files";
}

// Devices facing north and tilted read the field of the flat case turned with them; the
// accelerometer at rest reads "up".
TEST_F(FakeSysfs, AttitudeComesFromGravityAndHeading) {
    constexpr double kPi = std::numbers::pi;
    const struct {
        int ax, ay, az, mx, my, mz;
        double yaw, pitch, roll;
    } cases[] = {{0, 0, 1000, 0, 200, -400, 0, 0, 0},
                 {0, 0, 1000, -200, 0, -400, -kPi / 2, 0, 0},
                 {0, 0, 1000, 200, 0, -400, kPi / 2, 0, 0},
                 {-1000, 0, 1000, 283, 200, -283, 0, 0, kPi / 4},
                 {0, 1000, 1000, 0, -141, -424, 0, kPi / 4, 0}};
    for (const auto& c : cases) {
        channels("iio:device0", "accel", c.ax, c.ay, c.az);
        channels("iio:device0", "magn", c.mx, c.my, c.mz);
        auto source = open();
        ASSERT_TRUE(source->poll());
        const Attitude attitude = source->latestDeviceMotion()->attitude;
        EXPECT_NEAR(attitude.yaw, c.yaw, 1e-9) << c.mx << ", " << c.my;
        EXPECT_NEAR(attitude.pitch, c.pitch, 1e-9) << c.ay;
        EXPECT_NEAR(attitude.roll, c.roll, 1e-9) << c.ax;
    }
}

// As the program makes it under the virtual clock: asked as the program's time passes, with no
// thread. When a loss shows and what is said of it are the polled source's tests' matter.
TEST_F(FakeSysfs, ADeviceThatGoesAwayIsLostAfterTwoSecondsAndTakenUpAgainWhereItTurnsUp) {
    channels("iio:device0", "accel", 0, 0, 1000);
    write("iio:device0", "name", "accel_3d");
    channels("iio:device1", "magn", 200, 0, -400);
    write("iio:device1", "name", "magn_3d");
    auto source = std::move(createMotionSource("iio:" + root.path().string(), clock).value());
    source->start(MotionKind::magnetometer);
    source->start(MotionKind::deviceMotion);
    for (now = 20ms; now <= 1s; now += 20ms) ASSERT_TRUE(source->latestDeviceMotion());
    now = 1s;
    EXPECT_EQ(source->status().description, "IIO accel_3d + magn_3d");
    EXPECT_NEAR(source->status().samplesPerSecond, 50, 1) << "the factory's polling period";

    // Unplugged after the sample of 1000 ms, while an accelerometer of another name is there.
    std::filesystem::remove_all(devices / "iio:device0");
    channels("iio:device2", "accel", 5, 5, 5);
    write("iio:device2", "name", "other");
    const MagneticField before = source->latestMagneticField().value();
    now = 3s;
    MotionSourceStatus status = source->status();
    EXPECT_TRUE(status.lost);
    EXPECT_EQ(status.reason, "the accelerometer iio:device0 is gone");
    EXPECT_EQ(source->latestMagneticField()->x, before.x) << "the latest sample stays";

    // Back under another number with another scale: found at the next search, read afresh.
    channels("iio:device4", "accel", 0, 0, 3000);
    write("iio:device4", "in_accel_scale", "0.5");
    write("iio:device4", "name", "accel_3d");
    now += IioDevice::kSearchPeriod;
    status = source->status();
    EXPECT_FALSE(status.lost);
    EXPECT_EQ(source->latestDeviceMotion()->userAcceleration.z, 0) << "gravity is estimated anew";
    now += 3s;
    EXPECT_FALSE(source->status().lost);
}

// A broken driver's overflow counts as no sample (how that is judged is the polled source's) and
// never reaches the estimate of gravity.
TEST_F(FakeSysfs, ReadingsThatAreNotFiniteCountAsNoSample) {
    channels("iio:device0", "accel", 0, 0, 1000);
    write("iio:device0", "in_accel_scale", "1e300");
    auto source = open();
    write("iio:device0", "in_accel_z_raw", "1e10");
    for (; now <= 2s; now += 20ms) EXPECT_FALSE(source->poll());
    EXPECT_EQ(source->status().reason,
              "the accelerometer iio:device0 reads a number that is not finite (in_accel_z_raw "
              "1e+10 with scale 1e+300)");
    write("iio:device0", "in_accel_z_raw", "1");
    ASSERT_TRUE(source->poll());
    EXPECT_EQ(source->latestDeviceMotion()->userAcceleration.z, 0);
}

TEST_F(FakeSysfs, TreesThatCannotBeUsedAreRefusedWithThePathAndTheReason) {
    std::filesystem::create_directories(devices);
    EXPECT_EQ(IioDevice::open(root.path(), clock).error(),
              "no IIO accelerometer found in " + devices.string() +
                  " (looked for iio:device*/in_accel_x_raw, _y_raw and _z_raw)");
    EXPECT_EQ(IioDevice::open(root / "none", clock).error(),
              "no IIO device found: the folder " + (root / "none/bus/iio/devices").string() +
                  " does not exist");
    const zemtra::testing::TemporaryFolder file("zemtra-iio-file");
    zemtra::testing::writeFile(file / "bus/iio/devices", "not a folder");
    EXPECT_EQ(IioDevice::open(file.path(), clock).error(),
              "no IIO device found: " + (file / "bus/iio/devices").string() + " is not a folder");

    // A scale that holds no number is named, not taken as 0 or 1.
    channels("iio:device1", "accel", 0, 0, 1);
    write("iio:device1", "in_accel_scale", "fast");
    EXPECT_EQ(IioDevice::open(devices, clock).error(),
              "the IIO attribute " + (devices / "iio:device1/in_accel_scale").string() +
                  " holds no number");
    // Loops of symbolic links, at a device and at an attribute: the system's reason, no throw.
    const std::string loop = ": Too many levels of symbolic links";
    std::filesystem::remove(devices / "iio:device1/in_accel_scale");
    std::filesystem::create_symlink("in_accel_x_scale", devices / "iio:device1/in_accel_x_scale");
    EXPECT_EQ(IioDevice::open(devices, clock).error(),
              "cannot examine " + (devices / "iio:device1/in_accel_x_scale").string() + loop);
    std::filesystem::create_directory_symlink("iio:device0", devices / "iio:device0");
    EXPECT_EQ(IioDevice::open(root.path(), clock).error(),
              "cannot examine " + (devices / "iio:device0").string() + loop);
}

// Polled on the source's own thread, as the program does; what was opened is said for
// debugging only, so a normal run says nothing.
TEST_F(FakeSysfs, WithoutMagnetometerTheMagnetometerStaysEmptyOnTheOwnThread) {
    channels("iio:device0", "accel", 0, 0, 1000);
    auto source = open(Polling::ownThread);
    for (int wait = 0; wait < 10'000 && !source->latestDeviceMotion(); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(source->latestDeviceMotion().value().attitude.yaw, 0);
    EXPECT_FALSE(source->latestMagneticField());
    for (const auto& message : diagnostics.messages())
        EXPECT_EQ(message.severity, Severity::debug) << message.text;
}

}  // namespace
}  // namespace zemtra::platform::sensors
