// The main queue: the one place every handler, timer tick and queued event runs, one task at a
// time, on the thread that runs the queue.
//
// Ordering contract:
// - Tasks posted now run in posting order, after the running task has finished.
// - A delayed task never runs before its due time. Delayed tasks run in due-time order; equal due
//   times run in posting order (one sequence number counts every post).
// - All tasks posted now run before the next due delayed task, so a task posted by a tick runs
//   before another tick due at the same moment.
// - A task posted for when the queue is idle runs once its time has come and nothing else is
//   ready: after every task due up to and including its moment, whenever it was posted, and
//   after the tasks those post. Such tasks run in due-time order, then posting order.
// - post(), postDelayed() and postWhenIdle() may be called from any thread; everything else from
//   the queue's thread only. Tasks are move-only, so a back-end thread can hand over what it owns.
//
// Under a real clock an idle queue sleeps until its next due task or a post wakes it (no polling).
// Under a virtual clock an idle queue jumps the clock to the next due task, unless other threads
// hold external work (ExternalWork), in which case it waits for their posts.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <queue>
#include <vector>

#include "runtime/core/Clock.h"
#include "runtime/core/MoveOnlyTask.h"

namespace zemtra {

class MainQueue {
  public:
    using Task = MoveOnlyTask;
    using Nanos = Clock::Nanos;

    explicit MainQueue(Clock& clock);
    MainQueue(const MainQueue&) = delete;
    MainQueue& operator=(const MainQueue&) = delete;
    ~MainQueue();

    Clock& clock() const { return clock_; }

    void post(Task task);
    // Due `delay` from now; a delay of 0 or less is due now (still after the posted tasks).
    void postDelayed(Nanos delay, Task task);
    // Due `delay` from now, but run only when the queue is idle then (see the ordering contract):
    // the way input from outside, such as a script's next command, comes between tasks. A virtual
    // clock jumps to it as to a delayed task.
    void postWhenIdle(Nanos delay, Task task);

    // Runs the next ready task, if any; answers whether one ran. Does not move a virtual clock.
    bool runOne();
    // Runs ready tasks until none is ready; answers how many ran. Does not move a virtual clock.
    size_t runUntilIdle();
    // Runs every task due up to and including now + duration, moving a virtual clock along, then
    // sets a virtual clock to now + duration. Under a real clock it runs for that long.
    void runFor(Nanos duration);
    // Runs until quit(). Under a virtual clock it also returns when nothing is left that could
    // ever run (no task and no external work). Answers the status given to quit(), else 0.
    // Exceptions thrown by tasks propagate out of run().
    int run();
    void quit(int status = 0);
    bool quitRequested() const;
    // The status given to the first quit(), else 0 (for an event loop that drives this queue).
    int exitStatus() const;

    // Monotonic time at which the next task is ready (now when a posted task waits), if any.
    std::optional<Nanos> nextReadyTime() const;
    size_t pendingCount() const;

    // Called (from the posting thread) after each post, so that a foreign event loop that drives
    // this queue can wake up. May be replaced while other threads post: once this returns, the
    // previous handler is neither running nor about to run.
    void setWakeHandler(std::function<void()> wake);

    // Marks work in progress on another thread that will post back (speech being synthesised,
    // mail being sent): a virtual clock does not jump past it while any is held.
    class ExternalWork {
      public:
        explicit ExternalWork(MainQueue& queue);
        ExternalWork(const ExternalWork&) = delete;
        ExternalWork& operator=(const ExternalWork&) = delete;
        ~ExternalWork();

      private:
        MainQueue& queue_;
    };

    // The queue of the running program (a documented process-wide singleton): installed by the
    // host or by a test for the life of an Installation.
    static MainQueue& current();
    static MainQueue* currentOrNull();
    class Installation {
      public:
        explicit Installation(MainQueue& queue);
        Installation(const Installation&) = delete;
        Installation& operator=(const Installation&) = delete;
        ~Installation();

      private:
        MainQueue* previous_;
    };

  private:
    struct Delayed {
        Nanos due;
        uint64_t sequence;
        Task task;
    };
    struct Later {
        bool operator()(const Delayed& a, const Delayed& b) const {
            return a.due != b.due ? a.due > b.due : a.sequence > b.sequence;
        }
    };

    using DelayedHeap = std::priority_queue<Delayed, std::vector<Delayed>, Later>;

    Nanos dueIn(Nanos delay) const;
    // The earliest due time of the delayed and the idle tasks, if any; under the lock.
    std::optional<Nanos> nextDue() const;
    std::optional<Task> takeReady(std::unique_lock<std::mutex>& lock);
    // Blocks (real clock) or jumps the virtual clock until a task is ready, `limit` passes or quit
    // is requested; answers false when a virtual queue can never make progress again.
    bool waitForWork(std::optional<Nanos> limit);
    void wake();

    Clock& clock_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Task> posted_;
    DelayedHeap delayed_;
    DelayedHeap idle_;
    uint64_t sequence_ = 0;
    int externalWork_ = 0;
    bool quit_ = false;
    int status_ = 0;
    // Held while the wake handler runs (recursive: a handler may post), apart from mutex_ so that
    // a handler never runs under the queue's lock.
    std::recursive_mutex wakeMutex_;
    std::function<void()> wakeHandler_;
};

}  // namespace zemtra
