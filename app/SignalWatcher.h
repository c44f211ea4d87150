// Turns SIGINT and SIGTERM into an orderly end of the main queue: the signals are blocked in every
// thread and taken by one watcher thread with sigwait, which posts the quit as an ordinary task,
// so the end happens between handlers like any other platform input.
#pragma once

#include <atomic>
#include <csignal>
#include <thread>

#include "runtime/core/MainQueue.h"

namespace zemtra::app {

class SignalWatcher {
  public:
    // Create before any other thread starts, so that they inherit the blocked signal mask.
    explicit SignalWatcher(MainQueue& queue);
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    // The signal that ended the run, or 0.
    int received() const { return received_; }

  private:
    sigset_t signals_{};
    std::thread thread_;
    std::atomic<int> received_{0};
};

}  // namespace zemtra::app
