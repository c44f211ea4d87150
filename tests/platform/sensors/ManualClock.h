// A program clock for sensor tests that moves only when the test moves it.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>

#include "platform/sensors/SensorClock.h"

namespace zemtra::platform::sensors::testing {

class ManualClock {
  public:
    SensorClock sensorClock() const {
        return SensorClock{[now = now_] { return std::chrono::nanoseconds(now->load()); }, true};
    }
    void set(std::chrono::nanoseconds sinceStartup) { now_->store(sinceStartup.count()); }

  private:
    std::shared_ptr<std::atomic<int64_t>> now_ = std::make_shared<std::atomic<int64_t>>(0);
};

}  // namespace zemtra::platform::sensors::testing
