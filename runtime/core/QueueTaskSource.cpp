// The main queue as a task source for foreign event loops.
#include "runtime/core/QueueTaskSource.h"

namespace zemtra {

void QueueTaskSource::runReadyTasks() {
    if (queue_.runUntilIdle() > 0 || queue_.quitRequested() || !queue_.clock().isVirtual()) return;
    const auto next = queue_.nextReadyTime();
    if (!next) return;
    queue_.runFor(*next - queue_.clock().monotonicNow());
}

std::optional<std::chrono::nanoseconds> QueueTaskSource::timeUntilNextTask() const {
    const auto next = queue_.nextReadyTime();
    if (!next) return std::nullopt;
    if (queue_.clock().isVirtual()) return std::chrono::nanoseconds::zero();
    return std::max(std::chrono::nanoseconds::zero(), *next - queue_.clock().monotonicNow());
}

}  // namespace zemtra
