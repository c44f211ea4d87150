// The motion source named on the command line: "sim[:SEED]", "iio[:SYSFS_ROOT]" or
// "replay:FILE". A source that cannot be made (a bad seed, no IIO device, a malformed replay
// file) gives a message for the user instead, before the program starts.
#pragma once

#include <memory>
#include <string>

#include "platform/MotionSource.h"
#include "platform/Result.h"
#include "platform/sensors/SensorClock.h"

namespace zemtra::platform::sensors {

Result<std::shared_ptr<MotionSource>> createMotionSource(const std::string& name,
                                                         const SensorClock& clock);

}  // namespace zemtra::platform::sensors
