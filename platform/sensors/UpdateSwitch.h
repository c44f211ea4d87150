// Counted start and stop of one kind of sensor update: updates run while starts outnumber stops.
#pragma once

#include <atomic>

namespace zemtra::platform::sensors {

class UpdateSwitch {
  public:
    // Main thread only. Answer true when updates begin (start) or end (stop) with this call.
    bool start() {
        if (starts_++ > 0) return false;
        running_.store(true, std::memory_order_release);
        return true;
    }
    bool stop() {
        if (starts_ == 0 || --starts_ > 0) return false;
        running_.store(false, std::memory_order_release);
        return true;
    }
    // Main thread only: whether the next stop() ends the updates.
    bool lastStart() const { return starts_ == 1; }
    // Any thread.
    bool running() const { return running_.load(std::memory_order_acquire); }

  private:
    int starts_ = 0;
    std::atomic<bool> running_{false};
};

}  // namespace zemtra::platform::sensors
