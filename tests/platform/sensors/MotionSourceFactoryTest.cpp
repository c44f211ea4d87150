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
    const std::pair<std::string, std::string> refused[] = {
        {"sim:-1", "--sensors sim:SEED needs a whole number as SEED, got '-1'"},
        {"replay:/nonexistent.csv",
         "--sensors replay:/nonexistent.csv: cannot open the replay file /nonexistent.csv: No "
         "such file or directory"},
        {"iio:/nonexistent",
         "--sensors iio:/nonexistent: no IIO device found: the folder "
         "/nonexistent/bus/iio/devices does not exist"},
    };
    for (const auto& [name, error] : refused) {
        const auto choice = createMotionSource(name, clock);
        ASSERT_FALSE(choice) << name;
        EXPECT_EQ(choice.error(), error);
    }
}

}  // namespace
}  // namespace zemtra::platform::sensors
