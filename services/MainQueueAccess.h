// The main queue behind the platform's ProgramQueue interface, for back ends that post results
// from threads of their own (speech). It must outlive the back ends given it.
#pragma once

#include "platform/ProgramQueue.h"
#include "runtime/core/MainQueue.h"

namespace zemtra {

class MainQueueAccess final : public platform::ProgramQueue {
  public:
    explicit MainQueueAccess(MainQueue& queue) : queue_(queue) {}

    std::chrono::nanoseconds now() const override { return queue_.clock().monotonicNow(); }
    bool isVirtualClock() const override { return queue_.clock().isVirtual(); }
    void post(std::function<void()> task) override { queue_.post(std::move(task)); }
    void postDelayed(std::chrono::nanoseconds delay, std::function<void()> task) override {
        queue_.postDelayed(delay, std::move(task));
    }
    std::shared_ptr<void> holdExternalWork() override {
        return std::make_shared<MainQueue::ExternalWork>(queue_);
    }

  private:
    MainQueue& queue_;
};

}  // namespace zemtra
