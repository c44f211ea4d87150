// The --sensors text: each form gives its source, anything else a message for the user.
#include "platform/sensors/MotionSourceFactory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/sensors/ReplayMotionSource.h"
#include "platform/sensors/SimulatedMotionSource.h"
#include "tests/platform/sensors/ManualClock.h"

namespace zemtra::platform::sensors {
namespace {

TEST(MotionSourceFactory, MakesTheNamedSourceOrSaysWhyNot) {
    const testing::ManualClock clock;
    EXPECT_TRUE(dynamic_cast<SimulatedMotionSource*>(
        createMotionSource("sim", clock.sensorClock()).source.get()));
    EXPECT_TRUE(dynamic_cast<SimulatedMotionSource*>(
        createMotionSource("sim:18446744073709551615", clock.sensorClock()).source.get()));

    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("zemtra-replay-" + std::to_string(getpid()));
    std::ofstream(file) << "t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll\n0,1,2,3,4,5,6,7,8,9\n";
    EXPECT_TRUE(dynamic_cast<ReplayMotionSource*>(
        createMotionSource("replay:" + file.string(), clock.sensorClock()).source.get()));
    std::ofstream(file) << "t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll\n0,1,2,3,4,5,6,7,8\n";
    EXPECT_EQ(createMotionSource("replay:" + file.string(), clock.sensorClock()).error,
              "--sensors replay:" + file.string() + ": " + file.string() +
                  ":2: expected 10 fields, got 9");
    std::filesystem::remove(file);

    const struct {
        std::string name, error;
    } refused[] = {
        {"sim:", "--sensors sim:SEED needs a whole number as SEED, got ''"},
        {"sim:-1", "--sensors sim:SEED needs a whole number as SEED, got '-1'"},
        {"sim:18446744073709551616",
         "--sensors sim:SEED needs a whole number as SEED, got '18446744073709551616'"},
        {"iio:/nonexistent/sys",
         "--sensors iio:/nonexistent/sys: no IIO device found: the folder "
         "/nonexistent/sys/bus/iio/devices does not exist"},
        {"iio:", "--sensors takes sim[:SEED], iio[:SYSFS_ROOT] or replay:FILE, got 'iio:'"},
        {"replay", "--sensors takes sim[:SEED], iio[:SYSFS_ROOT] or replay:FILE, got 'replay'"},
        {"gps", "--sensors takes sim[:SEED], iio[:SYSFS_ROOT] or replay:FILE, got 'gps'"},
    };
    for (const auto& [name, error] : refused) {
        const MotionSourceChoice choice = createMotionSource(name, clock.sensorClock());
        EXPECT_FALSE(choice.source) << name;
        EXPECT_EQ(choice.error, error);
    }
}

}  // namespace
}  // namespace zemtra::platform::sensors
