// The motion source over a device that is read by asking it (a MotionDevice): it asks at a fixed
// period while any kind of update runs, and keeps the latest reading of each running kind. Reads
// never block and never answer half of one reading and half of another; a reading that failed or
// held numbers that are not finite counts as no sample and leaves the latest sample as it was,
// and a stopped kind keeps its last.
//
// Its health (MotionSourceStatus) is judged on the program's clock at every poll and every
// status(): lost after kLostAfter without a new sample, with the device's reason, and found
// again with the next one (see SourceHealth).
//
// How it asks:
// - Polling::ownThread, under the real clock: on a thread of its own (SensorWorker).
// - Polling::whenRead, under the virtual clock: no thread; a read or status() polls once when a
//   period of program time has passed since the poll before (never a burst catching up), so a
//   run under the virtual clock is judged exactly as its time passes, whatever the real time.
// - Polling::manual: the caller polls (tests drive a device step by step so).
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/MotionSource.h"
#include "platform/sensors/MotionDevice.h"
#include "platform/sensors/SampleSlot.h"
#include "platform/sensors/SensorClock.h"
#include "platform/sensors/SensorWorker.h"
#include "platform/sensors/SourceHealth.h"

namespace zemtra::platform::sensors {

class PolledMotionSource final : public MotionSource {
  public:
    enum class Polling { ownThread, whenRead, manual };

    PolledMotionSource(std::unique_ptr<MotionDevice> device, std::chrono::nanoseconds period,
                       SensorClock clock, Polling polling);

    void start(MotionKind kind) override;
    void stop(MotionKind kind) override;
    std::optional<MagneticField> latestMagneticField() const override;
    std::optional<DeviceMotion> latestDeviceMotion() const override;
    MotionSourceStatus status() const override;

    // Reads the device once, keeps the reading of each kind that runs and judges the source's
    // health; answers whether there was a new sample. Called by one thread at a time: the own
    // thread, a reader under Polling::whenRead, or the caller under Polling::manual.
    bool poll(const std::stop_token& stop = {});

  private:
    // Under Polling::whenRead: the poll that is due now, if any and if no other reader is
    // polling (that one's reading is as good).
    void pollIfDue() const;

    const std::unique_ptr<MotionDevice> device_;
    const std::chrono::nanoseconds period_;
    const SensorClock clock_;
    const Polling polling_;
    MotionUpdates updates_;
    SampleSlot<3> latestField_;   // x, y, z
    SampleSlot<6> latestMotion_;  // acceleration x, y, z, yaw, pitch, roll
    // Judged on reads too, and safe on any thread.
    mutable SourceHealth health_;
    bool notFiniteSaid_ = false;  // by the polling thread

    mutable std::mutex pollIfDue_;
    mutable std::optional<std::chrono::nanoseconds> nextPoll_;  // under pollIfDue_

    std::optional<SensorWorker> worker_;  // last: it ends before what it polls
};

}  // namespace zemtra::platform::sensors
