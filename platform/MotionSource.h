// The platform's motion sensors: a source of magnetometer triples and of device-motion samples
// (user acceleration and attitude), started and stopped per kind and read pull-style.
//
// Contract:
// - start() and stop() are called on the main thread and are counted per kind: updates of a kind
//   run while it has had more starts than stops, so independent users do not switch each other
//   off. A stop without a matching start does nothing.
// - The latest*() reads may be called on any thread, never block, and answer a complete sample
//   (never a mix of two). They answer nothing before the kind has delivered its first sample
//   (and, for the magnetometer, on a device without one). Once updates stop, the last sample
//   delivered stays the latest.
// - Units: magnetic field in microtesla; user acceleration in g with gravity removed; attitude in
//   radians. Axes are the device's own: x to the right of the screen, y to its top, z out of it.
// - status() may be called on any thread at any time and never waits for a device. A source is
//   lost when, while a kind of update runs, it has delivered no new sample for kLostAfter on the
//   program's clock: a device of it is gone or silent, or reads numbers that are not finite (a
//   sample needs every device of the source, so that no kind goes stale behind a live one). The
//   latest samples then stay as they were. It is found again with the next new sample. Each
//   change is said once through the diagnostics channel. Sources that derive their samples from
//   the clock (simulated, replayed) are never lost.
//
// MotionUpdates is that counting, kept once for every source and for the users that track what
// they started.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace zemtra::platform {

enum class MotionKind { magnetometer, deviceMotion };
inline constexpr std::array<MotionKind, 2> kMotionKinds = {MotionKind::magnetometer,
                                                           MotionKind::deviceMotion};

// One T for each kind of update.
template <class T>
class PerMotionKind {
  public:
    T& operator[](MotionKind kind) { return values_[static_cast<size_t>(kind)]; }
    const T& operator[](MotionKind kind) const { return values_[static_cast<size_t>(kind)]; }

  private:
    std::array<T, kMotionKinds.size()> values_{};
};

struct MagneticField {
    double x = 0, y = 0, z = 0;  // microtesla
};

struct Acceleration {
    double x = 0, y = 0, z = 0;  // g, gravity removed
};

// Yaw turns about z (counter-clockwise seen from above the screen), pitch about x, roll about y.
struct Attitude {
    double yaw = 0, pitch = 0, roll = 0;  // radians
};

struct DeviceMotion {
    Acceleration userAcceleration;
    Attitude attitude;
};

inline constexpr std::chrono::seconds kLostAfter{2};

// How a source is doing, in the words of the main screen's line about it ("IIO accel_3d +
// magn_3d · 50 samples/s", "Sensors lost: the accelerometer iio:device0 is gone").
struct MotionSourceStatus {
    // What the source is: "Simulated sensors", "Replay walk.csv", "IIO accel_3d + magn_3d".
    std::string description;
    // The samples come from a random generator, not from anything that moves.
    bool simulated = false;
    bool lost = false;
    // Why it is lost, in plain words ("no new sample for 3 s"); empty while it is not.
    std::string reason;
    // New samples per second over the last few seconds; 0 while no kind runs.
    double samplesPerSecond = 0;
    // How often it was lost or found again so far: a reader that kept the count it saw last knows
    // whether something changed, even a loss and a recovery between two looks.
    uint64_t changes = 0;
};

class MotionSource {
  public:
    virtual ~MotionSource() = default;

    virtual void start(MotionKind kind) = 0;
    virtual void stop(MotionKind kind) = 0;

    virtual std::optional<MagneticField> latestMagneticField() const = 0;
    virtual std::optional<DeviceMotion> latestDeviceMotion() const = 0;

    virtual MotionSourceStatus status() const = 0;
};

// Counted starts and stops per kind: a kind runs while it has had more starts than stops.
// start(), stop() and lastStart() are for the main thread; the other questions may be asked on
// any thread (a source's own thread asks what to deliver).
class MotionUpdates {
  public:
    // True when updates of the kind begin with this start.
    bool start(MotionKind kind) {
        Count& count = counts_[kind];
        count.everStarted.store(true, std::memory_order_release);
        if (count.starts++ > 0) return false;
        count.running.store(true, std::memory_order_release);
        return true;
    }
    // True when updates of the kind end with this stop; a stop without a start does nothing.
    bool stop(MotionKind kind) {
        Count& count = counts_[kind];
        if (count.starts == 0 || --count.starts > 0) return false;
        count.running.store(false, std::memory_order_release);
        return true;
    }
    // Whether the next stop of the kind ends its updates.
    bool lastStart(MotionKind kind) const { return counts_[kind].starts == 1; }

    bool running(MotionKind kind) const {
        return counts_[kind].running.load(std::memory_order_acquire);
    }
    bool anyRunning() const {
        return running(MotionKind::magnetometer) || running(MotionKind::deviceMotion);
    }
    bool everStarted(MotionKind kind) const {
        return counts_[kind].everStarted.load(std::memory_order_acquire);
    }

  private:
    struct Count {
        int starts = 0;
        std::atomic<bool> running{false};
        std::atomic<bool> everStarted{false};
    };
    PerMotionKind<Count> counts_;
};

}  // namespace zemtra::platform
