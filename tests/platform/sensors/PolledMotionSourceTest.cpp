// The health of a polled source, judged on a virtual clock over a device that answers what the
// test tells it: lost after 2 s without a new sample, found with the next, said once each time.
#include "platform/sensors/PolledMotionSource.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/Diagnostics.h"

namespace zemtra::platform::sensors {
namespace {

using namespace std::chrono_literals;

class ScriptedDevice final : public MotionDevice {
  public:
    std::string description() const override { return "Board"; }
    Result<MotionReading> read(const std::stop_token&) override { return answer; }

    Result<MotionReading> answer =
        MotionReading{.magneticField = std::nullopt, .deviceMotion = DeviceMotion{}};
};

TEST(PolledMotionSource, IsLostAfterTwoSecondsWithoutANewSampleAndFoundWithTheNext) {
    const DiagnosticsCapture diagnostics;
    std::chrono::nanoseconds now{};
    auto owned = std::make_unique<ScriptedDevice>();
    ScriptedDevice& device = *owned;
    PolledMotionSource source(std::move(owned), 20ms, {[&now] { return now; }, true},
                              PolledMotionSource::Polling::manual);
    source.start(MotionKind::deviceMotion);
    const auto status = [&] { return source.status(); };

    // Before the first sample the time counts from the start; a poll that hangs gives no reason
    // but the time.
    now = 1999ms;
    EXPECT_FALSE(status().lost);
    now = 2s;
    EXPECT_EQ(status().reason, "no new sample for 2 s");
    now = 10min + 2s;
    EXPECT_EQ(status().reason, "no new sample for 10 min");
    for (; now < 10min + 5s; now += 20ms) ASSERT_TRUE(source.poll());
    EXPECT_FALSE(status().lost);
    EXPECT_NEAR(status().samplesPerSecond, 50, 0.5);

    // Numbers that are not finite are no sample.
    const MotionReading good = std::move(device.answer).value();
    device.answer =
        MotionReading{.magneticField = MagneticField{.x = std::numeric_limits<double>::quiet_NaN()},
                      .deviceMotion = DeviceMotion{}};
    const auto lastGood = now - 20ms;
    now = lastGood + 1999ms;
    ASSERT_FALSE(source.poll());
    EXPECT_FALSE(status().lost);
    now = lastGood + 2s;
    ASSERT_FALSE(source.poll());
    EXPECT_EQ(status().reason, "the sensors read numbers that are not finite");
    device.answer = good;
    ASSERT_TRUE(source.poll());
    EXPECT_EQ(status().changes, 4u);

    // A stopped source is not judged; started again, its time counts from the start.
    source.stop(MotionKind::deviceMotion);
    device.answer = fail("the board is unplugged");
    now += 1h;
    EXPECT_FALSE(status().lost);
    source.start(MotionKind::deviceMotion);
    now += 1999ms;
    ASSERT_FALSE(source.poll());
    EXPECT_FALSE(status().lost);
    now += 1ms;
    EXPECT_EQ(status().reason, "the board is unplugged");
    EXPECT_EQ(status().samplesPerSecond, 0);

    std::vector<std::string> said;
    for (const auto& message : diagnostics.messages()) {
        if (message.severity != Severity::debug) said.push_back(message.text);
    }
    EXPECT_EQ(said, (std::vector<std::string>{
                        "sensors lost (Board): no new sample for 2 s",
                        "sensors found again (Board) after 602.0 s without a new sample",
                        "the sensors read numbers that are not finite; such readings count as no "
                        "sample",
                        "sensors lost (Board): the sensors read numbers that are not finite",
                        "sensors found again (Board) after 2.0 s without a new sample",
                        "sensors lost (Board): the board is unplugged"}));
}

}  // namespace
}  // namespace zemtra::platform::sensors
