// The simulated stream: a seeded hash gives each sample its noise, slow sinusoids give the drift,
// and the magnetic field is the Earth's field turned into the device's axes by the attitude.
#include "platform/sensors/SimulatedMotionSource.h"

#include <array>
#include <cmath>
#include <numbers>

namespace zemtra::platform::sensors {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

uint64_t mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Seeded noise and constants, each a pure function of (seed, sample number, stream).
class Noise {
  public:
    Noise(uint64_t seed, int64_t index) : seed_(seed), index_(index) {}

    // Uniform in (0, 1].
    double uniform(uint64_t stream) const {
        const uint64_t bits = mix(mix(mix(seed_) + static_cast<uint64_t>(index_)) + stream);
        return static_cast<double>((bits >> 11) + 1) * 0x1.0p-53;
    }
    // Standard normal (Box-Muller).
    double gaussian(uint64_t stream) const {
        return std::sqrt(-2 * std::log(uniform(2 * stream))) *
               std::cos(kTwoPi * uniform(2 * stream + 1));
    }

  private:
    uint64_t seed_;
    int64_t index_;
};

// Constants of one seed: the place on Earth and the phases of the drift.
double parameter(uint64_t seed, uint64_t which) {
    return Noise(seed, -1).uniform(1000 + which);
}

// A slow sinusoid of the given period (seconds), with a phase of the seed's own.
double drift(uint64_t seed, double seconds, double period, uint64_t which) {
    return std::sin(kTwoPi * (seconds / period + parameter(seed, which)));
}

double seconds(int64_t index) {
    return static_cast<double>(index) *
           std::chrono::duration<double>(SimulatedMotionSource::kPeriod).count();
}

double wrapAngle(double angle) {
    return std::remainder(angle, kTwoPi);
}

// The attitude without its sensor noise: the device lies nearly flat and turns a little.
Attitude trueAttitude(uint64_t seed, double t) {
    const double heading = kTwoPi * parameter(seed, 0) - std::numbers::pi;
    return Attitude{
        .yaw = wrapAngle(heading + 0.08 * drift(seed, t, 353, 10) + 0.03 * drift(seed, t, 97, 11)),
        .pitch = 0.03 * drift(seed, t, 151, 12) + 0.005 * drift(seed, t, 7.3, 13),
        .roll = 0.025 * drift(seed, t, 173, 14) + 0.004 * drift(seed, t, 5.9, 15),
    };
}

using Vector = std::array<double, 3>;

// World (east, north, up) to device axes for a device turned by the attitude (yaw about up,
// then pitch about the device's x, then roll about its y).
Vector worldToDevice(const Vector& world, const Attitude& attitude) {
    const double cy = std::cos(attitude.yaw), sy = std::sin(attitude.yaw);
    const double cp = std::cos(attitude.pitch), sp = std::sin(attitude.pitch);
    const double cr = std::cos(attitude.roll), sr = std::sin(attitude.roll);
    // Undo yaw, then pitch, then roll.
    const Vector a{cy * world[0] + sy * world[1], -sy * world[0] + cy * world[1], world[2]};
    const Vector b{a[0], cp * a[1] + sp * a[2], -sp * a[1] + cp * a[2]};
    return Vector{cr * b[0] - sr * b[2], b[1], sr * b[0] + cr * b[2]};
}

}  // namespace

MagneticField SimulatedMotionSource::magneticFieldAt(uint64_t seed, int64_t index) {
    const double t = seconds(index);
    const Noise noise(seed, index);
    // Horizontal 17 to 29 µT towards magnetic north, 30 to 55 µT downwards: the range of
    // mid latitudes.
    const double horizontal = 17 + 12 * parameter(seed, 1);
    const double down = 30 + 25 * parameter(seed, 2);
    const Vector field = worldToDevice({0, horizontal, -down}, trueAttitude(seed, t));
    // Hard-iron offsets that drift with temperature, and the sensor's noise.
    constexpr double kOffset = 0.6, kNoise = 0.4;
    return MagneticField{
        .x = field[0] + kOffset * drift(seed, t, 233, 20) + kNoise * noise.gaussian(0),
        .y = field[1] + kOffset * drift(seed, t, 311, 21) + kNoise * noise.gaussian(1),
        .z = field[2] + kOffset * drift(seed, t, 197, 22) + kNoise * noise.gaussian(2),
    };
}

DeviceMotion SimulatedMotionSource::deviceMotionAt(uint64_t seed, int64_t index) {
    const double t = seconds(index);
    const Noise noise(seed, index);
    constexpr double kAccelerationNoise = 0.004, kBias = 0.0005, kAttitudeNoise = 0.0015;
    const Attitude attitude = trueAttitude(seed, t);
    return DeviceMotion{
        .userAcceleration =
            {
                .x = kBias * drift(seed, t, 61, 30) + kAccelerationNoise * noise.gaussian(3),
                .y = kBias * drift(seed, t, 67, 31) + kAccelerationNoise * noise.gaussian(4),
                .z = kBias * drift(seed, t, 71, 32) + kAccelerationNoise * noise.gaussian(5),
            },
        .attitude =
            {
                .yaw = wrapAngle(attitude.yaw + kAttitudeNoise * noise.gaussian(6)),
                .pitch = attitude.pitch + kAttitudeNoise * noise.gaussian(7),
                .roll = attitude.roll + kAttitudeNoise * noise.gaussian(8),
            },
    };
}

SimulatedMotionSource::SimulatedMotionSource(uint64_t seed, SensorClock clock)
    : seed_(seed), clock_(std::move(clock)) {}

int64_t SimulatedMotionSource::indexNow() const {
    const auto elapsed = clock_.sinceStartup();
    if (elapsed.count() < 0) return 0;
    return elapsed / std::chrono::nanoseconds(kPeriod);
}

void SimulatedMotionSource::start(MotionKind kind) {
    if (!updates_.running(kind)) streams_[kind].firstIndex.store(indexNow() + 1);
    updates_.start(kind);
}

void SimulatedMotionSource::stop(MotionKind kind) {
    // The sample of the moment of the stop is kept as the latest.
    if (updates_.lastStart(kind)) streams_[kind].keptIndex.store(latestIndex(kind));
    updates_.stop(kind);
}

int64_t SimulatedMotionSource::latestIndex(MotionKind kind) const {
    const Stream& stream = streams_[kind];
    if (updates_.running(kind)) {
        const int64_t index = indexNow();
        if (index >= stream.firstIndex.load()) return index;
    }
    return stream.keptIndex.load();
}

std::optional<MagneticField> SimulatedMotionSource::latestMagneticField() const {
    const int64_t index = latestIndex(MotionKind::magnetometer);
    if (index == kNone) return std::nullopt;
    return magneticFieldAt(seed_, index);
}

std::optional<DeviceMotion> SimulatedMotionSource::latestDeviceMotion() const {
    const int64_t index = latestIndex(MotionKind::deviceMotion);
    if (index == kNone) return std::nullopt;
    return deviceMotionAt(seed_, index);
}

MotionSourceStatus SimulatedMotionSource::status() const {
    MotionSourceStatus status;
    status.description = "Simulated sensors";
    status.simulated = true;
    if (updates_.anyRunning()) status.samplesPerSecond = std::chrono::seconds(1) / kPeriod;
    return status;
}

}  // namespace zemtra::platform::sensors
