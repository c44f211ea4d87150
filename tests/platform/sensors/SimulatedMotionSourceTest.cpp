// The simulated source: a seed's stream repeats, varies in its low digits, stays plausible and
// follows the program's clock.
#include "platform/sensors/SimulatedMotionSource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>

namespace zemtra::platform::sensors {
namespace {

using namespace std::chrono_literals;
using Sim = SimulatedMotionSource;

std::vector<double> numbers(uint64_t seed, int64_t index) {
    const MagneticField f = Sim::magneticFieldAt(seed, index);
    const DeviceMotion m = Sim::deviceMotionAt(seed, index);
    const Acceleration& a = m.userAcceleration;
    return {f.x, f.y, f.z, a.x, a.y, a.z, m.attitude.yaw, m.attitude.pitch, m.attitude.roll};
}

TEST(SimulatedMotionSource, FollowsTheProgramsClockFromTheStepAfterAStart) {
    std::chrono::nanoseconds now = 1010ms;
    const SensorClock clock{[&now] { return now; }, true};
    Sim source(5, clock);
    source.start(MotionKind::magnetometer);
    const auto fieldX = [&] { return source.latestMagneticField().value().x; };
    EXPECT_FALSE(source.latestMagneticField()) << "the first sample comes at the next step";
    EXPECT_FALSE(source.latestDeviceMotion()) << "only the magnetometer was started";
    now = 1020ms;
    EXPECT_EQ(fieldX(), Sim::magneticFieldAt(5, 51).x);
    now = 1h + 13ms;  // the latest 20 ms step is sample 180000
    EXPECT_EQ(fieldX(), Sim::magneticFieldAt(5, 180000).x);
    EXPECT_NE(numbers(5, 180000), numbers(6, 180000)) << "each seed has a stream of its own";
    source.stop(MotionKind::magnetometer);
    now = 2h;
    EXPECT_EQ(fieldX(), Sim::magneticFieldAt(5, 180000).x) << "stopped: the last sample stays";
    const MotionSourceStatus status = source.status();
    EXPECT_TRUE(status.simulated && !status.lost && status.description == "Simulated sensors");
    source.start(MotionKind::magnetometer);
    EXPECT_EQ(fieldX(), Sim::magneticFieldAt(5, 180000).x) << "until the next step";
    now = 2h + 20ms;
    EXPECT_EQ(fieldX(), Sim::magneticFieldAt(5, 360001).x);
    source.start(MotionKind::deviceMotion);
    now = 2h + 40ms;
    EXPECT_EQ(source.latestDeviceMotion()->attitude.roll,
              Sim::deviceMotionAt(5, 360002).attitude.roll);
}

// The word generator takes one of the first eight digits after the point of each reading printed
// with 16 significant digits: each reading must have eight, and they must change.
TEST(SimulatedMotionSource, ReadingsVaryInTheirLowDigitsAndStayPlausible) {
    std::set<char> digits[6][9];  // by reading and position after the point
    for (int64_t index = 0; index < 200; ++index) {
        const auto values = numbers(7, index);
        for (size_t reading = 0; reading < 6; ++reading) {
            char text[64];
            std::snprintf(text, sizeof text, "%.16g", std::fabs(values[reading]));
            const char* point = std::strchr(text, '.');
            ASSERT_TRUE(point && std::strlen(point) >= 9) << text;
            for (size_t position = 4; position <= 8; ++position) {
                digits[reading][position].insert(point[position]);
            }
        }
        // The Earth's field (25 to 65 µT); a device lying still (small noise around 0 g).
        EXPECT_LT(std::fabs(std::hypot(values[0], values[1], values[2]) - 45), 20);
        EXPECT_LT(std::max({std::fabs(values[3]), std::fabs(values[4]), std::fabs(values[5])}),
                  0.05);
    }
    for (size_t reading = 0; reading < 6; ++reading) {
        for (size_t position = 4; position <= 8; ++position) {
            EXPECT_EQ(digits[reading][position].size(), 10u) << reading << ", " << position;
        }
    }
}

}  // namespace
}  // namespace zemtra::platform::sensors
