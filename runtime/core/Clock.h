// The clock behind the main queue and Now. Two implementations: RealClock (the machine's clocks)
// and VirtualClock (time moves only when the queue moves it or code busy-waits), so runs and tests
// under the virtual clock are deterministic for a given input.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace zemtra {

class Clock {
  public:
    using Nanos = std::chrono::nanoseconds;

    virtual ~Clock() = default;
    // Wall-clock time in ticks: milliseconds since 1970-01-01 00:00:00 UTC.
    virtual int64_t nowTicks() const = 0;
    // A monotonic reading for due times; never goes back.
    virtual Nanos monotonicNow() const = 0;
    // Blocks the calling thread for the duration (real), or moves time on by it (virtual).
    virtual void busyWait(std::chrono::milliseconds duration) = 0;
    virtual bool isVirtual() const = 0;
};

class RealClock final : public Clock {
  public:
    int64_t nowTicks() const override;
    Nanos monotonicNow() const override;
    void busyWait(std::chrono::milliseconds duration) override;
    bool isVirtual() const override { return false; }
};

// Starts at the given tick value; only advance() and busyWait() move it, never backwards.
class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(int64_t startTicks = 0) : startTicks_(startTicks) {}

    int64_t nowTicks() const override {
        return startTicks_ +
               std::chrono::duration_cast<std::chrono::milliseconds>(monotonicNow()).count();
    }
    Nanos monotonicNow() const override { return Nanos(elapsed_.load(std::memory_order_acquire)); }
    void busyWait(std::chrono::milliseconds duration) override { advanceBy(duration); }
    bool isVirtual() const override { return true; }

    // Called on the main thread only; other threads may read the clock.
    void advanceTo(Nanos monotonic) {
        if (monotonic > monotonicNow())
            elapsed_.store(monotonic.count(), std::memory_order_release);
    }
    void advanceBy(Nanos duration) {
        if (duration > Nanos::zero())
            elapsed_.fetch_add(duration.count(), std::memory_order_acq_rel);
    }

  private:
    int64_t startTicks_;
    std::atomic<int64_t> elapsed_{0};  // nanoseconds since start
};

}  // namespace zemtra
