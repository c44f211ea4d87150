// Now from the installed main queue's clock.
#include "runtime/core/TickClock.h"

#include "runtime/core/Clock.h"
#include "runtime/core/MainQueue.h"

namespace zemtra {

int64_t Now() {
    if (const MainQueue* queue = MainQueue::currentOrNull()) return queue->clock().nowTicks();
    static const RealClock systemClock;
    return systemClock.nowTicks();
}

}  // namespace zemtra
