// The IIO source over a fake sysfs tree in a temporary folder: scaling, gravity removal,
// attitude, a missing magnetometer and the messages when nothing is found.
#include "platform/sensors/IioMotionSource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>

namespace zemtra::platform::sensors {
namespace {

namespace fs = std::filesystem;
using Polling = IioMotionSource::Polling;

class FakeSysfs : public ::testing::Test {
  protected:
    FakeSysfs() {
        root = fs::temp_directory_path() / ("zemtra-iio-" + std::to_string(std::random_device()()));
        devices = root / "bus" / "iio" / "devices";
        fs::create_directories(devices);
    }
    ~FakeSysfs() override { fs::remove_all(root); }

    void write(const std::string& device, const std::string& attribute, const std::string& text) {
        fs::create_directories(devices / device);
        std::ofstream(devices / device / attribute) << text << '\n';
    }
    // Three raw channels of one type ("accel", "magn").
    void channels(const std::string& device, const std::string& type, int x, int y, int z) {
        write(device, "in_" + type + "_x_raw", std::to_string(x));
        write(device, "in_" + type + "_y_raw", std::to_string(y));
        write(device, "in_" + type + "_z_raw", std::to_string(z));
    }
    std::unique_ptr<IioMotionSource> open() {
        auto opened = IioMotionSource::open(root, Polling::manual);
        EXPECT_TRUE(opened.source) << opened.error;
        return std::move(opened.source);
    }

    fs::path root;
    fs::path devices;
};

// 1 raw unit = 0.01 m/s²; 1000 raw = 10 m/s² = 1.0197 g.
constexpr double kAccelScale = 0.01;
constexpr double kGPerRaw = kAccelScale / IioMotionSource::kStandardGravity;

TEST_F(FakeSysfs, ConvertsRawReadingsWithScaleAndOffset) {
    channels("iio:device0", "accel", 0, 0, 1000);
    write("iio:device0", "in_accel_scale", "0.010000");
    // A separate magnetometer device, with a per-axis scale and a shared offset (gauss).
    channels("iio:device1", "magn", 150, 0, -450);
    write("iio:device1", "in_magn_scale", "0.001");
    write("iio:device1", "in_magn_y_scale", "0.002");
    write("iio:device1", "in_magn_offset", "50");
    auto source = open();
    ASSERT_TRUE(source);
    source->start(MotionKind::magnetometer);
    source->start(MotionKind::deviceMotion);
    EXPECT_FALSE(source->latestMagneticField()) << "nothing before the first poll";

    ASSERT_TRUE(source->poll());
    const MagneticField field = source->latestMagneticField().value();
    EXPECT_DOUBLE_EQ(field.x, 20.0);   // (150 + 50) × 0.001 G = 0.2 G = 20 µT
    EXPECT_DOUBLE_EQ(field.y, 10.0);   // (0 + 50) × 0.002 G
    EXPECT_DOUBLE_EQ(field.z, -40.0);  // (-450 + 50) × 0.001 G
    // The first reading is all gravity.
    const DeviceMotion still = source->latestDeviceMotion().value();
    EXPECT_DOUBLE_EQ(still.userAcceleration.x, 0);
    EXPECT_DOUBLE_EQ(still.userAcceleration.z, 0);

    // A push along x: the low-pass gravity estimate takes a tenth of it, the rest is the user's.
    channels("iio:device0", "accel", 300, 0, 1000);
    ASSERT_TRUE(source->poll());
    const DeviceMotion pushed = source->latestDeviceMotion().value();
    EXPECT_NEAR(pushed.userAcceleration.x, 0.9 * 300 * kGPerRaw, 1e-12);
    EXPECT_NEAR(pushed.userAcceleration.z, 0, 1e-12);
    // Held there, the estimate converges and the user acceleration fades.
    for (int i = 0; i < 200; ++i) source->poll();
    EXPECT_NEAR(source->latestDeviceMotion()->userAcceleration.x, 0, 1e-6);
}

struct AttitudeCase {
    const char* name;
    int ax, ay, az;  // accelerometer raw: what it reads at rest points up
    int mx, my, mz;  // magnetometer raw
    double yaw, pitch, roll;
    friend void PrintTo(const AttitudeCase& c, std::ostream* out) { *out << c.name; }
};

class IioAttitude : public FakeSysfs, public ::testing::WithParamInterface<AttitudeCase> {};

TEST_P(IioAttitude, ComesFromGravityAndHeading) {
    const AttitudeCase& c = GetParam();
    channels("iio:device0", "accel", c.ax, c.ay, c.az);
    channels("iio:device0", "magn", c.mx, c.my, c.mz);
    auto source = open();
    ASSERT_TRUE(source);
    source->start(MotionKind::deviceMotion);
    ASSERT_TRUE(source->poll());
    const Attitude attitude = source->latestDeviceMotion()->attitude;
    EXPECT_NEAR(attitude.yaw, c.yaw, 1e-9);
    EXPECT_NEAR(attitude.pitch, c.pitch, 1e-9);
    EXPECT_NEAR(attitude.roll, c.roll, 1e-9);
}

constexpr double kPi = std::numbers::pi;
INSTANTIATE_TEST_SUITE_P(
    Cases, IioAttitude,
    ::testing::Values(AttitudeCase{"FlatTopNorth", 0, 0, 1000, 0, 200, -400, 0, 0, 0},
                      AttitudeCase{"FlatTopEast", 0, 0, 1000, -200, 0, -400, -kPi / 2, 0, 0},
                      AttitudeCase{"FlatTopWest", 0, 0, 1000, 200, 0, -400, kPi / 2, 0, 0},
                      // Tilted devices facing north: the heading survives the tilt (the field is
                      // the one of the flat case turned with the device).
                      AttitudeCase{"Rolled45", -1000, 0, 1000, 283, 200, -283, 0, 0, kPi / 4},
                      AttitudeCase{"Pitched45", 0, 1000, 1000, 0, -141, -424, 0, kPi / 4, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FakeSysfs, WithoutMagnetometerTheMagnetometerStaysEmpty) {
    channels("iio:device0", "accel", 0, 0, 1000);
    auto source = open();
    ASSERT_TRUE(source);
    EXPECT_FALSE(source->magnetometer());
    source->start(MotionKind::magnetometer);
    source->start(MotionKind::deviceMotion);
    ASSERT_TRUE(source->poll());
    EXPECT_FALSE(source->latestMagneticField());
    EXPECT_EQ(source->latestDeviceMotion()->attitude.yaw, 0);
}

TEST_F(FakeSysfs, DeliversOnlyTheKindsThatRun) {
    channels("iio:device0", "accel", 0, 0, 1000);
    channels("iio:device0", "magn", 0, 200, -400);
    auto source = open();
    ASSERT_TRUE(source);
    ASSERT_TRUE(source->poll());
    EXPECT_FALSE(source->latestMagneticField());
    EXPECT_FALSE(source->latestDeviceMotion());
    source->start(MotionKind::magnetometer);
    ASSERT_TRUE(source->poll());
    source->stop(MotionKind::magnetometer);
    channels("iio:device0", "magn", 0, 300, -400);
    ASSERT_TRUE(source->poll());
    EXPECT_DOUBLE_EQ(source->latestMagneticField()->y, 200 * 1.0 * 100)
        << "after a stop the last sample stays";
    EXPECT_FALSE(source->latestDeviceMotion());
}

TEST_F(FakeSysfs, UnreadableChannelSkipsTheSample) {
    channels("iio:device0", "accel", 0, 0, 1000);
    auto source = open();
    ASSERT_TRUE(source);
    source->start(MotionKind::deviceMotion);
    ASSERT_TRUE(source->poll());
    write("iio:device0", "in_accel_y_raw", "garbage");
    EXPECT_FALSE(source->poll());
    fs::remove(devices / "iio:device0" / "in_accel_y_raw");  // device unplugged
    EXPECT_FALSE(source->poll());
    EXPECT_TRUE(source->latestDeviceMotion()) << "the earlier sample is still the latest";
}

TEST_F(FakeSysfs, MessagesNameTheFolderSearched) {
    // Empty devices folder.
    auto opened = IioMotionSource::open(root, Polling::manual);
    EXPECT_FALSE(opened.source);
    EXPECT_EQ(opened.error, "no IIO accelerometer found in " + devices.string() +
                                " (looked for iio:device*/in_accel_x_raw, _y_raw and _z_raw)");

    // Only a magnetometer, and an accelerometer with an axis missing.
    channels("iio:device0", "magn", 1, 2, 3);
    write("iio:device1", "in_accel_x_raw", "1");
    write("iio:device1", "in_accel_y_raw", "1");
    opened = IioMotionSource::open(root, Polling::manual);
    EXPECT_NE(opened.error.find("no IIO accelerometer found in " + devices.string()),
              std::string::npos);

    opened = IioMotionSource::open(root / "nowhere", Polling::manual);
    EXPECT_EQ(opened.error, "no IIO device found: the folder " +
                                (root / "nowhere" / "bus" / "iio" / "devices").string() +
                                " does not exist");

    // A scale that holds no number is named, not read as 0 or 1.
    write("iio:device1", "in_accel_z_raw", "1");
    write("iio:device1", "in_accel_scale", "fast");
    opened = IioMotionSource::open(root, Polling::manual);
    EXPECT_EQ(opened.error, "the IIO attribute " +
                                (devices / "iio:device1" / "in_accel_scale").string() +
                                " holds no number");
}

TEST_F(FakeSysfs, AcceptsTheDevicesFolderItselfAsRoot) {
    channels("iio:device3", "accel", 0, 0, 1000);
    auto opened = IioMotionSource::open(devices, Polling::manual);
    ASSERT_TRUE(opened.source) << opened.error;
    EXPECT_EQ(opened.source->accelerometer().device, devices / "iio:device3");
}

TEST_F(FakeSysfs, PollsOnItsOwnThreadWhileStarted) {
    channels("iio:device0", "accel", 0, 0, 1000);
    auto opened = IioMotionSource::open(root, Polling::ownThread);
    ASSERT_TRUE(opened.source) << opened.error;
    opened.source->start(MotionKind::deviceMotion);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!opened.source->latestDeviceMotion() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(opened.source->latestDeviceMotion());
    // Destroyed while running: the thread is joined.
}

}  // namespace
}  // namespace zemtra::platform::sensors
