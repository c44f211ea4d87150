// The real clock: the system clock for ticks, the steady clock for due times.
#include "runtime/core/Clock.h"

#include <thread>

namespace zemtra {

int64_t RealClock::nowTicks() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

Clock::Nanos RealClock::monotonicNow() const {
    return std::chrono::duration_cast<Nanos>(std::chrono::steady_clock::now().time_since_epoch());
}

void RealClock::busyWait(std::chrono::milliseconds duration) {
    // Sleeping blocks the main thread exactly as spinning would, without burning a core.
    std::this_thread::sleep_until(std::chrono::steady_clock::now() + duration);
}

}  // namespace zemtra
