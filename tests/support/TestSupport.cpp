// Test helpers.
#include "tests/support/TestSupport.h"

#include <cstdio>
#include <cstdlib>

#include "runtime/core/RtCore.h"

namespace zemtra::testing {

LogCapture::LogCapture() {
    RtCore::setPlatformLog(this);
}

LogCapture::~LogCapture() {
    RtCore::setPlatformLog(nullptr);
}

Watchdog::Watchdog(MainQueue& queue, std::chrono::milliseconds limit) {
    thread_ = std::thread([this, &queue, limit] {
        std::unique_lock lock(mutex_);
        if (done_.wait_for(lock, limit, [this] { return finished_; })) return;
        fired_ = true;
        queue.quit(-1);
        if (done_.wait_for(lock, limit, [this] { return finished_; })) return;
        std::fprintf(stderr, "watchdog: the event loop did not stop; aborting\n");
        std::abort();
    });
}

Watchdog::~Watchdog() {
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    done_.notify_all();
    thread_.join();
    if (fired_) ADD_FAILURE() << "watchdog: the event loop ran past its time limit";
}

}  // namespace zemtra::testing
