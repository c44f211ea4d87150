// The program's main queue and clock as a back end that works on threads of its own sees them:
// the time, posting results back, and marking work in progress so that a virtual clock waits for
// it.
//
// Contract:
// - now() and post() may be called from any thread; postDelayed() from the queue's thread only.
// - Tasks run on the queue's thread, posted ones in posting order; a delayed task never runs
//   before its time.
// - While a token from holdExternalWork() is alive a virtual clock does not move on by itself;
//   post the result before releasing the token. Tokens may be released on any thread.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace zemtra::platform {

class ProgramQueue {
  public:
    virtual ~ProgramQueue() = default;

    // Monotonic time on the program's clock (virtual or real).
    virtual std::chrono::nanoseconds now() const = 0;
    virtual bool isVirtualClock() const = 0;
    virtual void post(std::function<void()> task) = 0;
    virtual void postDelayed(std::chrono::nanoseconds delay, std::function<void()> task) = 0;
    virtual std::shared_ptr<void> holdExternalWork() = 0;
};

}  // namespace zemtra::platform
