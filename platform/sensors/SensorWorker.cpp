// The polling loop of a sensor source's own thread.
#include "platform/sensors/SensorWorker.h"

namespace zemtra::platform::sensors {

using std::chrono::steady_clock;

SensorWorker::SensorWorker(std::chrono::nanoseconds period, Poll poll)
    : period_(period), poll_(std::move(poll)) {}

SensorWorker::~SensorWorker() {
    // The stop wakes the waits below (they take the token) and the poll's own stop callbacks.
    thread_.request_stop();
    if (thread_.joinable()) thread_.join();
}

void SensorWorker::setRunning(bool running) {
    {
        const std::lock_guard lock(mutex_);
        running_ = running;
    }
    changed_.notify_all();
    if (running && !thread_.joinable()) {
        thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
    }
}

void SensorWorker::run(const std::stop_token& stop) {
    std::unique_lock lock(mutex_);
    auto due = steady_clock::now();
    while (!stop.stop_requested()) {
        if (!running_) {
            changed_.wait(lock, stop, [this] { return running_; });
            due = steady_clock::now();
            continue;
        }
        lock.unlock();
        poll_(stop);
        lock.lock();
        due += period_;
        const auto now = steady_clock::now();
        if (due < now) due = now + period_;
        changed_.wait_until(lock, stop, due, [this] { return !running_; });
    }
}

}  // namespace zemtra::platform::sensors
