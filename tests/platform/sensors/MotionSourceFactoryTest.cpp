// The --sensors text: each form gives its source, anything else a message for the user.
#include "platform/sensors/MotionSourceFactory.h"

#include <gtest/gtest.h>

#include "platform/sensors/SimulatedMotionSource.h"
#include "tests/support/TemporaryFolder.h"

namespace zemtra::platform::sensors {
namespace {

TEST(MotionSourceFactory, MakesTheNamedSourceOrSaysWhyNot) {
    const SensorClock clock{[] { return std::chrono::nanoseconds(0); }, true};
    EXPECT_TRUE(dynamic_cast<SimulatedMotionSource*>(
        createMotionSource("sim:18446744073709551615", clock).value().get()));
    const zemtra::testing::TemporaryFolder folder("zemtra-factory");
    zemtra::testing::writeFile(folder / "walk.csv", "t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll\n");
    EXPECT_EQ(createMotionSource("replay:" + folder.file("walk.csv"), clock)
                  .value()
                  ->status()
                  .description,
              "Replay walk.csv");
    // Nothing is asked of a phone before its updates start.
    EXPECT_EQ(
        createMotionSource("phone:http://192.168.1.20:8080/", clock).value()->status().description,
        "Phone 192.168.1.20:8080");
    const std::pair<std::string, std::string> refused[] = {
        {"sim:-1", "--sensors sim:SEED needs a whole number as SEED, got '-1'"},
        {"replay:/nonexistent.csv",
         "--sensors replay:/nonexistent.csv: cannot open the replay file /nonexistent.csv: No "
         "such file or directory"},
        {"serial",
         "--sensors takes auto, sim[:SEED], iio[:SYSFS_ROOT], serial:DEVICE[:BAUD], "
         "phone:http://HOST:PORT or replay:FILE, got 'serial'"},
        {"iio:/nonexistent",
         "--sensors iio:/nonexistent: no IIO device found: the folder "
         "/nonexistent/bus/iio/devices does not exist"},
    };
    for (const auto& [name, error] : refused) {
        const auto choice = createMotionSource(name, clock);
        ASSERT_FALSE(choice) << name;
        EXPECT_EQ(choice.error(), error);
    }
    const std::string phoneAddresses[] = {"192.168.1.20:8080",
                                          "https://192.168.1.20:8080",
                                          "http://192.168.1.20",
                                          "http://192.168.1.20:8080/get",
                                          "http://192.168.1.20:8080?x",
                                          "http://u@192.168.1.20:80",
                                          ""};
    for (const std::string& address : phoneAddresses) {
        const auto choice = createMotionSource("phone:" + address, clock);
        ASSERT_FALSE(choice) << address;
        EXPECT_EQ(choice.error(), "--sensors phone:" + address +
                                      ": a phone's address is http://HOST:PORT, as the phyphox "
                                      "app shows it under \"Allow remote access\", got '" +
                                      address + "'");
    }
}

// The default takes the machine's IIO sensors only when there are both kinds: an accelerometer
// alone gives no magnetometer readings.
TEST(MotionSourceFactory, AutoTakesIioWithBothSensorsElseTheSimulatedOnes) {
    const SensorClock clock{[] { return std::chrono::nanoseconds(0); }, true};
    const zemtra::testing::TemporaryFolder root("zemtra-factory");
    const auto device = root / "bus" / "iio" / "devices" / "iio:device0";
    const auto chosen = [&] {
        return createMotionSource("auto", clock, root.path()).value()->status();
    };
    EXPECT_TRUE(chosen().simulated) << "no IIO folder";
    for (const char* axis : {"x", "y", "z"})
        zemtra::testing::writeFile(device / ("in_accel_" + std::string(axis) + "_raw"), "0\n");
    EXPECT_EQ(chosen().description, "Simulated sensors");
    for (const char* axis : {"x", "y", "z"})
        zemtra::testing::writeFile(device / ("in_magn_" + std::string(axis) + "_raw"), "0\n");
    EXPECT_FALSE(chosen().simulated);
    EXPECT_EQ(chosen().description, "IIO iio:device0");
}

}  // namespace
}  // namespace zemtra::platform::sensors
