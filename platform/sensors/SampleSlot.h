// The latest sample of a kind, written by one thread and read by any without blocking: a sequence
// lock over atomic doubles. A reader retries only while a write of a few numbers is under way,
// and never sees half of one sample and half of another.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace zemtra::platform::sensors {

template <size_t N>
class SampleSlot {
  public:
    using Values = std::array<double, N>;

    // One writer at a time.
    void publish(const Values& values) {
        const uint64_t sequence = sequence_.load(std::memory_order_relaxed);
        sequence_.store(sequence + 1, std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_release);
        for (size_t i = 0; i < N; ++i) values_[i].store(values[i], std::memory_order_relaxed);
        sequence_.store(sequence + 2, std::memory_order_release);
    }

    // Nothing until the first publish.
    std::optional<Values> read() const {
        for (;;) {
            const uint64_t before = sequence_.load(std::memory_order_acquire);
            if (before == 0) return std::nullopt;
            if (before % 2 != 0) continue;
            Values values;
            for (size_t i = 0; i < N; ++i) values[i] = values_[i].load(std::memory_order_relaxed);
            std::atomic_thread_fence(std::memory_order_acquire);
            if (sequence_.load(std::memory_order_relaxed) == before) return values;
        }
    }

  private:
    std::atomic<uint64_t> sequence_{0};  // odd while a write is under way; 0: never written
    std::array<std::atomic<double>, N> values_{};
};

}  // namespace zemtra::platform::sensors
