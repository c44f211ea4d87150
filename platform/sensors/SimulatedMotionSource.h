// A simulated motion sensor: the Earth's magnetic field with sensor noise and slow drift, user
// acceleration as small noise around 0 g, and an attitude that wanders slowly, at 50 samples a
// second.
//
// The stream is a pure function of the seed and the sample number (sample n is taken n × 20 ms
// after start-up), so a seed always gives the same stream. Under the real clock a thread of its
// own delivers the samples as their time comes; under the virtual clock a read derives the
// latest sample from the program's clock, so a run repeats exactly. Either way the first sample
// after a start is the one due after the moment of the start, and a stop keeps the last one.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/MotionSource.h"
#include "platform/sensors/SensorClock.h"
#include "platform/sensors/UpdateSwitch.h"

namespace zemtra::platform::sensors {

class SimulatedMotionSource final : public MotionSource {
  public:
    static constexpr std::chrono::milliseconds kPeriod{20};
    static constexpr uint64_t kDefaultSeed = 1;

    SimulatedMotionSource(uint64_t seed, SensorClock clock);
    SimulatedMotionSource(const SimulatedMotionSource&) = delete;
    SimulatedMotionSource& operator=(const SimulatedMotionSource&) = delete;
    ~SimulatedMotionSource() override;

    void start(MotionKind kind) override;
    void stop(MotionKind kind) override;
    std::optional<MagneticField> latestMagneticField() const override;
    std::optional<DeviceMotion> latestDeviceMotion() const override;

    // Sample number `index` of the stream of `seed`.
    static MagneticField magneticFieldAt(uint64_t seed, int64_t index);
    static DeviceMotion deviceMotionAt(uint64_t seed, int64_t index);

  private:
    static constexpr int64_t kNone = -1;

    struct Channel {
        UpdateSwitch updates;
        std::atomic<int64_t> firstIndex{0};  // the first sample due after the latest start
        // The latest sample delivered (kNone: none yet); under the virtual clock only the one
        // kept from before the latest start or from the stop.
        std::atomic<int64_t> deliveredIndex{kNone};
    };

    Channel& channel(MotionKind kind);
    const Channel& channel(MotionKind kind) const;
    int64_t indexNow() const;
    // The number of the latest sample of the channel, or kNone.
    int64_t latestIndex(const Channel& channel) const;
    void deliverLoop();

    const uint64_t seed_;
    const SensorClock clock_;
    Channel magnetometer_;
    Channel deviceMotion_;

    // The delivering thread (real clock only), started with the first start.
    std::mutex mutex_;
    std::condition_variable changed_;
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace zemtra::platform::sensors
