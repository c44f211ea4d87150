// The main queue: a FIFO of posted tasks and a heap of delayed tasks under one mutex; tasks run
// outside the lock so that they may post freely.
#include "runtime/core/MainQueue.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>

namespace zemtra {

namespace {
std::atomic<MainQueue*> installedQueue{nullptr};
}

MainQueue::MainQueue(Clock& clock) : clock_(clock) {}

MainQueue::~MainQueue() = default;

void MainQueue::post(Task task) {
    {
        std::lock_guard lock(mutex_);
        ++sequence_;
        posted_.push_back(std::move(task));
    }
    wake();
}

MainQueue::Nanos MainQueue::dueIn(Nanos delay) const {
    const Nanos now = clock_.monotonicNow();
    const Nanos wait = std::max(delay, Nanos::zero());
    // A due time past the clock's range is never reached; it must not wrap round to the past.
    return wait > Nanos::max() - now ? Nanos::max() : now + wait;
}

void MainQueue::postDelayed(Nanos delay, Task task) {
    const Nanos due = dueIn(delay);
    {
        std::lock_guard lock(mutex_);
        delayed_.push(Delayed{due, ++sequence_, std::move(task)});
    }
    wake();
}

void MainQueue::postWhenIdle(Nanos delay, Task task) {
    const Nanos due = dueIn(delay);
    {
        std::lock_guard lock(mutex_);
        idle_.push(Delayed{due, ++sequence_, std::move(task)});
    }
    wake();
}

std::optional<MainQueue::Nanos> MainQueue::nextDue() const {
    std::optional<Nanos> due;
    if (!delayed_.empty()) due = delayed_.top().due;
    if (!idle_.empty() && (!due || idle_.top().due < *due)) due = idle_.top().due;
    return due;
}

void MainQueue::wake() {
    changed_.notify_all();
    std::lock_guard lock(wakeMutex_);
    if (wakeHandler_) wakeHandler_();
}

void MainQueue::setWakeHandler(std::function<void()> wake) {
    std::lock_guard lock(wakeMutex_);
    wakeHandler_ = std::move(wake);
}

std::optional<MainQueue::Task> MainQueue::takeReady(std::unique_lock<std::mutex>&) {
    if (!posted_.empty()) {
        Task task = std::move(posted_.front());
        posted_.pop_front();
        return task;
    }
    const Nanos now = clock_.monotonicNow();
    // priority_queue::top() is const; the element is popped right after, so moving is safe.
    for (DelayedHeap* heap : {&delayed_, &idle_}) {
        if (heap->empty() || heap->top().due > now) continue;
        Task task = std::move(const_cast<Delayed&>(heap->top()).task);
        heap->pop();
        return task;
    }
    return std::nullopt;
}

bool MainQueue::runOne() {
    std::optional<Task> task;
    {
        std::unique_lock lock(mutex_);
        task = takeReady(lock);
    }
    if (!task) return false;
    (*task)();
    return true;
}

size_t MainQueue::runUntilIdle() {
    size_t count = 0;
    while (!quitRequested() && runOne()) ++count;
    return count;
}

bool MainQueue::waitForWork(std::optional<Nanos> limit) {
    std::unique_lock lock(mutex_);
    if (!clock_.isVirtual()) {
        while (!quit_ && posted_.empty()) {
            const Nanos now = clock_.monotonicNow();
            const std::optional<Nanos> due = nextDue();
            if (due && *due <= now) return true;
            if (limit && *limit <= now) return false;
            std::optional<Nanos> wakeAt = limit;
            if (due) wakeAt = wakeAt ? std::min(*wakeAt, *due) : *due;
            if (wakeAt) {
                // Bounded: the standard library adds the wait to its own clock reading, which
                // overflows for a task due at the end of the clock's range; the loop waits again.
                changed_.wait_for(lock, std::min<Nanos>(*wakeAt - now, std::chrono::hours(1)));
            } else {
                changed_.wait(lock);
            }
        }
        return true;
    }
    auto& virtualClock = static_cast<VirtualClock&>(clock_);
    // Work on other threads will post back at the current virtual moment: wait for it in real time
    // before letting virtual time jump past it.
    changed_.wait(lock, [this] { return quit_ || !posted_.empty() || externalWork_ == 0; });
    if (quit_ || !posted_.empty()) return true;
    const std::optional<Nanos> due = nextDue();
    if (!due || (limit && *due > *limit)) {
        if (limit) virtualClock.advanceTo(*limit);
        return false;
    }
    virtualClock.advanceTo(*due);
    return true;
}

void MainQueue::runFor(Nanos duration) {
    const Nanos limit = clock_.monotonicNow() + std::max(duration, Nanos::zero());
    for (;;) {
        runUntilIdle();
        if (quitRequested()) return;
        if (!waitForWork(limit)) {
            // Tasks that became ready as the clock reached the limit still belong to this stretch.
            runUntilIdle();
            return;
        }
    }
}

int MainQueue::run() {
    for (;;) {
        runUntilIdle();
        if (quitRequested()) break;
        if (!waitForWork(std::nullopt)) break;
    }
    std::lock_guard lock(mutex_);
    return status_;
}

void MainQueue::quit(int status) {
    {
        std::lock_guard lock(mutex_);
        if (!quit_) status_ = status;
        quit_ = true;
    }
    wake();
}

bool MainQueue::quitRequested() const {
    std::lock_guard lock(mutex_);
    return quit_;
}

int MainQueue::exitStatus() const {
    std::lock_guard lock(mutex_);
    return status_;
}

std::optional<MainQueue::Nanos> MainQueue::nextReadyTime() const {
    std::lock_guard lock(mutex_);
    if (!posted_.empty()) return clock_.monotonicNow();
    return nextDue();
}

size_t MainQueue::pendingCount() const {
    std::lock_guard lock(mutex_);
    return posted_.size() + delayed_.size() + idle_.size();
}

MainQueue::ExternalWork::ExternalWork(MainQueue& queue) : queue_(queue) {
    std::lock_guard lock(queue_.mutex_);
    ++queue_.externalWork_;
}

MainQueue::ExternalWork::~ExternalWork() {
    {
        std::lock_guard lock(queue_.mutex_);
        --queue_.externalWork_;
    }
    queue_.wake();
}

MainQueue& MainQueue::current() {
    MainQueue* queue = installedQueue.load(std::memory_order_acquire);
    if (!queue)
        throw std::logic_error(
            "no main queue installed: create one and a MainQueue::Installation first");
    return *queue;
}

MainQueue* MainQueue::currentOrNull() {
    return installedQueue.load(std::memory_order_acquire);
}

MainQueue::Installation::Installation(MainQueue& queue)
    : previous_(installedQueue.exchange(&queue, std::memory_order_acq_rel)) {}

MainQueue::Installation::~Installation() {
    installedQueue.store(previous_, std::memory_order_release);
}

}  // namespace zemtra
