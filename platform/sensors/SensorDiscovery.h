// What motion sensors the machine offers, for `--sensors list`: the IIO devices with the kinds
// of their channels, the serial ports that look like a microcontroller board's, and what
// `--sensors auto` picks among them.
//
// Nothing here fails: a folder that is missing or cannot be listed holds nothing.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zemtra::platform::sensors {

struct IioFinding {
    std::string folder;  // "iio:device0"
    std::string name;    // its name attribute ("accel_3d"), empty when it has none
    // One entry per kind of channel, with its axes or modifiers: "accel x, y, z", "temp".
    std::vector<std::string> channels;
};

struct SensorFindings {
    std::string iioFolder;        // "/sys/bus/iio/devices"
    std::vector<IioFinding> iio;  // by folder name
    // /dev/ttyACM*, /dev/ttyUSB* and the /dev/serial/by-id/* links, each with where a link
    // points ("/dev/serial/by-id/usb-Arduino_Uno-if00 -> /dev/ttyACM0").
    std::vector<std::string> serialPorts;
    std::string automatic;  // the description of what "auto" picks
};

// Looks under ROOT/bus/iio/devices and DEV (the roots are for tests).
SensorFindings findSensors(const std::filesystem::path& sysfsRoot = "/sys",
                           const std::filesystem::path& devices = "/dev");

// The findings as `--sensors list` prints them, with how to use each kind; ends with a newline.
std::string sensorListing(const SensorFindings& findings);

}  // namespace zemtra::platform::sensors
