// Replay files: rows served by the program's clock, and line-numbered errors for bad rows.
#include "platform/sensors/ReplayMotionSource.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/platform/sensors/ManualClock.h"

namespace zemtra::platform::sensors {
namespace {

using namespace std::chrono_literals;

const std::string kHeader = "t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll\n";

ReplayParse parse(const std::string& text) {
    std::istringstream in(text);
    return parseReplay(in, "rec.csv");
}

TEST(ReplayMotionSource, ServesTheLatestRowNotAfterNow) {
    testing::ManualClock clock;
    ReplayParse parsed = parse(kHeader +
                               "100,,,,0.1,0.2,0.3,1,2,3\r\n"
                               "\n"
                               "250, 20.5 ,-3,+4e1,.5,-0.5,5.,0,0,0\n"
                               "250,21,-3,40,-1.5E-2,0,0,0,0,0\n"
                               "400.5,22,-3,40,0,0,0,0,0,0\n");
    ASSERT_EQ(parsed.error, "");
    ReplayMotionSource source(std::move(parsed.rows), clock.sensorClock());
    const auto fieldX = [&] { return source.latestMagneticField().value().x; };
    EXPECT_FALSE(source.latestDeviceMotion()) << "never started";
    source.start(MotionKind::magnetometer);
    source.start(MotionKind::deviceMotion);

    clock.set(99ms);
    EXPECT_FALSE(source.latestDeviceMotion()) << "before the first row";
    clock.set(100ms);
    EXPECT_EQ(source.latestDeviceMotion()->userAcceleration.y, 0.2);
    EXPECT_FALSE(source.latestMagneticField()) << "empty mx, my, mz: no magnetometer sample";
    clock.set(250ms);
    EXPECT_EQ(fieldX(), 21) << "of rows with equal times the last counts";
    EXPECT_EQ(source.latestDeviceMotion()->userAcceleration.x, -0.015);
    clock.set(400ms + 499us);
    source.stop(MotionKind::magnetometer);
    clock.set(400ms + 500us);
    EXPECT_EQ(source.latestDeviceMotion()->userAcceleration.x, 0);
    clock.set(24h);
    EXPECT_EQ(source.latestDeviceMotion()->userAcceleration.x, 0) << "the last row stays";
    EXPECT_EQ(fieldX(), 21) << "stopped: the row of the moment of the stop";
    source.start(MotionKind::magnetometer);
    EXPECT_EQ(fieldX(), 22);
}

struct BadFile {
    const char* name;
    std::string text;
    std::string error;
    friend void PrintTo(const BadFile& file, std::ostream* out) { *out << file.name; }
};

class ReplayErrors : public ::testing::TestWithParam<BadFile> {};

TEST_P(ReplayErrors, NameTheLine) {
    const ReplayParse parsed = parse(GetParam().text);
    EXPECT_EQ(parsed.error, GetParam().error);
    EXPECT_TRUE(parsed.rows.empty());
}

const std::string kRow = "0,1,2,3,4,5,6,7,8,9\n";
INSTANTIATE_TEST_SUITE_P(
    Cases, ReplayErrors,
    ::testing::Values(
        BadFile{"WrongHeader", "t,mx\n",
                "rec.csv:1: expected the header t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll, got "
                "'t,mx'"},
        BadFile{"FieldCount", kHeader + kRow + "\n5,1,2,3\n",
                "rec.csv:4: expected 10 fields, got 4"},
        BadFile{"NotANumber", kHeader + "10,1,2,3,4,five,6,7,8,9\n",
                "rec.csv:2: ay is not a number: 'five'"},
        BadFile{"Hexadecimal", kHeader + "0x10,1,2,3,4,5,6,7,8,9\n",
                "rec.csv:2: t_ms is not a number: '0x10'"},
        BadFile{"Infinity", kHeader + "10,1,2,3,inf,5,6,7,8,9\n",
                "rec.csv:2: ax is not a number: 'inf'"},
        BadFile{"PartMagnetometer", kHeader + "10,1,,3,4,5,6,7,8,9\n",
                "rec.csv:2: my is empty (mx, my and mz are empty together or not at all)"},
        BadFile{"BackInTime", kHeader + "20,1,2,3,4,5,6,7,8,9\r\n10,1,2,3,4,5,6,7,8,9\n",
                "rec.csv:3: t_ms goes back in time: '10' after '20'"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zemtra::platform::sensors
