// The main queue's ordering rules and clocks. Everything runs on the virtual clock except what
// only a real-clock queue does: sleeping until a post from another thread or a due time wakes it.
// (Whether a task is due is decided the same way under both clocks.)
#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include <time.h>

#include <gtest/gtest.h>

#include "runtime/core/MainQueue.h"
#include "runtime/core/TickClock.h"
#include "tests/support/TestSupport.h"

namespace zemtra {
namespace {

using namespace std::chrono_literals;

class MainQueueTest : public testing::RuntimeTest {
  protected:
    std::string order;
    MainQueue::Task mark(char c) {
        return [this, c] { order += c; };
    }
};

// Posted tasks run after their poster in posting order, and a zero delay after all of them.
TEST_F(MainQueueTest, PostedTasksRunAfterThePosterInPostingOrderThenZeroDelays) {
    queue.post([this] {
        order += 'h';
        queue.postDelayed(0ns, mark('d'));
        queue.post(mark('a'));
        queue.post(mark('b'));
        order += 'H';
    });
    queue.runUntilIdle();
    EXPECT_EQ(order, "hHabd");
}

// Delayed tasks run by due time, then posting order; a task posted by a tick runs before another
// tick due at the same time.
TEST_F(MainQueueTest, DelayedTasksRunByDueTimeThenPostingOrder) {
    queue.postDelayed(30ms, mark('3'));
    queue.postDelayed(10ms, mark('1'));
    queue.postDelayed(20ms, [this] {
        order += 'a';
        queue.post(mark('p'));
    });
    queue.postDelayed(20ms, mark('b'));
    queue.runFor(100ms);
    EXPECT_EQ(order, "1apb3");
}

// A script's next command comes this way: after everything due up to its moment, including
// ticks posted after it and the tasks those post, with a virtual clock at exactly that moment.
TEST_F(MainQueueTest, AnIdleTaskWaitsForEverythingDueUpToItsMoment) {
    queue.postWhenIdle(20ms, [this] {
        order += 'i';
        EXPECT_EQ(Now(), kStartTicks + 20);
    });
    queue.postDelayed(20ms, [this] {
        order += 'd';
        queue.post(mark('p'));
    });
    queue.postDelayed(10ms, [this] {
        order += 'e';
        queue.postDelayed(10ms, mark('l'));
    });
    queue.postDelayed(30ms, mark('x'));
    queue.postWhenIdle(40ms, mark('j'));
    queue.postWhenIdle(40ms, mark('k'));
    queue.runFor(35ms);
    EXPECT_EQ(order, "edplix");
    // Nothing else is due: the clock jumps to the idle tasks, as to delayed ones.
    EXPECT_EQ(queue.run(), 0);
    EXPECT_EQ(order, "edplixjk");
    EXPECT_EQ(Now(), kStartTicks + 40);
}

TEST_F(MainQueueTest, AnIdleTaskDueNowRunsAfterTheChainOfPostedTasks) {
    queue.postWhenIdle(0ms, mark('i'));
    queue.post([this] {
        order += 'a';
        queue.post([this] {
            order += 'b';
            queue.postDelayed(0ms, mark('c'));
        });
    });
    queue.runUntilIdle();
    EXPECT_EQ(order, "abci");
    EXPECT_EQ(Now(), kStartTicks);
}

// A delayed task never runs early; Now stands still inside a task, and runFor ends at its end.
TEST_F(MainQueueTest, RunForMovesTheClockToTheEndAndNowStandsStillInsideATask) {
    int64_t seenInside = 0;
    int64_t seenAfterWork = 0;
    queue.postDelayed(1000ms, [&] {
        seenInside = Now();
        queue.post([] {});  // posting does not move virtual time either
        seenAfterWork = Now();
    });
    queue.runFor(999ms);
    EXPECT_EQ(seenInside, 0);
    EXPECT_EQ(Now(), kStartTicks + 999);
    queue.runFor(1ms);
    EXPECT_EQ(seenInside, kStartTicks + 1000);
    EXPECT_EQ(seenAfterWork, seenInside);
}

TEST_F(MainQueueTest, BusyWaitHoldsBackTasksAndTicksUntilItReturns) {
    queue.postDelayed(50ms, mark('t'));
    queue.post([this] {
        clock.busyWait(200ms);
        order += 'w';
    });
    queue.post(mark('p'));
    queue.runFor(300ms);
    EXPECT_EQ(order, "wpt");
}

TEST_F(MainQueueTest, RunReturnsWhenNothingIsLeftOrWithTheStatusOfQuit) {
    testing::Watchdog watchdog(queue);
    queue.postDelayed(5s, mark('a'));
    EXPECT_EQ(queue.run(), 0);
    EXPECT_EQ(order, "a");
    EXPECT_EQ(Now(), kStartTicks + 5000);
    queue.postDelayed(10ms, [this] { queue.quit(3); });
    queue.postDelayed(20ms, mark('x'));
    EXPECT_EQ(queue.run(), 3);
    EXPECT_EQ(order, "a");
}

TEST_F(MainQueueTest, ExceptionsLeaveRunAndTheQueueGoesOn) {
    queue.post([] { throw std::runtime_error("handler failed"); });
    queue.post(mark('n'));
    EXPECT_THROW(queue.run(), std::runtime_error);
    queue.runUntilIdle();
    EXPECT_EQ(order, "n");
}

// The task another thread posts owns what it hands over (a move-only buffer).
TEST_F(MainQueueTest, VirtualClockWaitsForExternalWorkInsteadOfJumping) {
    testing::Watchdog watchdog(queue);
    queue.postDelayed(1s, mark('t'));
    auto work = std::make_unique<MainQueue::ExternalWork>(queue);
    std::thread worker([this, &work] {
        queue.post([this, &work, text = std::make_unique<std::string>("e")] {
            order += *text;
            work.reset();
        });
    });
    queue.runFor(2s);
    worker.join();
    EXPECT_EQ(order, "et");
}

class RealClockQueue : public ::testing::Test {
  protected:
    RealClock clock;
    MainQueue queue{clock};
    testing::Watchdog watchdog{queue};
};

TEST_F(RealClockQueue, IdleQueueIsWokenByAPostFromAnotherThread) {
    std::atomic<bool> ran{false};
    std::thread poster([&] {
        queue.post([&] {
            ran = true;
            queue.quit(0);
        });
    });
    EXPECT_EQ(queue.run(), 0);
    poster.join();
    EXPECT_TRUE(ran);
}

TEST_F(RealClockQueue, AnIdleQueueWakesForAnIdleTaskAtItsTime) {
    const auto start = clock.monotonicNow();
    queue.postWhenIdle(20ms, [&] { queue.quit(0); });
    queue.run();
    EXPECT_GE(clock.monotonicNow() - start, 20ms);
}

// The owner of a wake handler (the Qt driver) replaces it when it goes away while other threads
// may still be posting: once setWakeHandler returns, the old handler must not be running.
TEST_F(RealClockQueue, AReplacedWakeHandlerIsNoLongerRunning) {
    std::atomic<bool> stop{false};
    std::thread poster([&] {
        while (!stop) {
            queue.post([] {});
            std::this_thread::sleep_for(20us);
        }
    });
    constexpr int kRounds = 100;
    std::array<std::atomic<bool>, kRounds> retired{};
    std::atomic<int> lateCalls{0};
    for (int round = 0; round < kRounds; ++round) {
        std::atomic<bool>* const flag = &retired[static_cast<size_t>(round)];
        queue.setWakeHandler([flag, &lateCalls] {
            std::this_thread::sleep_for(100us);
            if (*flag) ++lateCalls;
        });
        std::this_thread::sleep_for(300us);
        queue.setWakeHandler(nullptr);
        *flag = true;
        queue.runUntilIdle();
    }
    stop = true;
    poster.join();
    EXPECT_EQ(lateCalls, 0);
}

// A task due at the end of the clock's range (an interval of centuries) leaves a real-clock queue
// asleep: the wait must not overflow into a deadline in the past and spin.
TEST_F(RealClockQueue, ATaskDueAtTheEndOfTimeDoesNotSpinTheIdleQueue) {
    queue.postDelayed(Clock::Nanos::max(), [] {});
    std::thread quitter([&] {
        std::this_thread::sleep_for(100ms);
        queue.quit(0);
    });
    const auto cpuTime = [] {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
    };
    const auto before = cpuTime();
    queue.run();
    const auto used = cpuTime() - before;
    quitter.join();
    EXPECT_LT(used, 30ms);
}

}  // namespace
}  // namespace zemtra
