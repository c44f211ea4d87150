// The search of sysfs and /dev, and the text of `--sensors list`.
#include "platform/sensors/SensorDiscovery.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <system_error>

#include "platform/sensors/MotionSourceFactory.h"

namespace zemtra::platform::sensors {

namespace fs = std::filesystem;

namespace {

// The entries of a folder, sorted; none when it cannot be listed.
std::vector<fs::path> entries(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        found.push_back(entry->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
    return line;
}

// "in_accel_x_raw" → accel with x; "in_voltage0_raw" → voltage with 0; "in_temp_input" → temp.
std::vector<std::string> channelsOf(const fs::path& device) {
    std::map<std::string, std::set<std::string>> kinds;
    for (const fs::path& path : entries(device)) {
        std::string name = path.filename().string();
        if (!name.starts_with("in_")) continue;
        for (const std::string_view suffix : {"_raw", "_input"}) {
            if (!name.ends_with(suffix) || name.size() <= 3 + suffix.size()) continue;
            std::string channel = name.substr(3, name.size() - 3 - suffix.size());
            const auto underscore = channel.find('_');
            std::string kind = channel.substr(0, underscore);
            std::string detail =
                underscore == std::string::npos ? std::string() : channel.substr(underscore + 1);
            const auto digits = kind.find_last_not_of("0123456789");
            if (digits != std::string::npos && digits + 1 < kind.size()) {
                if (detail.empty()) detail = kind.substr(digits + 1);
                kind.erase(digits + 1);
            }
            std::set<std::string>& details = kinds[kind];
            if (!detail.empty()) details.insert(detail);
            break;
        }
    }
    std::vector<std::string> channels;
    for (const auto& [kind, details] : kinds) {
        std::string text = kind;
        const char* separator = " ";
        for (const std::string& detail : details) {
            text += separator + detail;
            separator = ", ";
        }
        channels.push_back(text);
    }
    return channels;
}

}  // namespace

SensorFindings findSensors(const fs::path& sysfsRoot, const fs::path& devices) {
    SensorFindings findings;
    const fs::path iio = sysfsRoot / "bus" / "iio" / "devices";
    findings.iioFolder = iio.string();
    for (const fs::path& device : entries(iio)) {
        if (!device.filename().string().starts_with("iio:device")) continue;
        findings.iio.push_back({.folder = device.filename().string(),
                                .name = firstLine(device / "name"),
                                .channels = channelsOf(device)});
    }
    for (const fs::path& port : entries(devices)) {
        const std::string name = port.filename().string();
        if (name.starts_with("ttyACM") || name.starts_with("ttyUSB"))
            findings.serialPorts.push_back(port.string());
    }
    for (const fs::path& link : entries(devices / "serial" / "by-id")) {
        std::error_code error;
        const fs::path target = fs::read_symlink(link, error);
        findings.serialPorts.push_back(
            error ? link.string()
                  : link.string() + " -> " +
                        (link.parent_path() / target).lexically_normal().string());
    }
    const SensorClock clock{[] { return std::chrono::nanoseconds::zero(); }, false};
    const auto automatic = createMotionSource("auto", clock, sysfsRoot);
    findings.automatic = automatic ? (*automatic)->status().description : automatic.error();
    return findings;
}

std::string sensorListing(const SensorFindings& findings) {
    std::string text = "IIO devices (" + findings.iioFolder + "):\n";
    if (findings.iio.empty()) text += "  none\n";
    for (const IioFinding& device : findings.iio) {
        text += "  " + device.folder;
        if (!device.name.empty()) text += " (" + device.name + ")";
        text += ":";
        if (device.channels.empty()) text += " no input channels";
        const char* separator = " ";
        for (const std::string& channel : device.channels) {
            text += separator + channel;
            separator = "; ";
        }
        text += "\n";
    }
    text += "  --sensors iio reads an accelerometer and a magnetometer among them\n";
    text += "Serial ports that look like a board's:\n";
    if (findings.serialPorts.empty()) text += "  none\n";
    for (const std::string& port : findings.serialPorts) text += "  " + port + "\n";
    text +=
        "  --sensors serial:DEVICE[:BAUD] reads lines mx,my,mz,ax,ay,az from one (see the "
        "README)\n";
    text += "A phone:\n";
    text +=
        "  --sensors phone:http://HOST:PORT reads a phone running phyphox with remote access "
        "on (see the README)\n";
    text += "--sensors auto (the default) takes: " + findings.automatic + "\n";
    return text;
}

}  // namespace zemtra::platform::sensors
