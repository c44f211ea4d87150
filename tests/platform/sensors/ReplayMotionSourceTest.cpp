// Replay files: rows served by the program's clock, and line-numbered errors for bad rows.
#include "platform/sensors/ReplayMotionSource.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zemtra::platform::sensors {
namespace {

using namespace std::chrono_literals;

const std::string kHeader = "t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll\n";

Result<std::vector<ReplayRow>> parse(const std::string& text) {
    std::istringstream in(text);
    return parseReplay(in, "rec.csv");
}

TEST(ReplayMotionSource, ServesTheLatestRowNotAfterNow) {
    std::chrono::nanoseconds now{};
    auto rows = parse(kHeader +
                      "100,,,,0.1,0.2,0.3,1,2,3\r\n"
                      "\n"
                      "250, 20.5 ,-3,+4e1,.5,-0.5,5.,0,0,0\n"
                      "250,21,-3,40,-1.5E-2,0,0,0,0,0\n"
                      "400.5,22,-3,40,0,0,0,0,0,0\n");
    ASSERT_TRUE(rows) << rows.error();
    ReplayMotionSource source(std::move(rows).value(), {[&now] { return now; }, true});
    const auto fieldX = [&] { return source.latestMagneticField().value().x; };
    EXPECT_FALSE(source.latestDeviceMotion()) << "never started";
    source.start(MotionKind::magnetometer);
    source.start(MotionKind::deviceMotion);

    now = 99ms;
    EXPECT_FALSE(source.latestDeviceMotion()) << "before the first row";
    now = 100ms;
    EXPECT_EQ(source.latestDeviceMotion()->userAcceleration.y, 0.2);
    EXPECT_FALSE(source.latestMagneticField()) << "empty mx, my, mz: no magnetometer sample";
    now = 250ms;
    EXPECT_EQ(fieldX(), 21) << "of rows with equal times the last counts";
    EXPECT_EQ(source.latestDeviceMotion()->userAcceleration.x, -0.015);
    now = 400ms + 499us;
    source.stop(MotionKind::magnetometer);
    now = 400ms + 500us;
    EXPECT_EQ(source.latestDeviceMotion()->userAcceleration.x, 0);
    now = 24h;
    EXPECT_EQ(source.latestDeviceMotion()->userAcceleration.x, 0) << "the last row stays";
    EXPECT_FALSE(source.status().lost) << "a recording that has ended is not a lost sensor";
    EXPECT_EQ(fieldX(), 21) << "stopped: the row of the moment of the stop";
    source.start(MotionKind::magnetometer);
    EXPECT_EQ(fieldX(), 22);
}

TEST(ReplayMotionSource, ErrorsNameTheLine) {
    const std::string row = "0,1,2,3,4,5,6,7,8,9\n";
    const std::pair<std::string, std::string> files[] = {
        {"t,mx\n",
         "rec.csv:1: expected the header t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll, got 't,mx'"},
        {kHeader + row + "\n5,1,2,3\n", "rec.csv:4: expected 10 fields, got 4"},
        {kHeader + "10,1,2,3,4,five,6,7,8,9\n", "rec.csv:2: ay is not a number: 'five'"},
        {kHeader + "0x10,1,2,3,4,5,6,7,8,9\n", "rec.csv:2: t_ms is not a number: '0x10'"},
        {kHeader + "10,1,2,3,inf,5,6,7,8,9\n", "rec.csv:2: ax is not a number: 'inf'"},
        {kHeader + "10,1,,3,4,5,6,7,8,9\n",
         "rec.csv:2: my is empty (mx, my and mz are empty together or not at all)"},
        {kHeader + "20,1,2,3,4,5,6,7,8,9\r\n10,1,2,3,4,5,6,7,8,9\n",
         "rec.csv:3: t_ms goes back in time: '10' after '20'"},
    };
    for (const auto& [text, error] : files) {
        const auto rows = parse(text);
        ASSERT_FALSE(rows) << text;
        EXPECT_EQ(rows.error(), error);
    }
}

}  // namespace
}  // namespace zemtra::platform::sensors
