// Turns the signals that ask a program to end (SIGINT, SIGTERM, SIGHUP) into an orderly end of the
// main queue. They are blocked in every thread and read by one watcher thread, which posts the
// quit as an ordinary task, so the end happens between handlers like any other platform input.
//
// The watcher lives as long as this object, whatever arrives: a repeated Ctrl-C while the
// program is already ending is taken and ignored instead of killing it midway, and the signals
// nobody uses but that would end the process (SIGUSR1, SIGUSR2, SIGPIPE) are taken and ignored
// too. Every other signal keeps its usual effect and never reaches the watcher. The signals stay
// blocked after the watcher ends, so none can kill the program on its last steps out.
//
// When the watcher cannot be set up (no descriptor, no thread), the constructor throws and leaves
// nothing behind: its descriptors are closed and the signal mask is as it was.
#pragma once

#include <atomic>
#include <thread>

#include "runtime/core/MainQueue.h"
#include "runtime/lib/PosixFile.h"

namespace zemtra::app {

class SignalWatcher {
  public:
    // Create before any other thread starts, so that they inherit the blocked signal mask.
    // Throws std::system_error when the watcher cannot be set up.
    explicit SignalWatcher(MainQueue& queue);
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    // The signal that started the end, or 0.
    int received() const { return received_; }

  private:
    void watch(MainQueue& queue);

    FileDescriptor signalDescriptor_;
    FileDescriptor stopDescriptor_;
    std::atomic<int> received_{0};
    std::thread thread_;
};

}  // namespace zemtra::app
