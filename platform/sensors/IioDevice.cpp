// Discovery of the IIO devices, conversion of their readings and what is said about them.
#include "platform/sensors/IioDevice.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "platform/Diagnostics.h"

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
// offset 0. An attribute file that holds no number is a failure.
Result<std::optional<IioDevice::Sensor>> findSensor(const fs::path& device,
                                                    const std::string& type) {
    IioDevice::Sensor sensor{.device = device, .axes = {}, .unreadable = std::nullopt};
    const char axisNames[] = {'x', 'y', 'z'};
    for (size_t axis = 0; axis < 3; ++axis) {
        const std::string prefix = "in_" + type + "_" + axisNames[axis] + "_";
        IioDevice::Channel& channel = sensor.axes[axis];
        channel.raw = device / (prefix + "raw");
        if (!fs::exists(channel.raw)) return std::optional<IioDevice::Sensor>();
        for (const auto& [attribute, target] :
             {std::pair{std::string("scale"), &channel.scale},
              std::pair{std::string("offset"), &channel.offset}}) {
            for (const fs::path& file :
                 {device / (prefix + attribute), device / ("in_" + type + "_" + attribute)}) {
                if (!fs::exists(file)) continue;
                const auto value = readNumber(file);
                if (!value) return fail("the IIO attribute " + file.string() + " holds no number");
                *target = *value;
                break;
            }
        }
    }
    return std::optional(std::move(sensor));
}

// One reading of the three axes in the channel's units, or the channel that cannot be read.
struct Reading {
    Vector values{};
    const fs::path* unreadable = nullptr;
};
Reading readAxes(const IioDevice::Sensor& sensor, double unit) {
    Reading reading;
    for (size_t axis = 0; axis < 3; ++axis) {
        const IioDevice::Channel& channel = sensor.axes[axis];
        const auto raw = readNumber(channel.raw);
        if (!raw) return {.values = {}, .unreadable = &channel.raw};
        reading.values[axis] = (*raw + channel.offset) * channel.scale * unit;
    }
    return reading;
}

// A reading at a poll, said once when a channel cannot be read and once when it can again.
std::optional<Vector> sample(IioDevice::Sensor& sensor, double unit) {
    const Reading reading = readAxes(sensor, unit);
    if (reading.unreadable) {
        if (sensor.unreadable != *reading.unreadable) {
            sensor.unreadable = *reading.unreadable;
            diagnostics::warning("cannot read the IIO channel " + reading.unreadable->string() +
                                 "; its samples are skipped until it can be read again");
        }
        return std::nullopt;
    }
    if (sensor.unreadable) {
        diagnostics::info("the IIO channel " + sensor.unreadable->string() + " can be read again");
        sensor.unreadable.reset();
    }
    return reading.values;
}

// What debugging a device needs to know: where each axis is read and how it is converted.
std::string describe(const IioDevice::Sensor& sensor) {
    std::ostringstream text;
    text << sensor.device.string() << ':';
    for (const IioDevice::Channel& channel : sensor.axes) {
        text << ' ' << channel.raw.filename().string() << " (scale " << channel.scale << ", offset "
             << channel.offset << ')';
    }
    return text.str();
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

Result<std::unique_ptr<IioDevice>> IioDevice::open(const fs::path& root) {
    std::error_code failure;
    const fs::path standard = root / "bus" / "iio" / "devices";
    fs::path folder = standard;
    if (!fs::is_directory(standard, failure)) {
        if (!holdsDevices(root)) {
            return fail("no IIO device found: the folder " + standard.string() + " does not exist");
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
        return fail("cannot list the IIO devices in " + folder.string() + ": " + failure.message(),
                    failure);
    }
    std::sort(devices.begin(), devices.end());

    std::optional<Sensor> accelerometer, magnetometer;
    for (const fs::path& device : devices) {
        for (const auto& [type, sensor] :
             {std::pair{"accel", &accelerometer}, std::pair{"magn", &magnetometer}}) {
            if (*sensor) continue;
            auto found = findSensor(device, type);
            if (!found) return found.failure();
            *sensor = std::move(*found);
        }
    }
    if (!accelerometer) {
        return fail("no IIO accelerometer found in " + folder.string() +
                    " (looked for iio:device*/in_accel_x_raw, _y_raw and _z_raw)");
    }
    for (const std::optional<Sensor>* sensor : {&accelerometer, &magnetometer}) {
        if (*sensor && readAxes(**sensor, 1).unreadable) {
            return fail("cannot read the IIO channels of " + (*sensor)->device.string());
        }
    }
    diagnostics::debug("IIO accelerometer " + describe(*accelerometer));
    diagnostics::debug(magnetometer ? "IIO magnetometer " + describe(*magnetometer)
                                    : "no IIO magnetometer in " + folder.string() +
                                          ": the magnetometer stays empty and yaw 0");
    return std::make_unique<IioDevice>(Key{}, std::move(*accelerometer), std::move(magnetometer));
}

IioDevice::IioDevice(Key, Sensor accelerometer, std::optional<Sensor> magnetometer)
    : accelerometer_(std::move(accelerometer)), magnetometer_(std::move(magnetometer)) {}

std::optional<MotionReading> IioDevice::read(const std::stop_token&) {
    const auto acceleration = sample(accelerometer_, 1 / kStandardGravity);
    std::optional<Vector> field;
    if (magnetometer_) {
        field = sample(*magnetometer_, kMicroteslaPerGauss);
        if (!field) return std::nullopt;
    }
    if (!acceleration) return std::nullopt;

    if (!gravity_) {
        gravity_ = acceleration;
    } else {
        for (size_t axis = 0; axis < 3; ++axis) {
            (*gravity_)[axis] += kGravityFilter * ((*acceleration)[axis] - (*gravity_)[axis]);
        }
    }
    const Vector& gravity = *gravity_;
    const Vector& a = *acceleration;
    MotionReading reading{
        .magneticField = std::nullopt,
        .deviceMotion = DeviceMotion{
            .userAcceleration = {a[0] - gravity[0], a[1] - gravity[1], a[2] - gravity[2]},
            .attitude = attitudeFrom(gravity, field)}};
    if (field) reading.magneticField = MagneticField{(*field)[0], (*field)[1], (*field)[2]};
    return reading;
}

}  // namespace zemtra::platform::sensors
