// Helpers for runtime tests: a fresh runtime scope on a virtual clock, log capture and a watchdog
// that turns a hanging event loop into a failed test.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/PlatformLog.h"
#include "runtime/core/Clock.h"
#include "runtime/core/MainQueue.h"
#include "runtime/core/RuntimeScope.h"

namespace zemtra::testing {

// Collects platform log lines (UTF-8) while alive.
class LogCapture final : public platform::PlatformLog {
  public:
    LogCapture();
    ~LogCapture() override;
    void writeLine(std::string_view utf8) override { lines.emplace_back(utf8); }
    std::vector<std::string> lines;
};

// A fresh runtime for one test: its own runtime scope (shared core object, Common object, static
// modules; no services, which a fixture registers as it needs them), a virtual clock and an
// installed main queue. Everything goes away with the test.
class RuntimeTest : public ::testing::Test {
  protected:
    static constexpr int64_t kStartTicks = 1700000000000;  // 2023-11-14T22:13:20Z

    RuntimeScope scope;
    VirtualClock clock{kStartTicks};
    MainQueue queue{clock};
    MainQueue::Installation installation{queue};
    LogCapture log;
};

// Fails the current test and stops the queue when the guarded code runs longer than the limit
// (in real time); aborts the process if even that does not end it.
class Watchdog {
  public:
    Watchdog(MainQueue& queue, std::chrono::milliseconds limit = std::chrono::seconds(10));
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

  private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    bool fired_ = false;
    std::thread thread_;
};

}  // namespace zemtra::testing
