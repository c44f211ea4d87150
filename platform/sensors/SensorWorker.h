// The thread of a sensor source that reads its device itself: it calls the source's poll
// function at a fixed period while the source has updates running, and sleeps otherwise.
//
// Contract:
// - setRunning() is called on the main thread, after each start or stop that changes whether any
//   kind runs. The thread begins with the first setRunning(true); without one there is none.
// - The period runs from the start of one poll to the start of the next. After a poll that took
//   longer (a slow read, a suspended machine) the next one comes a period later instead of a
//   burst catching up. A period of zero polls again as soon as a poll returns: for a poll that
//   itself waits for its device (a serial line), which then must not return at once forever.
// - A poll may block (a network request, a read of a serial line), but must return soon once its
//   stop token is requested: it checks the token (a transfer's progress callback), or registers a
//   std::stop_callback that wakes its wait (a write to a pipe it polls beside the device).
// - The destructor requests the stop, wakes the thread wherever it waits and joins it, so a
//   source declares its worker last: the thread ends before anything its poll function uses.
//   After setRunning(false) a poll under way finishes; no other begins.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

namespace zemtra::platform::sensors {

class SensorWorker {
  public:
    using Poll = std::function<void(std::stop_token stop)>;

    SensorWorker(std::chrono::nanoseconds period, Poll poll);
    ~SensorWorker();
    SensorWorker(const SensorWorker&) = delete;
    SensorWorker& operator=(const SensorWorker&) = delete;

    void setRunning(bool running);

  private:
    void run(const std::stop_token& stop);

    const std::chrono::nanoseconds period_;
    const Poll poll_;

    std::mutex mutex_;
    std::condition_variable_any changed_;
    bool running_ = false;  // under mutex_
    std::jthread thread_;
};

}  // namespace zemtra::platform::sensors
