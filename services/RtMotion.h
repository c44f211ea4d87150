// The motion sensors as the application module reads them: the latest magnetometer triple, user
// acceleration and attitude of the process's motion source, pull-style, as arrays of Doubles in
// the source's units (µT, g, radians). No filtering, no scaling, no events.
//
// RtMotion wraps a MotionManager, one user of the motion source registered in the runtime scope.
// A manager answers nothing for a kind of update it has never started, even when another user
// keeps the source running; a manager that goes away stops what it started. Operations called
// before Initialize act on no manager: starts and stops do nothing, GetMagnetometer answers the
// empty array and the others three zeros. Main thread only; reads never block.
//
// Status answers how the source is doing, for the main screen and the log, as a new map:
//   "Description"       String   what the source is: "Simulated sensors", "IIO accel_3d + magn_3d"
//   "Simulated"         Boolean  the samples come from a random generator
//   "Lost"              Boolean  no new sample for 2 s while updates run
//   "Reason"            String   why it is lost ("the accelerometer iio:device0 is gone"), or ""
//   "SamplesPerSecond"  Double   new samples a second over the last few seconds
//   "Changes"           Long     how often it was lost or found again so far
// It is the source's, whoever started it; before Initialize it describes no source ("", never
// lost).
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "platform/MotionSource.h"
#include "runtime/core/RtObjectWrapper.h"

namespace zemtra {

class RtArray;
class RtMap;

class MotionManager final : public Object {
  public:
    static constexpr StringView kClassName = u"MotionManager";
    explicit MotionManager(std::shared_ptr<platform::MotionSource> source);
    ~MotionManager() override;
    String className() const override { return String(kClassName); }

    void start(platform::MotionKind kind);
    void stop(platform::MotionKind kind);
    // The source's latest sample, or nothing before this manager first started the kind.
    std::optional<platform::MagneticField> magneticField() const;
    std::optional<platform::DeviceMotion> deviceMotion() const;
    platform::MotionSourceStatus status() const { return source_->status(); }

  private:
    std::shared_ptr<platform::MotionSource> source_;
    // This manager's own starts: at most one at a time per kind, as the source counts each.
    platform::MotionUpdates updates_;
};

class RtMotion final : public RtObjectWrapper {
  public:
    static constexpr StringView kClassName = u"RtMotion";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override { return &classInfoOf<MotionManager>(); }
    const MethodTable* methods() const override;

    // A new manager over the registered motion source (raises "ServiceError" when none is
    // registered); a manager wrapped before is dropped.
    void Initialize();
    void Start();
    void Stop();
    void StartMagnetometer();
    void StopMagnetometer();
    // x, y, z in µT, or the empty array when there is no sample.
    std::shared_ptr<RtArray> GetMagnetometer() const;
    // x, y, z in g, gravity excluded; zeros when there is no sample.
    std::shared_ptr<RtArray> GetUserAcceleration() const;
    // yaw, pitch, roll in radians; zeros when there is no sample.
    std::shared_ptr<RtArray> GetAttitude() const;
    std::shared_ptr<RtMap> Status() const;

  private:
    MotionManager* manager() const;
    // Three numbers of the latest device-motion sample, or three zeros without one.
    std::shared_ptr<RtArray> deviceMotionTriple(
        const std::function<std::array<double, 3>(const platform::DeviceMotion&)>& pick) const;
};

}  // namespace zemtra
