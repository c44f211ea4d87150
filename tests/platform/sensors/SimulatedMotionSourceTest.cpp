// The simulated source: a seed's stream repeats, varies in its low digits, stays plausible and
// follows the program's clock.
#include "platform/sensors/SimulatedMotionSource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <thread>

#include "tests/platform/sensors/ManualClock.h"

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

TEST(SimulatedMotionSource, SameSeedSameStreamOnTheProgramsClock) {
    testing::ManualClock clock;
    Sim first(42, clock.sensorClock()), second(42, clock.sensorClock());
    for (Sim* source : {&first, &second}) {
        source->start(MotionKind::magnetometer);
        source->start(MotionKind::deviceMotion);
    }
    for (const std::chrono::milliseconds time : {20ms, 1013ms, 3600000ms}) {
        clock.set(time);
        const int64_t index = time / Sim::kPeriod;  // the latest 20 ms step
        EXPECT_EQ(first.latestMagneticField()->z, Sim::magneticFieldAt(42, index).z);
        EXPECT_EQ(first.latestDeviceMotion()->attitude.roll,
                  Sim::deviceMotionAt(42, index).attitude.roll);
        EXPECT_EQ(second.latestMagneticField()->z, first.latestMagneticField()->z);
        EXPECT_NE(numbers(42, index), numbers(43, index));
    }
}

// The word generator takes one of the first eight digits after the point of each reading printed
// with 16 significant digits: each reading must have eight, and they must change.
TEST(SimulatedMotionSource, ReadingsVaryInTheirLowDigitsAndStayPlausible) {
    std::vector<std::vector<std::set<char>>> digitsSeen(6, std::vector<std::set<char>>(9));
    for (int64_t index = 0; index < 200; ++index) {
        const auto values = numbers(7, index);
        for (size_t reading = 0; reading < 6; ++reading) {
            char text[64];
            std::snprintf(text, sizeof text, "%.16g", std::fabs(values[reading]));
            const std::string printed(text);
            const auto point = printed.find('.');
            ASSERT_TRUE(point != std::string::npos && printed.size() - point >= 9) << printed;
            for (size_t position = 4; position <= 8; ++position) {
                digitsSeen[reading][position].insert(printed[point + position]);
            }
        }
        // The Earth's field (25 to 65 µT); a device lying still (small noise around 0 g).
        EXPECT_LT(std::fabs(std::hypot(values[0], values[1], values[2]) - 45), 20);
        EXPECT_LT(std::max({std::fabs(values[3]), std::fabs(values[4]), std::fabs(values[5])}),
                  0.05);
    }
    for (size_t reading = 0; reading < 6; ++reading) {
        for (size_t position = 4; position <= 8; ++position) {
            EXPECT_EQ(digitsSeen[reading][position].size(), 10u)
                << "reading " << reading << " position " << position;
        }
    }
}

TEST(SimulatedMotionSource, StartsAtTheNextStepCountsUsersAndKeepsTheLastSample) {
    testing::ManualClock clock;
    Sim source(5, clock.sensorClock());
    const auto fieldX = [&] { return source.latestMagneticField().value().x; };
    clock.set(1010ms);
    source.start(MotionKind::magnetometer);
    EXPECT_FALSE(source.latestMagneticField()) << "the first sample comes at the next step";
    EXPECT_FALSE(source.latestDeviceMotion()) << "only the magnetometer was started";
    clock.set(1020ms);
    EXPECT_EQ(fieldX(), Sim::magneticFieldAt(5, 51).x);

    source.start(MotionKind::magnetometer);  // a second user
    source.stop(MotionKind::magnetometer);
    clock.set(1100ms);
    EXPECT_EQ(fieldX(), Sim::magneticFieldAt(5, 55).x) << "one user still runs it";
    source.stop(MotionKind::magnetometer);
    source.stop(MotionKind::magnetometer);  // unmatched: ignored
    clock.set(5000ms);
    EXPECT_EQ(fieldX(), Sim::magneticFieldAt(5, 55).x) << "stopped: the last sample stays";
    source.start(MotionKind::magnetometer);
    EXPECT_EQ(fieldX(), Sim::magneticFieldAt(5, 55).x);
    clock.set(5020ms);
    EXPECT_EQ(fieldX(), Sim::magneticFieldAt(5, 251).x);
}

// Under the real clock a thread delivers whole samples of the seeded stream at 50 Hz, and the
// source ends cleanly while it runs.
TEST(SimulatedMotionSource, DeliversOnItsOwnThreadUnderTheRealClock) {
    const auto startup = std::chrono::steady_clock::now();
    Sim source(9, {[startup] { return std::chrono::steady_clock::now() - startup; }, false});
    source.start(MotionKind::deviceMotion);
    std::set<int64_t> indexes;
    const auto deadline = startup + 10s;
    while (indexes.size() < 3 && std::chrono::steady_clock::now() < deadline) {
        if (const auto motion = source.latestDeviceMotion()) {
            int64_t index = (std::chrono::steady_clock::now() - startup) / Sim::kPeriod + 1;
            while (index >= 0 &&
                   Sim::deviceMotionAt(9, index).userAcceleration.x != motion->userAcceleration.x) {
                --index;
            }
            ASSERT_GE(index, 0) << "not a sample of the stream";
            EXPECT_EQ(Sim::deviceMotionAt(9, index).attitude.roll, motion->attitude.roll);
            indexes.insert(index);
        }
        std::this_thread::yield();
    }
    EXPECT_EQ(indexes.size(), 3u);
}

}  // namespace
}  // namespace zemtra::platform::sensors
