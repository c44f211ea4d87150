// The one result type of operations that can fail across a back end's boundary: a value, or a
// Failure that says why in words a user can act on ("no IIO device found: the folder /sys/bus/iio
// does not exist"). Back ends return it instead of throwing; the runtime's own errors stay
// exceptions.
//
// A Failure may also carry the system's error code (ENOSPC, ECONNREFUSED, …) so that a caller can
// tell kinds of failure apart without parsing the text.
#pragma once

#include <cassert>
#include <string>
#include <system_error>
#include <utility>
#include <variant>

namespace zemtra::platform {

struct Failure {
    std::string reason;
    std::error_code code{};
};

inline Failure fail(std::string reason, std::error_code code = {}) {
    return Failure{std::move(reason), code};
}

template <class T>
class [[nodiscard]] Result {
  public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // The value; only when ok().
    T& value() & { return checkedValue(); }
    const T& value() const& { return const_cast<Result*>(this)->checkedValue(); }
    T&& value() && { return std::move(checkedValue()); }
    T* operator->() { return &checkedValue(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return checkedValue(); }
    const T& operator*() const& { return value(); }

    // The failure; only when !ok().
    const Failure& failure() const {
        assert(!ok() && "Result::failure() of a result that holds a value");
        return std::get<1>(state_);
    }
    const std::string& error() const { return failure().reason; }

  private:
    T& checkedValue() {
        assert(ok() && "Result::value() of a failed result");
        return std::get<0>(state_);
    }

    std::variant<T, Failure> state_;
};

// For operations that answer nothing but success.
template <>
class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Failure failure) : failure_(std::move(failure)), ok_(false) {}

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const Failure& failure() const {
        assert(!ok_ && "Result::failure() of a successful result");
        return failure_;
    }
    const std::string& error() const { return failure().reason; }

  private:
    Failure failure_;
    bool ok_ = true;
};

}  // namespace zemtra::platform
