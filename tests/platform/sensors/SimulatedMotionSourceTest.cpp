// The simulated source: a seed's stream repeats, varies in its low digits, stays plausible, and
// follows the program's clock.
#include "platform/sensors/SimulatedMotionSource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <set>
#include <string>
#include <thread>

#include "tests/platform/sensors/ManualClock.h"

namespace zemtra::platform::sensors {
namespace {

using namespace std::chrono_literals;

std::vector<double> numbersOf(const MagneticField& field, const DeviceMotion& motion) {
    const Acceleration& a = motion.userAcceleration;
    const Attitude& t = motion.attitude;
    return {field.x, field.y, field.z, a.x, a.y, a.z, t.yaw, t.pitch, t.roll};
}

std::vector<double> readAll(SimulatedMotionSource& source) {
    return numbersOf(source.latestMagneticField().value(), source.latestDeviceMotion().value());
}

TEST(SimulatedMotionSource, SameSeedSameStreamUnderTheVirtualClock) {
    testing::ManualClock clock;
    SimulatedMotionSource first(42, clock.sensorClock());
    SimulatedMotionSource second(42, clock.sensorClock());
    SimulatedMotionSource other(43, clock.sensorClock());
    for (auto* source : {&first, &second, &other}) {
        source->start(MotionKind::magnetometer);
        source->start(MotionKind::deviceMotion);
    }
    for (const std::chrono::milliseconds time : {20ms, 1000ms, 1013ms, 3600000ms}) {
        clock.set(time);
        SCOPED_TRACE(time.count());
        EXPECT_EQ(readAll(first), readAll(second));
        EXPECT_NE(readAll(first), readAll(other));
        // The sample in force is the one of the latest 20 ms step, nothing in between.
        const int64_t index = time / SimulatedMotionSource::kPeriod;
        EXPECT_EQ(readAll(first), numbersOf(SimulatedMotionSource::magneticFieldAt(42, index),
                                            SimulatedMotionSource::deviceMotionAt(42, index)));
    }
}

// The word generator takes one digit from the first eight after the decimal point of each
// reading printed with 16 significant digits: every reading must have eight, and each position
// must change from sample to sample.
TEST(SimulatedMotionSource, ReadingsVaryInTheirLowDigits) {
    constexpr int kSamples = 200;
    std::vector<std::vector<std::set<char>>> digitsSeen(6, std::vector<std::set<char>>(9));
    for (int64_t index = 0; index < kSamples; ++index) {
        const auto numbers = numbersOf(SimulatedMotionSource::magneticFieldAt(7, index),
                                       SimulatedMotionSource::deviceMotionAt(7, index));
        for (size_t reading = 0; reading < 6; ++reading) {
            char text[64];
            std::snprintf(text, sizeof text, "%.16g", std::fabs(numbers[reading]));
            const std::string printed(text);
            const auto point = printed.find('.');
            ASSERT_NE(point, std::string::npos) << printed;
            ASSERT_GE(printed.size() - point, 9u) << printed;
            for (size_t position = 1; position <= 8; ++position) {
                digitsSeen[reading][position].insert(printed[point + position]);
            }
        }
    }
    // Positions 4 to 8 lie below the noise of every reading: all ten digits turn up.
    for (size_t reading = 0; reading < 6; ++reading) {
        for (size_t position = 4; position <= 8; ++position) {
            EXPECT_EQ(digitsSeen[reading][position].size(), 10u)
                << "reading " << reading << " position " << position;
        }
    }
}

TEST(SimulatedMotionSource, ValuesArePhysicallyPlausible) {
    double smallestField = 1e9, largestField = 0, largestAcceleration = 0;
    for (uint64_t seed : {0ull, 1ull, 99ull, 123456789ull}) {
        for (int64_t index = 0; index < 360000; index += 997) {  // two hours
            const MagneticField f = SimulatedMotionSource::magneticFieldAt(seed, index);
            const DeviceMotion m = SimulatedMotionSource::deviceMotionAt(seed, index);
            const double field = std::sqrt(f.x * f.x + f.y * f.y + f.z * f.z);
            smallestField = std::min(smallestField, field);
            largestField = std::max(largestField, field);
            const Acceleration& a = m.userAcceleration;
            largestAcceleration =
                std::max({largestAcceleration, std::fabs(a.x), std::fabs(a.y), std::fabs(a.z)});
            EXPECT_LE(std::fabs(m.attitude.yaw), std::numbers::pi);
            EXPECT_LT(std::fabs(m.attitude.pitch), 0.1);
            EXPECT_LT(std::fabs(m.attitude.roll), 0.1);
        }
    }
    EXPECT_GT(smallestField, 25);  // the Earth's field: about 25 to 65 µT
    EXPECT_LT(largestField, 65);
    EXPECT_LT(largestAcceleration, 0.05);  // a device lying still: small noise around 0 g
}

TEST(SimulatedMotionSource, StartsStopsAndCountsUsersOnTheProgramsClock) {
    testing::ManualClock clock;
    SimulatedMotionSource source(5, clock.sensorClock());
    clock.set(1010ms);
    EXPECT_FALSE(source.latestMagneticField());  // not started

    source.start(MotionKind::magnetometer);
    EXPECT_FALSE(source.latestMagneticField()) << "the first sample comes at the next step";
    EXPECT_FALSE(source.latestDeviceMotion()) << "only the magnetometer was started";
    clock.set(1020ms);
    EXPECT_EQ(source.latestMagneticField()->x, SimulatedMotionSource::magneticFieldAt(5, 51).x);

    // Two users: the updates go on until both have stopped.
    source.start(MotionKind::magnetometer);
    source.stop(MotionKind::magnetometer);
    clock.set(1100ms);
    EXPECT_EQ(source.latestMagneticField()->x, SimulatedMotionSource::magneticFieldAt(5, 55).x);
    source.stop(MotionKind::magnetometer);
    source.stop(MotionKind::magnetometer);  // unmatched: ignored
    clock.set(5000ms);
    EXPECT_EQ(source.latestMagneticField()->x, SimulatedMotionSource::magneticFieldAt(5, 55).x)
        << "a stopped source keeps its last sample";

    // Restarted: the old sample stays until the first new one.
    source.start(MotionKind::magnetometer);
    EXPECT_EQ(source.latestMagneticField()->x, SimulatedMotionSource::magneticFieldAt(5, 55).x);
    clock.set(5020ms);
    EXPECT_EQ(source.latestMagneticField()->x, SimulatedMotionSource::magneticFieldAt(5, 251).x);
}

// Under the real clock a thread delivers the samples; a read on this thread sees whole samples
// of the seeded stream, and the source ends cleanly while updates run.
TEST(SimulatedMotionSource, DeliversOnItsOwnThreadUnderTheRealClock) {
    const auto startup = std::chrono::steady_clock::now();
    SimulatedMotionSource source(
        9, SensorClock{[startup] { return std::chrono::steady_clock::now() - startup; }, false});
    source.start(MotionKind::deviceMotion);
    std::set<double> seen;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (seen.size() < 3 && std::chrono::steady_clock::now() < deadline) {
        if (const auto motion = source.latestDeviceMotion()) {
            seen.insert(motion->userAcceleration.x);
            // A whole sample: every field belongs to one sample number of the stream.
            bool found = false;
            const auto elapsed = std::chrono::steady_clock::now() - startup;
            for (int64_t index = elapsed / SimulatedMotionSource::kPeriod + 1; index >= 0;
                 --index) {
                const DeviceMotion expected = SimulatedMotionSource::deviceMotionAt(9, index);
                if (expected.userAcceleration.x != motion->userAcceleration.x) continue;
                EXPECT_EQ(expected.attitude.roll, motion->attitude.roll);
                found = true;
                break;
            }
            ASSERT_TRUE(found);
        }
        std::this_thread::yield();
    }
    EXPECT_EQ(seen.size(), 3u) << "samples keep coming at 50 Hz";
    EXPECT_FALSE(source.latestMagneticField());
}

}  // namespace
}  // namespace zemtra::platform::sensors
