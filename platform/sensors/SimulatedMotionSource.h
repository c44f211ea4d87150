// A simulated motion sensor: the Earth's magnetic field with sensor noise and slow drift, user
// acceleration as small noise around 0 g, and an attitude that wanders slowly, at 50 samples a
// second.
//
// The stream is a pure function of the seed and the sample number (sample n is taken n × 20 ms
// after start-up), so a seed always gives the same stream. A read derives the latest sample from
// the program's clock, real or virtual, so no thread is needed and a run under the virtual clock
// repeats exactly. The first sample after a start is the one due after the moment of the start,
// and a stop keeps the last one. It is never lost: its status says "Simulated sensors".
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>

#include "platform/MotionSource.h"
#include "platform/sensors/SensorClock.h"

namespace zemtra::platform::sensors {

class SimulatedMotionSource final : public MotionSource {
  public:
    // The spacing of the stream: sample n is due n periods after start-up.
    static constexpr std::chrono::milliseconds kPeriod{20};
    static constexpr uint64_t kDefaultSeed = 1;

    SimulatedMotionSource(uint64_t seed, SensorClock clock);

    void start(MotionKind kind) override;
    void stop(MotionKind kind) override;
    std::optional<MagneticField> latestMagneticField() const override;
    std::optional<DeviceMotion> latestDeviceMotion() const override;
    MotionSourceStatus status() const override;

    // Sample number `index` of the stream of `seed`.
    static MagneticField magneticFieldAt(uint64_t seed, int64_t index);
    static DeviceMotion deviceMotionAt(uint64_t seed, int64_t index);

  private:
    static constexpr int64_t kNone = -1;

    // Where the stream of a kind stands.
    struct Stream {
        std::atomic<int64_t> firstIndex{0};  // the first sample due after the latest start
        // The sample kept from the latest stop (kNone: none yet).
        std::atomic<int64_t> keptIndex{kNone};
    };

    int64_t indexNow() const;
    // The number of the latest sample of the kind, or kNone.
    int64_t latestIndex(MotionKind kind) const;

    const uint64_t seed_;
    const SensorClock clock_;
    MotionUpdates updates_;
    PerMotionKind<Stream> streams_;
};

}  // namespace zemtra::platform::sensors
