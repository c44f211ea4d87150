// SIGTERM ends the main queue in an orderly way instead of killing the process.
#include <unistd.h>
#include <csignal>

#include <gtest/gtest.h>

#include "app/SignalWatcher.h"
#include "tests/support/TestSupport.h"

namespace zemtra::app {
namespace {

TEST(SignalWatcher, TerminationSignalQuitsTheQueue) {
    RealClock clock;
    MainQueue queue(clock);
    SignalWatcher watcher(queue);  // before any other thread, which must inherit the blocked mask
    testing::Watchdog watchdog(queue);
    ::kill(::getpid(), SIGTERM);
    EXPECT_EQ(queue.run(), 0);
    EXPECT_EQ(watcher.received(), SIGTERM);
}

TEST(SignalWatcher, EndsQuietlyWhenNoSignalCame) {
    RealClock clock;
    MainQueue queue(clock);
    { SignalWatcher watcher(queue); }
    EXPECT_EQ(queue.pendingCount(), 0u);
}

}  // namespace
}  // namespace zemtra::app
