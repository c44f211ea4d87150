// Discovery of the IIO devices, conversion of their readings and the polling thread.
#include "platform/sensors/IioMotionSource.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace zemtra::platform::sensors {

namespace fs = std::filesystem;

namespace {

using Vector = std::array<double, 3>;

// The number in a sysfs attribute file (white space around it allowed).
std::optional<double> readNumber(const fs::path& file) {
    std::ifstream in(file);
    if (!in) return std::nullopt;
    std::string text;
    std::getline(in, text);
    const auto first = text.find_first_not_of(" \t\r\n");
    const auto last = text.find_last_not_of(" \t\r\n");
    if (first == std::string::npos) return std::nullopt;
    double value = 0;
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+') ++begin;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

// The sensor of this channel type ("accel", "magn") in the device folder, if it has all three
// axes. A per-axis scale or offset wins over the shared one; a missing scale is 1, a missing
// offset 0. Answers an error text for an attribute file that holds no number.
std::optional<IioMotionSource::Sensor> findSensor(const fs::path& device, const std::string& type,
                                                  std::string& error) {
    IioMotionSource::Sensor sensor{.device = device, .axes = {}};
    const char axisNames[] = {'x', 'y', 'z'};
    for (size_t axis = 0; axis < 3; ++axis) {
        const std::string prefix = "in_" + type + "_" + axisNames[axis] + "_";
        IioMotionSource::Channel& channel = sensor.axes[axis];
        channel.raw = device / (prefix + "raw");
        if (!fs::exists(channel.raw)) return std::nullopt;
        for (const auto& [attribute, target] :
             {std::pair{std::string("scale"), &channel.scale},
              std::pair{std::string("offset"), &channel.offset}}) {
            for (const fs::path& file :
                 {device / (prefix + attribute), device / ("in_" + type + "_" + attribute)}) {
                if (!fs::exists(file)) continue;
                const auto value = readNumber(file);
                if (!value) {
                    error = "the IIO attribute " + file.string() + " holds no number";
                    return std::nullopt;
                }
                *target = *value;
                break;
            }
        }
    }
    return sensor;
}

// One reading of the three axes in the channel's units, or nothing when one is unreadable.
std::optional<Vector> read(const IioMotionSource::Sensor& sensor, double unit) {
    Vector values{};
    for (size_t axis = 0; axis < 3; ++axis) {
        const IioMotionSource::Channel& channel = sensor.axes[axis];
        const auto raw = readNumber(channel.raw);
        if (!raw) return std::nullopt;
        values[axis] = (*raw + channel.offset) * channel.scale * unit;
    }
    return values;
}

Vector cross(const Vector& a, const Vector& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double length(const Vector& v) {
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

// Pitch and roll from the direction of gravity (what the accelerometer reads at rest points up,
// out of the ground), yaw from the magnetic field's horizontal part: the angle from magnetic
// north to the device's y axis, counter-clockwise seen from above.
Attitude attitudeFrom(const Vector& up, const std::optional<Vector>& field) {
    if (length(up) == 0) return {};
    Attitude attitude{
        .yaw = 0,
        .pitch = std::atan2(up[1], std::hypot(up[0], up[2])),
        .roll = std::atan2(-up[0], up[2]),
    };
    if (field) {
        const Vector east = cross(*field, up);
        const Vector north = cross(up, east);
        if (length(east) > 0 && length(north) > 0) attitude.yaw = -std::atan2(east[1], north[1]);
    }
    return attitude;
}

bool holdsDevices(const fs::path& folder) {
    std::error_code failure;
    for (const auto& entry : fs::directory_iterator(folder, failure)) {
        if (entry.path().filename().string().starts_with("iio:device")) return true;
    }
    return false;
}

}  // namespace

IioMotionSource::OpenResult IioMotionSource::open(const fs::path& root, Polling polling) {
    std::error_code failure;
    const fs::path standard = root / "bus" / "iio" / "devices";
    fs::path folder = standard;
    if (!fs::is_directory(standard, failure)) {
        if (!holdsDevices(root)) {
            return {nullptr,
                    "no IIO device found: the folder " + standard.string() + " does not exist"};
        }
        folder = root;
    }
    std::vector<fs::path> devices;
    for (const auto& entry : fs::directory_iterator(folder, failure)) {
        const std::string name = entry.path().filename().string();
        std::error_code ignored;
        if (name.starts_with("iio:device") && entry.is_directory(ignored)) {
            devices.push_back(entry.path());
        }
    }
    if (failure) {
        return {nullptr,
                "cannot list the IIO devices in " + folder.string() + ": " + failure.message()};
    }
    std::sort(devices.begin(), devices.end());

    std::optional<Sensor> accelerometer, magnetometer;
    std::string error;
    for (const fs::path& device : devices) {
        if (!accelerometer) accelerometer = findSensor(device, "accel", error);
        if (!magnetometer) magnetometer = findSensor(device, "magn", error);
        if (!error.empty()) return {nullptr, error};
    }
    if (!accelerometer) {
        return {nullptr, "no IIO accelerometer found in " + folder.string() +
                             " (looked for iio:device*/in_accel_x_raw, _y_raw and _z_raw)"};
    }
    for (const std::optional<Sensor>* sensor : {&accelerometer, &magnetometer}) {
        if (*sensor && !read(**sensor, 1)) {
            return {nullptr, "cannot read the IIO channels of " + (*sensor)->device.string()};
        }
    }
    return {std::make_unique<IioMotionSource>(Key{}, std::move(*accelerometer),
                                              std::move(magnetometer), polling),
            ""};
}

IioMotionSource::IioMotionSource(Key, Sensor accelerometer, std::optional<Sensor> magnetometer,
                                 Polling polling)
    : accelerometer_(std::move(accelerometer)),
      magnetometer_(std::move(magnetometer)),
      polling_(polling) {}

IioMotionSource::~IioMotionSource() {
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void IioMotionSource::start(MotionKind kind) {
    UpdateSwitch& updates =
        kind == MotionKind::magnetometer ? magnetometerUpdates_ : deviceMotionUpdates_;
    if (!updates.start() || polling_ == Polling::manual) return;
    {
        const std::lock_guard lock(mutex_);
        if (!thread_.joinable()) thread_ = std::thread([this] { pollLoop(); });
    }
    changed_.notify_all();
}

void IioMotionSource::stop(MotionKind kind) {
    (kind == MotionKind::magnetometer ? magnetometerUpdates_ : deviceMotionUpdates_).stop();
}

std::optional<MagneticField> IioMotionSource::latestMagneticField() const {
    const auto values = latestField_.read();
    if (!values) return std::nullopt;
    return MagneticField{(*values)[0], (*values)[1], (*values)[2]};
}

std::optional<DeviceMotion> IioMotionSource::latestDeviceMotion() const {
    const auto values = latestMotion_.read();
    if (!values) return std::nullopt;
    const auto& v = *values;
    return DeviceMotion{.userAcceleration = {v[0], v[1], v[2]}, .attitude = {v[3], v[4], v[5]}};
}

bool IioMotionSource::poll() {
    const auto acceleration = read(accelerometer_, 1 / kStandardGravity);
    std::optional<Vector> field;
    if (magnetometer_) {
        field = read(*magnetometer_, kMicroteslaPerGauss);
        if (!field) return false;
    }
    if (!acceleration) return false;

    if (!gravity_) {
        gravity_ = acceleration;
    } else {
        for (size_t axis = 0; axis < 3; ++axis) {
            (*gravity_)[axis] += kGravityFilter * ((*acceleration)[axis] - (*gravity_)[axis]);
        }
    }
    if (field && magnetometerUpdates_.running()) latestField_.publish(*field);
    if (deviceMotionUpdates_.running()) {
        const Vector& gravity = *gravity_;
        const Attitude attitude = attitudeFrom(gravity, field);
        latestMotion_.publish({(*acceleration)[0] - gravity[0], (*acceleration)[1] - gravity[1],
                               (*acceleration)[2] - gravity[2], attitude.yaw, attitude.pitch,
                               attitude.roll});
    }
    return true;
}

void IioMotionSource::pollLoop() {
    std::unique_lock lock(mutex_);
    auto next = std::chrono::steady_clock::now();
    while (!quit_) {
        if (!magnetometerUpdates_.running() && !deviceMotionUpdates_.running()) {
            changed_.wait(lock);
            next = std::chrono::steady_clock::now();
            continue;
        }
        lock.unlock();
        poll();
        lock.lock();
        next += kPeriod;
        // After a stall (a slow sysfs read, a suspended machine) go on from now instead of
        // catching up with a burst.
        const auto now = std::chrono::steady_clock::now();
        if (next < now) next = now + kPeriod;
        changed_.wait_until(lock, next);
    }
}

}  // namespace zemtra::platform::sensors
