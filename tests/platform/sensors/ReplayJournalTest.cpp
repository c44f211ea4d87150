// A session journal read as a replay file: its readings placed by the program's start-up time,
// the rows before the first magnetometer sample without one, a torn last row left out.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/sensors/ReplayMotionSource.h"

namespace zemtra::platform::sensors {
namespace {

const std::string kHeader =
    "t_ms,time,mx,my,mz,ax,ay,az,digits,value,index,decision,quiet_ms,word\n";

TEST(ReplayJournal, RowsArePlacedByTheStartUpTimeAndATornLastRowIsLeftOut) {
    std::istringstream in(kHeader +
                          "100000,2025-01-01T00:01:40.000+00:00,,,,0.5,-0.25,1e-3,---000,0000,0,"
                          "quiet,,\n"
                          "101000,2025-01-01T00:01:41.000+00:00,-12.5,3,40.125,0,0,0,123456,2356,"
                          "2356,range,,\n"
                          "102000,2025-01-01T00:01:42.000+00:00,1,2,3,4,5,6,123456,0012,12,"
                          "accepted,0,\"a, b\"\n"
                          "103000,2025-01-01T00:01:4");
    const auto rows = parseReplay(in, "samples.csv", 99000);
    ASSERT_TRUE(rows) << rows.error();
    ASSERT_EQ(rows->size(), 3u);
    EXPECT_EQ((*rows)[0].timeMs, 1000);
    EXPECT_FALSE((*rows)[0].magneticField);
    EXPECT_EQ((*rows)[0].motion.userAcceleration.y, -0.25);
    ASSERT_TRUE((*rows)[1].magneticField);
    EXPECT_EQ((*rows)[1].magneticField->z, 40.125);
    EXPECT_EQ((*rows)[2].timeMs, 3000);
}

TEST(ReplayJournal, ADamagedRowNamesItsLine) {
    std::istringstream in(kHeader + "100000,x,1,2,3,4,five,6,,,,,,\n");
    EXPECT_EQ(parseReplay(in, "samples.csv").error(), "samples.csv:2: ay is not a number: 'five'");
    std::istringstream backwards(kHeader + "2000,x,1,2,3,4,5,6,\n1000,x,1,2,3,4,5,6,\n");
    EXPECT_EQ(parseReplay(backwards, "samples.csv").error(),
              "samples.csv:3: t_ms goes back in time: '1000' after '2000'");
}

}  // namespace
}  // namespace zemtra::platform::sensors
