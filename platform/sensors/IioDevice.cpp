// Discovery of the IIO devices, conversion of their readings, and the search for a device that
// went away.
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

// The first line of a sysfs attribute file without the white space around it; nothing when the
// file cannot be read.
std::optional<std::string> readText(const fs::path& file) {
    std::ifstream in(file);
    std::string text;
    if (!in || !std::getline(in, text)) return std::nullopt;
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The number in a sysfs attribute file; infinities and NaN included, for the caller to judge.
std::optional<double> readNumber(const fs::path& file) {
    const auto text = readText(file);
    if (!text || text->empty()) return std::nullopt;
    const char* begin = text->data();
    const char* end = begin + text->size();
    if (*begin == '+') ++begin;
    double value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

std::string number(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// The kind of file at the path (not_found when there is none), or why the system cannot tell
// (a loop of symbolic links, a folder without permission).
Result<fs::file_type> examine(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error && status.type() != fs::file_type::not_found) {
        return fail("cannot examine " + path.string() + ": " + error.message(), error);
    }
    return status.type();
}

// The iio:device* folders in `folder`, sorted, and the first entry that could not be examined.
struct Listing {
    std::vector<fs::path> devices;
    std::optional<Failure> problem;
    bool unlisted = false;  // the folder itself could not be listed
};
Listing listDevices(const fs::path& folder) {
    Listing listing;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const fs::path& path = entry->path();
        if (!path.filename().string().starts_with("iio:device")) continue;
        auto kind = examine(path);
        if (!kind && !listing.problem) listing.problem = kind.failure();
        if (kind && *kind == fs::file_type::directory) listing.devices.push_back(path);
    }
    if (error && !listing.problem) {
        listing.problem = fail("cannot list " + folder.string() + ": " + error.message(), error);
        listing.unlisted = listing.devices.empty();
    }
    std::sort(listing.devices.begin(), listing.devices.end());
    return listing;
}

// The sensor of this channel type ("accel", "magn") in the device folder, if it has all three
// axes. A per-axis scale or offset wins over the shared one; a missing scale is 1, a missing
// offset 0. An attribute file that holds no finite number is a failure.
Result<std::optional<IioDevice::Sensor>> findSensor(const fs::path& device, const std::string& type,
                                                    const std::string& role) {
    IioDevice::Sensor sensor;
    sensor.role = role;
    sensor.type = type;
    sensor.device = device;
    if (const auto name = readText(device / "name"); name && !name->empty()) {
        sensor.name = *name;
        sensor.named = true;
    } else {
        sensor.name = device.filename().string();
    }
    const char axisNames[] = {'x', 'y', 'z'};
    for (size_t axis = 0; axis < 3; ++axis) {
        const std::string prefix = "in_" + type + "_" + axisNames[axis] + "_";
        IioDevice::Channel& channel = sensor.axes[axis];
        channel.raw = device / (prefix + "raw");
        const auto raw = examine(channel.raw);
        if (!raw) return raw.failure();
        if (*raw == fs::file_type::not_found) return std::optional<IioDevice::Sensor>();
        for (const auto& [attribute, target] :
             {std::pair{std::string("scale"), &channel.scale},
              std::pair{std::string("offset"), &channel.offset}}) {
            for (const fs::path& file :
                 {device / (prefix + attribute), device / ("in_" + type + "_" + attribute)}) {
                const auto kind = examine(file);
                if (!kind) return kind.failure();
                if (*kind == fs::file_type::not_found) continue;
                const auto value = readNumber(file);
                if (!value) return fail("the IIO attribute " + file.string() + " holds no number");
                if (!std::isfinite(*value)) {
                    return fail("the IIO attribute " + file.string() +
                                " holds a number that is not finite (" + number(*value) + ")");
                }
                *target = *value;
                break;
            }
        }
    }
    return std::optional(std::move(sensor));
}

// One reading of the three axes in the given unit, without looking for a device that is gone.
Result<Vector> readAxes(const IioDevice::Sensor& sensor, double unit) {
    Vector values{};
    for (size_t axis = 0; axis < 3; ++axis) {
        const IioDevice::Channel& channel = sensor.axes[axis];
        const auto raw = readNumber(channel.raw);
        if (!raw)
            return fail("cannot read the " + sensor.role + "'s channel " + channel.raw.string());
        values[axis] = (*raw + channel.offset) * channel.scale * unit;
        if (!std::isfinite(values[axis])) {
            return fail("the " + sensor.role + " " + sensor.device.filename().string() +
                            " reads a number that is not finite (" +
                            channel.raw.filename().string() + " " + number(*raw) + " with scale " +
                            number(channel.scale) + ")",
                        kNotFinite);
        }
    }
    return values;
}

// Whether the sensor's device folder still holds the device it was found as.
bool present(const IioDevice::Sensor& sensor) {
    const auto kind = examine(sensor.device);
    if (!kind || *kind != fs::file_type::directory) return false;
    return !sensor.named || readText(sensor.device / "name") == sensor.name;
}

// What debugging a device needs to know: where each axis is read and how it is converted.
std::string describe(const IioDevice::Sensor& sensor) {
    std::ostringstream text;
    text << sensor.device.string() << " (" << sensor.name << "):";
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

}  // namespace

Result<std::unique_ptr<IioDevice>> IioDevice::open(const fs::path& root, SensorClock clock) {
    const fs::path standard = root / "bus" / "iio" / "devices";
    const auto standardKind = examine(standard);
    if (!standardKind) return standardKind.failure();
    fs::path folder = standard;
    Listing listing;
    if (*standardKind == fs::file_type::directory) {
        listing = listDevices(standard);
    } else {
        // A folder that holds the devices itself, as /sys/bus/iio/devices does.
        listing = listDevices(root);
        if (listing.devices.empty() && (!listing.problem || listing.unlisted)) {
            if (*standardKind == fs::file_type::not_found) {
                return fail("no IIO device found: the folder " + standard.string() +
                            " does not exist");
            }
            return fail("no IIO device found: " + standard.string() + " is not a folder");
        }
        folder = root;
    }
    if (listing.problem) return *listing.problem;

    std::optional<Sensor> accelerometer, magnetometer;
    for (const fs::path& device : listing.devices) {
        for (const auto& [type, role, sensor] :
             {std::tuple{"accel", "accelerometer", &accelerometer},
              std::tuple{"magn", "magnetometer", &magnetometer}}) {
            if (*sensor) continue;
            auto found = findSensor(device, type, role);
            if (!found) return found.failure();
            *sensor = std::move(*found);
        }
    }
    if (!accelerometer) {
        return fail("no IIO accelerometer found in " + folder.string() +
                    " (looked for iio:device*/in_accel_x_raw, _y_raw and _z_raw)");
    }
    for (const std::optional<Sensor>* sensor : {&accelerometer, &magnetometer}) {
        if (!*sensor) continue;
        // A value that is not finite is a broken reading, not a broken tree: the source says so
        // and counts it as no sample.
        const auto reading = readAxes(**sensor, 1);
        if (!reading && reading.failure().code != kNotFinite) return reading.failure();
    }
    diagnostics::debug("IIO accelerometer " + describe(*accelerometer));
    diagnostics::debug(magnetometer ? "IIO magnetometer " + describe(*magnetometer)
                                    : "no IIO magnetometer in " + folder.string() +
                                          ": the magnetometer stays empty and yaw 0");
    return std::make_unique<IioDevice>(Key{}, folder, std::move(*accelerometer),
                                       std::move(magnetometer), std::move(clock));
}

IioDevice::IioDevice(Key, fs::path folder, Sensor accelerometer, std::optional<Sensor> magnetometer,
                     SensorClock clock)
    : folder_(std::move(folder)),
      clock_(std::move(clock)),
      accelerometer_(std::move(accelerometer)),
      magnetometer_(std::move(magnetometer)) {}

std::string IioDevice::description() const {
    if (!magnetometer_) return "IIO " + accelerometer_.name + ", no magnetometer";
    if (magnetometer_->device == accelerometer_.device) return "IIO " + accelerometer_.name;
    return "IIO " + accelerometer_.name + " + " + magnetometer_->name;
}

Result<MotionReading> IioDevice::read(const std::stop_token&) {
    const auto acceleration = sample(accelerometer_, 1 / kStandardGravity);
    if (!acceleration) return acceleration.failure();
    std::optional<Vector> field;
    if (magnetometer_) {
        auto measured = sample(*magnetometer_, kMicroteslaPerGauss);
        if (!measured) return measured.failure();
        field = *measured;
    }

    if (!gravity_) {
        gravity_ = *acceleration;
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

Result<IioDevice::Vector> IioDevice::sample(Sensor& sensor, double unit) {
    auto reading = readAxes(sensor, unit);
    if (reading || reading.failure().code == kNotFinite || present(sensor)) return reading;
    const std::string gone =
        "the " + sensor.role + " " + sensor.device.filename().string() + " is gone";
    if (!search(sensor)) return fail(gone);
    return readAxes(sensor, unit);
}

bool IioDevice::search(Sensor& sensor) {
    const auto now = clock_.sinceStartup();
    if (now < sensor.nextSearch) return false;
    sensor.nextSearch = now + kSearchPeriod;
    // Entries that cannot be examined are passed over: another may be the one.
    for (const fs::path& device : listDevices(folder_).devices) {
        if (sensor.named ? readText(device / "name") != sensor.name
                         : device.filename() != sensor.device.filename()) {
            continue;
        }
        auto found = findSensor(device, sensor.type, sensor.role);
        if (!found || !*found) continue;
        diagnostics::debug("the IIO " + sensor.role + " " + sensor.name + " is back as " +
                           describe(**found));
        sensor = std::move(**found);
        // Where the device lies now is not where it lay before.
        if (&sensor == &accelerometer_) gravity_.reset();
        return true;
    }
    return false;
}

}  // namespace zemtra::platform::sensors
