// The motion source named on the command line: "auto", "sim[:SEED]", "iio[:SYSFS_ROOT]",
// "serial:DEVICE[:BAUD]" or "replay:FILE". A source that cannot be made (a bad seed, no IIO
// device, a serial port that is not there, a malformed replay file) gives a message for the user
// instead, before the program starts.
//
// "auto" is the IIO accelerometer and magnetometer under `sysfsRoot` when the machine has both,
// else the simulated source (its status says simulated and "Simulated sensors").
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/MotionSource.h"
#include "platform/Result.h"
#include "platform/sensors/SensorClock.h"

namespace zemtra::platform::sensors {

Result<std::shared_ptr<MotionSource>> createMotionSource(
    const std::string& name, const SensorClock& clock,
    const std::filesystem::path& sysfsRoot = "/sys");

}  // namespace zemtra::platform::sensors
