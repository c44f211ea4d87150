// The health of a source whose samples come from a device (the polled IIO devices, and in time a
// phone or a serial board): when the latest new sample came, why the polls since gave none,
// whether the source is lost, and how many samples a second it delivers.
//
// Contract:
// - Times are the program's clock since start-up, given by the caller, so that a run under the
//   virtual clock judges exactly.
// - While updates run, the source is lost once kLostAfter has passed since the latest new sample
//   (or since updates began, before the first one), and found again with the next new sample. A
//   stopped source is not judged: it keeps the state it had.
// - The reason is the latest poll's failure while polls fail ("the accelerometer iio:device0 is
//   gone"), else the time without a sample ("no new sample for 3 s").
// - Each change between lost and found is said once (lost as a warning, found as information);
//   a new reason for polls that give nothing is said for debugging only.
// - Every operation may be called on any thread; each holds a lock only while it updates a few
//   fields, and says what it has to say after letting go.
#pragma once

#include <chrono>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

#include "platform/Diagnostics.h"
#include "platform/MotionSource.h"

namespace zemtra::platform::sensors {

class SourceHealth {
  public:
    using Time = std::chrono::nanoseconds;  // since start-up, on the program's clock

    // The rate counts the samples of this last stretch of time.
    static constexpr std::chrono::seconds kRateWindow{3};

    explicit SourceHealth(std::string description);

    // Whether any kind of update runs, from `now` on.
    void setRunning(bool running, Time now);
    void sampled(Time now);
    // A poll at `now` that gave no sample, and why in plain words.
    void failed(const std::string& reason, Time now);
    // Turns the source lost when its time has come.
    void judge(Time now);
    // Judges, then answers.
    MotionSourceStatus status(Time now);

  private:
    // What to say once the lock is let go.
    struct Change {
        Severity severity = Severity::debug;
        std::string text;
    };

    std::optional<Change> judgeLocked(Time now);
    std::string reasonLocked(Time now) const;
    Time silentSinceLocked() const;
    static void say(const std::optional<Change>& change);

    const std::string description_;
    std::mutex mutex_;
    bool running_ = false;
    Time runningSince_{};
    std::optional<Time> lastSample_;
    std::optional<std::string> failure_;  // of the polls since the latest sample
    bool lost_ = false;
    uint64_t changes_ = 0;
    std::deque<Time> recentSamples_;  // within kRateWindow of the latest
};

}  // namespace zemtra::platform::sensors
