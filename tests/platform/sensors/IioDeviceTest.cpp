// The IIO devices over a fake sysfs tree in a temporary folder, read through the source that
// polls every device.
#include "platform/sensors/IioDevice.h"

#include <gtest/gtest.h>

#include <numbers>
#include <stdexcept>
#include <thread>

#include "platform/Diagnostics.h"
#include "platform/sensors/PolledMotionSource.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::platform::sensors {
namespace {

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
        auto device = IioDevice::open(root.path());
        if (!device) throw std::runtime_error(device.error());
        auto source = std::make_unique<PolledMotionSource>(std::move(device).value(),
                                                           IioDevice::kPeriod, polling);
        source->start(MotionKind::magnetometer);
        source->start(MotionKind::deviceMotion);
        return source;
    }

    const zemtra::testing::TemporaryFolder root{"zemtra-iio"};
    const std::filesystem::path devices = root / "bus" / "iio" / "devices";
};

TEST_F(FakeSysfs, ScalesReadingsRemovesGravityAndSaysWhenAChannelFails) {
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

    // An unreadable channel skips its readings and keeps the last, and is reported once when it
    // fails and once when it recovers; a stopped kind gets no more samples.
    const DiagnosticsCapture diagnostics;
    source->stop(MotionKind::magnetometer);
    channels("iio:device1", "magn", 0, 0, 0);
    write("iio:device0", "in_accel_y_raw", "garbage");
    EXPECT_FALSE(source->poll() || source->poll());
    channels("iio:device0", "accel", 0, 0, 1000);
    ASSERT_TRUE(source->poll() && source->poll());
    EXPECT_DOUBLE_EQ(source->latestMagneticField()->x, 20.0);
    const std::string channel = (devices / "iio:device0/in_accel_y_raw").string();
    EXPECT_EQ(diagnostics.texts(),
              (std::vector<std::string>{"cannot read the IIO channel " + channel +
                                            "; its samples are skipped until it can be read again",
                                        "the IIO channel " + channel + " can be read again"}));
    EXPECT_EQ(diagnostics.messages().at(0).severity, Severity::warning);
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

TEST_F(FakeSysfs, MessagesNameTheFolderSearched) {
    std::filesystem::create_directories(devices);
    EXPECT_EQ(IioDevice::open(root.path()).error(),
              "no IIO accelerometer found in " + devices.string() +
                  " (looked for iio:device*/in_accel_x_raw, _y_raw and _z_raw)");
    EXPECT_EQ(IioDevice::open(root / "none").error(), "no IIO device found: the folder " +
                                                          (root / "none/bus/iio/devices").string() +
                                                          " does not exist");
    // A scale that holds no number is named, not taken as 0 or 1.
    channels("iio:device1", "accel", 0, 0, 1);
    write("iio:device1", "in_accel_scale", "fast");
    EXPECT_EQ(IioDevice::open(devices).error(),
              "the IIO attribute " + (devices / "iio:device1/in_accel_scale").string() +
                  " holds no number");
}

// Polled on the source's own thread, as the program does; what was opened is said for
// debugging only, so a normal run says nothing.
TEST_F(FakeSysfs, WithoutMagnetometerTheMagnetometerStaysEmptyOnTheOwnThread) {
    channels("iio:device0", "accel", 0, 0, 1000);
    const DiagnosticsCapture diagnostics;
    auto source = open(Polling::ownThread);
    for (int wait = 0; wait < 10'000 && !source->latestDeviceMotion(); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(source->latestDeviceMotion().value().attitude.yaw, 0);
    EXPECT_FALSE(source->latestMagneticField());
    const auto said = diagnostics.messages();
    EXPECT_TRUE(said.size() == 2 && said[0].severity == Severity::debug &&
                said[1].severity == Severity::debug);
}

}  // namespace
}  // namespace zemtra::platform::sensors
