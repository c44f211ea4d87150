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
#pragma once

#include <optional>

namespace zemtra::platform {

enum class MotionKind { magnetometer, deviceMotion };

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

class MotionSource {
  public:
    virtual ~MotionSource() = default;

    virtual void start(MotionKind kind) = 0;
    virtual void stop(MotionKind kind) = 0;

    virtual std::optional<MagneticField> latestMagneticField() const = 0;
    virtual std::optional<DeviceMotion> latestDeviceMotion() const = 0;
};

}  // namespace zemtra::platform
