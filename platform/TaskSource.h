// The program's task queue as a foreign event loop (a window toolkit's) drives it: run what is
// ready, say how long until the next task, and be woken when another thread posts.
#pragma once

#include <chrono>
#include <functional>
#include <optional>

namespace zemtra::platform {

class TaskSource {
  public:
    virtual ~TaskSource() = default;
    // Runs the tasks that are ready now (under a virtual clock: also the ones whose time has come
    // once the clock moved on to them). Exceptions of tasks propagate.
    virtual void runReadyTasks() = 0;
    // Real time to wait before the next task is ready: zero when one is ready now, nothing when
    // the queue is empty.
    virtual std::optional<std::chrono::nanoseconds> timeUntilNextTask() const = 0;
    // Called, possibly on another thread, after each post.
    virtual void setWakeHandler(std::function<void()> wake) = 0;
    // Whether the program asked to end, and with what status.
    virtual bool quitRequested() const = 0;
    virtual int exitStatus() const = 0;
};

}  // namespace zemtra::platform
