// Motion samples replayed from a CSV file, timed by the program's clock (so a run under the
// virtual clock replays exactly).
//
// A session journal's samples.csv (header "t_ms,time,mx,my,mz,ax,ay,az,…") is read as well: each
// row's readings are served from its time on, its t_ms being epoch milliseconds on the program's
// clock (SensorClock::startupEpochMs places them); a torn last row is left out, and the attitude,
// which the journal does not keep, reads 0.
//
// The file starts with the header "t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll" and holds one sample
// per line: the time in milliseconds since start-up, the magnetic field (µT), the user
// acceleration (g) and the attitude (radians). Numbers take any C decimal form; mx, my and mz
// are empty together where the magnetometer has no sample. Times never go back; of rows with the
// same time the last one counts. Blank lines are skipped, and a line may end in CR LF.
//
// A read answers the latest row whose time is not after the current time (nothing before the
// first row); the last row stays in force after the end of the file. While a kind is stopped its
// reads answer the row of the moment it stopped, and nothing before it was first started. It is
// never lost, not even after its last row: its status says "Replay <file name>", with the rows a
// second of the last few seconds.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/MotionSource.h"
#include "platform/Result.h"
#include "platform/sensors/SensorClock.h"

namespace zemtra::platform::sensors {

struct ReplayRow {
    double timeMs = 0;
    std::optional<MagneticField> magneticField;
    DeviceMotion motion;
};

// The rows of a replay file, or the first problem as "NAME:LINE: what is wrong".
// A journal's rows are placed `journalOriginMs` (epoch milliseconds of start-up) before their
// times.
Result<std::vector<ReplayRow>> parseReplay(std::istream& in, const std::string& name,
                                           int64_t journalOriginMs = 0);

class ReplayMotionSource final : public MotionSource {
  public:
    // `name` is the file's name, for the status.
    ReplayMotionSource(std::vector<ReplayRow> rows, SensorClock clock,
                       std::string name = "recording");

    static Result<std::unique_ptr<ReplayMotionSource>> load(const std::filesystem::path& file,
                                                            SensorClock clock);

    void start(MotionKind kind) override;
    void stop(MotionKind kind) override;
    std::optional<MagneticField> latestMagneticField() const override;
    std::optional<DeviceMotion> latestDeviceMotion() const override;
    MotionSourceStatus status() const override;

    // The rows a second count over this last stretch of time.
    static constexpr std::chrono::seconds kRateWindow{3};

  private:
    std::vector<ReplayRow>::const_iterator firstAfter(double timeMs) const;
    // The row in force for the kind now, or nullptr.
    const ReplayRow* rowFor(MotionKind kind) const;

    const std::vector<ReplayRow> rows_;
    const SensorClock clock_;
    const std::string name_;
    MotionUpdates updates_;
    PerMotionKind<std::atomic<int64_t>> stoppedAt_;  // nanoseconds since start-up
};

}  // namespace zemtra::platform::sensors
