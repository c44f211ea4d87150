// The program's clock as the sensor sources see it: time since start-up, and whether it is the
// virtual clock. The simulated and the replayed source derive their samples from this time, so a
// run under the virtual clock repeats exactly.
#pragma once

#include <chrono>
#include <functional>

namespace zemtra::platform::sensors {

struct SensorClock {
    // Time since start-up on the program's clock; callable on any thread.
    std::function<std::chrono::nanoseconds()> sinceStartup;
    bool isVirtual = false;
};

}  // namespace zemtra::platform::sensors
