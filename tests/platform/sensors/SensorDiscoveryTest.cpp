// What `--sensors list` finds in a fake sysfs tree and a fake /dev, and what it says when there
// is nothing.
#include "platform/sensors/SensorDiscovery.h"

#include <gtest/gtest.h>

#include "tests/support/TemporaryFolder.h"

namespace zemtra::platform::sensors {
namespace {

using zemtra::testing::writeFile;

TEST(SensorDiscovery, ListsIioChannelsByKindBoardPortsAndWhatAutoTakes) {
    const zemtra::testing::TemporaryFolder root("zemtra-discovery");
    const auto iio = root / "sys" / "bus" / "iio" / "devices";
    for (const char* file : {"name", "in_accel_x_raw", "in_accel_y_raw", "in_accel_z_raw",
                             "in_accel_scale", "in_temp_input"}) {
        writeFile(iio / "iio:device0" / file, std::string(file) == "name" ? "accel_3d\n" : "0\n");
    }
    for (const char* file : {"name", "in_magn_x_raw", "in_magn_y_raw", "in_magn_z_raw",
                             "in_rot_from_north_magnetic_tilt_comp_raw"}) {
        writeFile(iio / "iio:device1" / file, std::string(file) == "name" ? "magn_3d\n" : "0\n");
    }
    for (const char* file : {"in_voltage0_raw", "in_voltage1_raw", "in_illuminance_raw"})
        writeFile(iio / "iio:device2" / file, "0\n");
    writeFile(iio / "trigger0" / "name", "not a device\n");
    const auto dev = root / "dev";
    for (const char* port : {"ttyACM0", "ttyUSB0", "ttyS0", "tty1"}) writeFile(dev / port, "");
    std::filesystem::create_directories(dev / "serial" / "by-id");
    std::filesystem::create_symlink("../../ttyACM0", dev / "serial" / "by-id" / "usb-Uno-if00");

    const std::string listing = sensorListing(findSensors(root / "sys", dev));
    const std::string d = dev.string();
    for (const std::string& line : std::vector<std::string>{
             "  iio:device0 (accel_3d): accel x, y, z; temp\n",
             "  iio:device1 (magn_3d): magn x, y, z; rot from_north_magnetic_tilt_comp\n",
             "  iio:device2: illuminance; voltage 0, 1\n", "  " + d + "/ttyACM0\n",
             "  " + d + "/ttyUSB0\n",
             "  " + d + "/serial/by-id/usb-Uno-if00 -> " + d + "/ttyACM0\n",
             "--sensors auto (the default) takes: IIO accel_3d + magn_3d\n"})
        EXPECT_NE(listing.find(line), std::string::npos) << line << " in\n" << listing;
    // A trigger is no device, and a serial port without a board's name no board.
    for (const char* absent : {"trigger0", "ttyS0", "tty1"})
        EXPECT_EQ(listing.find(absent), std::string::npos) << absent;

    const SensorFindings nothing = findSensors(root / "nonexistent", root / "nonexistent");
    EXPECT_TRUE(nothing.iio.empty() && nothing.serialPorts.empty());
    EXPECT_EQ(nothing.automatic, "Simulated sensors");
    EXPECT_NE(sensorListing(nothing).find("):\n  none\n"), std::string::npos);
}

}  // namespace
}  // namespace zemtra::platform::sensors
