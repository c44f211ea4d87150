// A task for the main queue that may own what it captures (a promise, a unique_ptr, a buffer
// handed over by a back-end thread): a type-erased, move-only callable run at most once, where
// std::function would require the capture to be copyable.
#pragma once

#include <concepts>
#include <memory>
#include <type_traits>
#include <utility>

namespace zemtra {

class MoveOnlyTask {
  public:
    MoveOnlyTask() = default;
    template <class F>
    requires(!std::same_as<std::remove_cvref_t<F>, MoveOnlyTask> &&
             std::invocable<std::remove_cvref_t<F>&>)
        MoveOnlyTask(F&& callable)  // NOLINT: implicit, so that a lambda can be posted as it is
        : callable_(std::make_unique<Holder<std::remove_cvref_t<F>>>(std::forward<F>(callable))) {}

    MoveOnlyTask(MoveOnlyTask&&) noexcept = default;
    MoveOnlyTask& operator=(MoveOnlyTask&&) noexcept = default;
    MoveOnlyTask(const MoveOnlyTask&) = delete;
    MoveOnlyTask& operator=(const MoveOnlyTask&) = delete;

    explicit operator bool() const { return callable_ != nullptr; }
    // Runs the callable; calling an empty task is a programmer's error.
    void operator()() { callable_->run(); }

  private:
    struct Callable {
        virtual ~Callable() = default;
        virtual void run() = 0;
    };
    template <class F>
    struct Holder final : Callable {
        template <class G>
        explicit Holder(G&& callable) : callable(std::forward<G>(callable)) {}
        void run() override { callable(); }
        F callable;
    };

    std::unique_ptr<Callable> callable_;
};

}  // namespace zemtra
