// Replay files: rows served by the program's clock, and line-numbered errors for bad rows.
#include "platform/sensors/ReplayMotionSource.h"

#include <gtest/gtest.h>

#include <filesystem>
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

std::unique_ptr<ReplayMotionSource> sourceOf(const std::string& text,
                                             const testing::ManualClock& clock) {
    ReplayParse parsed = parse(text);
    EXPECT_EQ(parsed.error, "");
    return std::make_unique<ReplayMotionSource>(std::move(parsed.rows), clock.sensorClock());
}

TEST(ReplayMotionSource, ServesTheLatestRowNotAfterNow) {
    testing::ManualClock clock;
    const auto source = sourceOf(std::string(kHeader) +
                                     "100,,,,0.1,0.2,0.3,1,2,3\r\n"
                                     "\n"
                                     "250, 20.5 ,-3,+4e1,.5,-0.5,5.,0,0,0\n"
                                     "250,21,-3,40,0.25,0,0,0,0,0\n"
                                     "400.5,22,-3,40,0,0,0,0,0,0\n",
                                 clock);
    source->start(MotionKind::magnetometer);
    source->start(MotionKind::deviceMotion);

    clock.set(99ms);
    EXPECT_FALSE(source->latestDeviceMotion()) << "before the first row";
    EXPECT_FALSE(source->latestMagneticField());

    clock.set(100ms);
    EXPECT_DOUBLE_EQ(source->latestDeviceMotion()->userAcceleration.y, 0.2);
    EXPECT_DOUBLE_EQ(source->latestDeviceMotion()->attitude.roll, 3);
    EXPECT_FALSE(source->latestMagneticField()) << "empty mx, my, mz: no magnetometer sample";

    clock.set(249ms);
    EXPECT_DOUBLE_EQ(source->latestDeviceMotion()->userAcceleration.x, 0.1);
    clock.set(250ms);
    EXPECT_DOUBLE_EQ(source->latestMagneticField()->x, 21) << "of equal times the last counts";
    EXPECT_DOUBLE_EQ(source->latestDeviceMotion()->userAcceleration.x, 0.25);

    clock.set(400ms + 499us);
    EXPECT_DOUBLE_EQ(source->latestMagneticField()->x, 21);
    clock.set(400ms + 500us);
    EXPECT_DOUBLE_EQ(source->latestMagneticField()->x, 22);
    clock.set(24h);
    EXPECT_DOUBLE_EQ(source->latestMagneticField()->x, 22) << "the last row stays in force";
}

TEST(ReplayMotionSource, ParsesEveryCDecimalForm) {
    const ReplayParse parsed =
        parse(std::string(kHeader) + "0,+1,-2,.5,5.,1e3,-1.5E-2,+0.0,-0,7\n");
    ASSERT_EQ(parsed.error, "");
    const ReplayRow& row = parsed.rows.at(0);
    EXPECT_EQ(row.magneticField->x, 1);
    EXPECT_EQ(row.magneticField->y, -2);
    EXPECT_EQ(row.magneticField->z, 0.5);
    EXPECT_EQ(row.motion.userAcceleration.x, 5);
    EXPECT_EQ(row.motion.userAcceleration.y, 1000);
    EXPECT_EQ(row.motion.userAcceleration.z, -0.015);
    EXPECT_EQ(row.motion.attitude.roll, 7);
}

TEST(ReplayMotionSource, StoppedKindKeepsTheRowOfItsStop) {
    testing::ManualClock clock;
    const auto source = sourceOf(std::string(kHeader) +
                                     "0,1,1,1,0,0,0,0,0,0\n"
                                     "500,2,2,2,0,0,0,0,0,0\n",
                                 clock);
    EXPECT_FALSE(source->latestMagneticField()) << "never started";
    source->start(MotionKind::magnetometer);
    clock.set(100ms);
    source->stop(MotionKind::magnetometer);
    clock.set(600ms);
    EXPECT_DOUBLE_EQ(source->latestMagneticField()->x, 1);
    source->start(MotionKind::magnetometer);
    EXPECT_DOUBLE_EQ(source->latestMagneticField()->x, 2);
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
        BadFile{"Empty", "",
                "rec.csv:1: expected the header t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll, the file "
                "is empty"},
        BadFile{"WrongHeader", "t,mx\n" + kRow,
                "rec.csv:1: expected the header t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll, got "
                "'t,mx'"},
        BadFile{"TooFewFields", kHeader + kRow + "\n5,1,2,3\n",
                "rec.csv:4: expected 10 fields, got 4"},
        BadFile{"NotANumber", kHeader + kRow + "10,1,2,3,4,five,6,7,8,9\n",
                "rec.csv:3: ay is not a number: 'five'"},
        BadFile{"TrailingJunk", kHeader + "10,1,2,3,4,5,6,7,8,9x\n",
                "rec.csv:2: roll is not a number: '9x'"},
        BadFile{"Hexadecimal", kHeader + "0x10,1,2,3,4,5,6,7,8,9\n",
                "rec.csv:2: t_ms is not a number: '0x10'"},
        BadFile{"Infinity", kHeader + "10,1,2,3,inf,5,6,7,8,9\n",
                "rec.csv:2: ax is not a number: 'inf'"},
        BadFile{"NotANumberValue", kHeader + "10,1,2,3,4,5,6,nan,8,9\n",
                "rec.csv:2: yaw is not a number: 'nan'"},
        BadFile{"DoubleSign", kHeader + "10,1,2,3,4,5,6,+-7,8,9\n",
                "rec.csv:2: yaw is not a number: '+-7'"},
        BadFile{"EmptyField", kHeader + "10,1,2,3,4,,6,7,8,9\n", "rec.csv:2: ay is empty"},
        BadFile{"PartMagnetometer", kHeader + "10,1,,3,4,5,6,7,8,9\n",
                "rec.csv:2: my is empty (mx, my and mz are empty together or not at all)"},
        BadFile{"NegativeTime", kHeader + "-1,1,2,3,4,5,6,7,8,9\n",
                "rec.csv:2: t_ms is negative: '-1'"},
        BadFile{"BackInTime", kHeader + "20,1,2,3,4,5,6,7,8,9\r\n10,1,2,3,4,5,6,7,8,9\n",
                "rec.csv:3: t_ms goes back in time: '10' after '20'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplayMotionSource, LoadNamesAMissingFile) {
    testing::ManualClock clock;
    const auto loaded = ReplayMotionSource::load("/nonexistent/rec.csv", clock.sensorClock());
    EXPECT_FALSE(loaded.source);
    EXPECT_EQ(loaded.error,
              "cannot open the replay file /nonexistent/rec.csv: No such file or directory");
}

}  // namespace
}  // namespace zemtra::platform::sensors
