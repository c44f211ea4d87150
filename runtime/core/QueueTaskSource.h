// The main queue seen by a window toolkit's event loop (platform::TaskSource).
//
// Under a real clock the loop waits for the next due task. Under a virtual clock nothing is
// waited for: when no task is ready, running moves the clock on to the next due task (as the
// queue's own loop does when idle), so a windowed run under the virtual clock goes as fast as
// its tasks allow.
#pragma once

#include "platform/TaskSource.h"
#include "runtime/core/MainQueue.h"

namespace zemtra {

class QueueTaskSource final : public platform::TaskSource {
  public:
    explicit QueueTaskSource(MainQueue& queue) : queue_(queue) {}

    void runReadyTasks() override;
    std::optional<std::chrono::nanoseconds> timeUntilNextTask() const override;
    void setWakeHandler(std::function<void()> wake) override {
        queue_.setWakeHandler(std::move(wake));
    }
    bool quitRequested() const override { return queue_.quitRequested(); }
    int exitStatus() const override { return queue_.exitStatus(); }

  private:
    MainQueue& queue_;
};

}  // namespace zemtra
