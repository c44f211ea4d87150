// The program's clock as the sensor sources see it: time since start-up, and whether it is the
// virtual clock. The simulated and the replayed source derive their samples from this time, so a
// run under the virtual clock repeats exactly.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <utility>

namespace zemtra::platform::sensors {

struct SensorClock {
    SensorClock() = default;
    SensorClock(std::function<std::chrono::nanoseconds()> since, bool isVirtualClock,
                int64_t startupEpoch = 0)
        : sinceStartup(std::move(since)), isVirtual(isVirtualClock), startupEpochMs(startupEpoch) {}

    // Time since start-up on the program's clock; callable on any thread.
    std::function<std::chrono::nanoseconds()> sinceStartup;
    bool isVirtual = false;
    // The program clock's wall time at start-up, epoch milliseconds.
    int64_t startupEpochMs = 0;
};

}  // namespace zemtra::platform::sensors
