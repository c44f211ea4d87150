// The --sensors text: each form gives its source, anything else a message for the user.
#include "platform/sensors/MotionSourceFactory.h"

#include <gtest/gtest.h>

#include "platform/sensors/SimulatedMotionSource.h"
#include "tests/platform/sensors/ManualClock.h"

namespace zemtra::platform::sensors {
namespace {

TEST(MotionSourceFactory, MakesTheNamedSourceOrSaysWhyNot) {
    const SensorClock clock = testing::ManualClock().sensorClock();
    EXPECT_TRUE(dynamic_cast<SimulatedMotionSource*>(
        createMotionSource("sim:18446744073709551615", clock).source.get()));
    const std::string usage = "--sensors takes sim[:SEED], iio[:SYSFS_ROOT] or replay:FILE, got ";
    const std::pair<std::string, std::string> refused[] = {
        {"sim:-1", "--sensors sim:SEED needs a whole number as SEED, got '-1'"},
        {"replay:/nonexistent.csv",
         "--sensors replay:/nonexistent.csv: cannot open the replay file /nonexistent.csv: No "
         "such file or directory"},
        {"replay", usage + "'replay'"},
    };
    for (const auto& [name, error] : refused) {
        const MotionSourceChoice choice = createMotionSource(name, clock);
        EXPECT_FALSE(choice.source) << name;
        EXPECT_EQ(choice.error, error);
    }
}

}  // namespace
}  // namespace zemtra::platform::sensors
