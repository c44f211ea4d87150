// The IIO source over a fake sysfs tree in a temporary folder.
#include "platform/sensors/IioMotionSource.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numbers>
#include <thread>

namespace zemtra::platform::sensors {
namespace {

namespace fs = std::filesystem;
using Polling = IioMotionSource::Polling;

class FakeSysfs : public ::testing::Test {
  protected:
    FakeSysfs() { fs::create_directories(devices); }
    ~FakeSysfs() override { fs::remove_all(root); }

    void write(const std::string& device, const std::string& attribute, const std::string& text) {
        fs::create_directories(devices / device);
        std::ofstream(devices / device / attribute) << text << '\n';
    }
    void channels(const std::string& device, const std::string& type, int x, int y, int z) {
        write(device, "in_" + type + "_x_raw", std::to_string(x));
        write(device, "in_" + type + "_y_raw", std::to_string(y));
        write(device, "in_" + type + "_z_raw", std::to_string(z));
    }
    std::unique_ptr<IioMotionSource> open(Polling polling = Polling::manual) {
        auto opened = IioMotionSource::open(root, polling);
        EXPECT_TRUE(opened.source) << opened.error;
        return std::move(opened.source);
    }

    const fs::path root = fs::temp_directory_path() / ("zemtra-iio-" + std::to_string(getpid()));
    const fs::path devices = root / "bus" / "iio" / "devices";
};

TEST_F(FakeSysfs, ScalesReadingsAndRemovesGravity) {
    channels("iio:device0", "accel", 0, 0, 1000);
    write("iio:device0", "in_accel_scale", "0.010000");  // m/s² per unit
    // A separate magnetometer with a per-axis scale beside the shared one, and an offset.
    channels("iio:device1", "magn", 150, 0, -450);
    write("iio:device1", "in_magn_scale", "0.001");  // gauss per unit
    write("iio:device1", "in_magn_y_scale", "0.002");
    write("iio:device1", "in_magn_offset", "50");
    auto source = open();
    source->start(MotionKind::magnetometer);
    source->start(MotionKind::deviceMotion);
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
    const double pushed = 300 * 0.01 / IioMotionSource::kStandardGravity;
    EXPECT_NEAR(source->latestDeviceMotion()->userAcceleration.x, 0.9 * pushed, 1e-12);
    for (int i = 0; i < 200; ++i) source->poll();
    EXPECT_NEAR(source->latestDeviceMotion()->userAcceleration.x, 0, 1e-6);

    // An unreadable channel skips the sample and keeps the last; a stopped kind gets no more.
    source->stop(MotionKind::magnetometer);
    channels("iio:device1", "magn", 0, 0, 0);
    write("iio:device0", "in_accel_y_raw", "garbage");
    EXPECT_FALSE(source->poll());
    channels("iio:device0", "accel", 0, 0, 1000);
    ASSERT_TRUE(source->poll());
    EXPECT_DOUBLE_EQ(source->latestMagneticField()->x, 20.0);
}

struct AttitudeCase {
    const char* name;
    int ax, ay, az;  // what the accelerometer reads at rest points up
    int mx, my, mz;
    double yaw, pitch, roll;
    friend void PrintTo(const AttitudeCase& c, std::ostream* out) { *out << c.name; }
};

class IioAttitude : public FakeSysfs, public ::testing::WithParamInterface<AttitudeCase> {};

TEST_P(IioAttitude, ComesFromGravityAndHeading) {
    const AttitudeCase& c = GetParam();
    channels("iio:device0", "accel", c.ax, c.ay, c.az);
    channels("iio:device0", "magn", c.mx, c.my, c.mz);
    auto source = open();
    source->start(MotionKind::deviceMotion);
    ASSERT_TRUE(source->poll());
    const Attitude attitude = source->latestDeviceMotion()->attitude;
    EXPECT_NEAR(attitude.yaw, c.yaw, 1e-9);
    EXPECT_NEAR(attitude.pitch, c.pitch, 1e-9);
    EXPECT_NEAR(attitude.roll, c.roll, 1e-9);
}

constexpr double kPi = std::numbers::pi;
// Tilted devices facing north read the field of the flat case turned with them.
INSTANTIATE_TEST_SUITE_P(
    Cases, IioAttitude,
    ::testing::Values(AttitudeCase{"FlatTopNorth", 0, 0, 1000, 0, 200, -400, 0, 0, 0},
                      AttitudeCase{"FlatTopEast", 0, 0, 1000, -200, 0, -400, -kPi / 2, 0, 0},
                      AttitudeCase{"FlatTopWest", 0, 0, 1000, 200, 0, -400, kPi / 2, 0, 0},
                      AttitudeCase{"Rolled45", -1000, 0, 1000, 283, 200, -283, 0, 0, kPi / 4},
                      AttitudeCase{"Pitched45", 0, 1000, 1000, 0, -141, -424, 0, kPi / 4, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FakeSysfs, WithoutMagnetometerTheMagnetometerStaysEmpty) {
    channels("iio:device0", "accel", 0, 0, 1000);
    auto source = open(Polling::ownThread);
    source->start(MotionKind::magnetometer);
    source->start(MotionKind::deviceMotion);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!source->latestDeviceMotion() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();  // the source's own thread polls
    }
    EXPECT_EQ(source->latestDeviceMotion().value().attitude.yaw, 0);
    EXPECT_FALSE(source->latestMagneticField());
}

TEST_F(FakeSysfs, MessagesNameTheFolderSearched) {
    EXPECT_EQ(IioMotionSource::open(root).error,
              "no IIO accelerometer found in " + devices.string() +
                  " (looked for iio:device*/in_accel_x_raw, _y_raw and _z_raw)");
    EXPECT_EQ(IioMotionSource::open(root / "none").error,
              "no IIO device found: the folder " + (root / "none/bus/iio/devices").string() +
                  " does not exist");
    // A scale that holds no number is named, not taken as 0 or 1.
    channels("iio:device1", "accel", 0, 0, 1);
    write("iio:device1", "in_accel_scale", "fast");
    EXPECT_EQ(IioMotionSource::open(devices).error,
              "the IIO attribute " + (devices / "iio:device1/in_accel_scale").string() +
                  " holds no number");
}

}  // namespace
}  // namespace zemtra::platform::sensors
