// The serial port in raw mode through termios, the splitting of what arrives into lines, their
// parsing, and the reopening of a port that went away.
#include "platform/sensors/SerialDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/Diagnostics.h"

namespace zemtra::platform::sensors {

namespace {

constexpr std::array<std::pair<int, speed_t>, 30> kRates = {{
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
}};

constexpr std::array<std::string_view, 6> kColumns = {"mx", "my", "mz", "ax", "ay", "az"};
// How much of a skipped line the log shows.
constexpr size_t kShownLength = 80;

std::optional<speed_t> speedOf(int baud) {
    for (const auto& [rate, speed] : kRates) {
        if (rate == baud) return speed;
    }
    return std::nullopt;
}

std::string rateList() {
    std::string list;
    for (const auto& [rate, speed] : kRates) {
        if (!list.empty()) list += ", ";
        list += std::to_string(rate);
    }
    return list;
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The line as the log shows it: control bytes as "?", and no longer than kShownLength.
std::string shown(std::string_view text) {
    std::string result;
    for (const char c : text.substr(0, kShownLength)) {
        const auto byte = static_cast<unsigned char>(c);
        result.push_back(byte < 0x20 || byte == 0x7f ? '?' : c);
    }
    if (text.size() > kShownLength) result += "…";
    return result;
}

// A number in C decimal form, infinities and NaN included for the caller to judge.
std::optional<double> number(std::string_view text) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') {
        ++begin;
        if (begin != end && (*begin == '+' || *begin == '-')) return std::nullopt;
    }
    double value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::general);
    if (begin == end || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

void closeQuietly(int descriptor) {
    if (descriptor >= 0) ::close(descriptor);
}

// The port's descriptor, non-blocking and set to raw mode at the speed, or why not.
Result<int> openPort(const std::string& device, speed_t speed) {
    const int descriptor = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        const int error = errno;
        const std::error_code code(error, std::generic_category());
        if (error == ENOENT) return fail("the serial port " + device + " does not exist", code);
        std::string reason = "cannot open the serial port " + device + ": " + std::strerror(error);
        if (error == EACCES) reason += " (serial ports usually belong to the group dialout)";
        return fail(reason, code);
    }
    termios settings{};
    if (::tcgetattr(descriptor, &settings) != 0) {
        const int error = errno;
        closeQuietly(descriptor);
        const std::error_code code(error, std::generic_category());
        if (error == ENOTTY) return fail(device + " is not a serial port", code);
        return fail("cannot set up the serial port " + device + ": " + std::strerror(error), code);
    }
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, speed);
    ::cfsetospeed(&settings, speed);
    settings.c_cflag |= CLOCAL | CREAD;
    // Reads answer what has arrived at once; poll() does the waiting.
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (::tcsetattr(descriptor, TCSANOW, &settings) != 0) {
        const int error = errno;
        closeQuietly(descriptor);
        return fail("cannot set up the serial port " + device + ": " + std::strerror(error),
                    std::error_code(error, std::generic_category()));
    }
    // What the driver kept from before is older than the board's present state.
    ::tcflush(descriptor, TCIFLUSH);
    return descriptor;
}

int milliseconds(std::chrono::nanoseconds time) {
    return static_cast<int>(
        std::clamp<int64_t>(std::chrono::ceil<std::chrono::milliseconds>(time).count(), 0,
                            std::chrono::milliseconds(SerialDevice::kLineWait).count()));
}

}  // namespace

struct SerialDevice::Line {
    std::array<double, 6> values{};
    bool magnetometer = true;
};

Result<SerialDevice::Port> SerialDevice::parsePort(const std::string& text) {
    Port port{.device = text, .baud = kDefaultBaud};
    const auto colon = text.rfind(':');
    if (colon != std::string::npos) {
        const std::string_view rate = std::string_view(text).substr(colon + 1);
        const bool digits = !rate.empty() && std::all_of(rate.begin(), rate.end(), [](char c) {
            return c >= '0' && c <= '9';
        });
        if (digits) {
            port.device = text.substr(0, colon);
            const auto [end, error] =
                std::from_chars(rate.data(), rate.data() + rate.size(), port.baud);
            if (error != std::errc() || !speedOf(port.baud)) {
                return fail(std::string(rate) +
                            " is not a baud rate a serial port can be set to; the rates are " +
                            rateList());
            }
        }
    }
    if (port.device.empty()) return fail("no serial port given (serial:DEVICE[:BAUD])");
    return port;
}

Result<std::unique_ptr<SerialDevice>> SerialDevice::open(const Port& port, SensorClock clock) {
    const auto speed = speedOf(port.baud);
    if (!speed) {
        return fail(std::to_string(port.baud) +
                    " is not a baud rate a serial port can be set to; the rates are " + rateList());
    }
    auto descriptor = openPort(port.device, *speed);
    if (!descriptor) return descriptor.failure();
    const int wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake < 0) {
        const int error = errno;
        closeQuietly(*descriptor);
        return fail(std::string("cannot make an event descriptor: ") + std::strerror(error),
                    std::error_code(error, std::generic_category()));
    }
    diagnostics::debug("serial port " + port.device + " opened at " + std::to_string(port.baud) +
                       " baud");
    return std::make_unique<SerialDevice>(Key{}, port, std::move(clock), *descriptor, wake);
}

SerialDevice::SerialDevice(Key, Port port, SensorClock clock, int descriptor, int wake)
    : port_(std::move(port)), clock_(std::move(clock)), descriptor_(descriptor), wake_(wake) {}

SerialDevice::~SerialDevice() {
    closeQuietly(descriptor_);
    closeQuietly(wake_);
}

std::string SerialDevice::description() const {
    return "Serial " + port_.device + " " + std::to_string(port_.baud);
}

Result<MotionReading> SerialDevice::read(const std::stop_token& stop) {
    if (descriptor_ < 0 && !reopen()) {
        // Not yet time to look: wait a little here, so that a source polling without a pause
        // does not spin.
        const auto untilReopen = nextOpen_ - clock_.sinceStartup();
        pollfd wake{.fd = wake_, .events = POLLIN, .revents = 0};
        const std::stop_callback wakeUp(stop, [this] {
            const uint64_t one = 1;
            [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof one);
        });
        ::poll(&wake, 1, std::max(1, milliseconds(untilReopen)));
        uint64_t count = 0;
        [[maybe_unused]] const auto cleared = ::read(wake_, &count, sizeof count);
        return fail("the serial port " + port_.device + " is gone");
    }

    const std::stop_callback wakeUp(stop, [this] {
        const uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof one);
    });
    const uint64_t skippedBefore = skipped_.load();
    const auto deadline = std::chrono::steady_clock::now() + kLineWait;
    std::optional<Line> newest;
    for (;;) {
        if (drain(newest) == Drained::gone) return gone();
        if (newest) break;
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::nanoseconds::zero()) break;
        std::array<pollfd, 2> waits{{{.fd = descriptor_, .events = POLLIN, .revents = 0},
                                     {.fd = wake_, .events = POLLIN, .revents = 0}}};
        if (::poll(waits.data(), waits.size(), std::max(1, milliseconds(left))) < 0 &&
            errno != EINTR) {
            return fail("cannot wait for the serial port " + port_.device + ": " +
                        std::strerror(errno));
        }
        if (waits[1].revents != 0) {
            uint64_t count = 0;
            [[maybe_unused]] const auto cleared = ::read(wake_, &count, sizeof count);
            return fail("the reading of the serial port " + port_.device + " was stopped");
        }
        // A hang-up: the board was unplugged, or the other end of the line closed it.
        if ((waits[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return gone();
    }

    if (!newest) {
        if (skipped_.load() != skippedBefore) {
            return fail("the serial port " + port_.device +
                        " sends lines that are not mx,my,mz,ax,ay,az");
        }
        return fail("no line from the serial port " + port_.device + " in " +
                    std::to_string(kLineWait.count()) + " ms");
    }
    const auto& v = newest->values;
    if (!std::all_of(v.begin(), v.end(), [](double value) { return std::isfinite(value); })) {
        return fail("the serial port " + port_.device + " sends numbers that are not finite",
                    kNotFinite);
    }
    MotionReading reading{
        .magneticField = std::nullopt,
        .deviceMotion = DeviceMotion{.userAcceleration = {v[3], v[4], v[5]}, .attitude = {}}};
    if (newest->magnetometer) reading.magneticField = MagneticField{v[0], v[1], v[2]};
    return reading;
}

SerialDevice::Drained SerialDevice::drain(std::optional<Line>& newest) {
    std::array<char, 1024> buffer{};
    for (;;) {
        const ssize_t count = ::read(descriptor_, buffer.data(), buffer.size());
        if (count < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) return Drained::open;
            return Drained::gone;
        }
        // In raw mode without a minimum, no bytes means nothing more has arrived; a hang-up
        // shows in poll().
        if (count == 0) return Drained::open;
        for (const char c : std::string_view(buffer.data(), static_cast<size_t>(count))) {
            if (c == '\n') {
                if (!discarding_) {
                    lineEnded(pending_, newest);
                } else if (overLong_) {
                    skip(pending_);
                }
                discarding_ = overLong_ = false;
                pending_.clear();
                continue;
            }
            if (discarding_) continue;
            pending_.push_back(c);
            if (pending_.size() > kMaxLine) {
                // The rest up to the line's end is junk; what the log shows is kept.
                discarding_ = overLong_ = true;
                pending_.resize(kShownLength + 1);
            }
        }
    }
}

void SerialDevice::lineEnded(std::string_view text, std::optional<Line>& newest) {
    const std::string_view line = trimmed(text);
    if (line.empty()) return;
    std::array<std::string_view, 6> fields;
    size_t count = 0;
    size_t begin = 0;
    for (;;) {
        const size_t comma = line.find(',', begin);
        if (count == fields.size()) return skip(text);
        fields[count++] = trimmed(line.substr(begin, comma - begin));
        if (comma == std::string_view::npos) break;
        begin = comma + 1;
    }
    if (count != fields.size()) return skip(text);
    const bool header = std::equal(
        fields.begin(), fields.end(), kColumns.begin(),
        [](std::string_view field, std::string_view column) {
            return field.size() == column.size() &&
                   std::equal(field.begin(), field.end(), column.begin(), [](char a, char b) {
                       return std::tolower(static_cast<unsigned char>(a)) == b;
                   });
        });
    if (header) return;
    Line parsed;
    parsed.magnetometer = !(fields[0].empty() && fields[1].empty() && fields[2].empty());
    for (size_t i = parsed.magnetometer ? 0 : 3; i < fields.size(); ++i) {
        const auto value = number(fields[i]);
        if (!value) return skip(text);
        parsed.values[i] = *value;
    }
    newest = parsed;
}

void SerialDevice::skip(std::string_view text) {
    const uint64_t count = ++skipped_;
    const auto now = clock_.sinceStartup();
    if (lastReport_ && now - *lastReport_ < kReportPeriod) return;
    lastReport_ = now;
    diagnostics::warning("skipped a line from the serial port " + port_.device +
                         " that is not mx,my,mz,ax,ay,az: '" + shown(trimmed(text)) + "' (" +
                         std::to_string(count) + (count == 1 ? " line" : " lines") +
                         " skipped so far)");
}

Result<MotionReading> SerialDevice::gone() {
    closeQuietly(descriptor_);
    descriptor_ = -1;
    pending_.clear();
    nextOpen_ = clock_.sinceStartup() + kReopenPeriod;
    diagnostics::debug("the serial port " + port_.device + " is gone; it is looked for once a " +
                       std::to_string(kReopenPeriod.count()) + " s");
    return fail("the serial port " + port_.device + " is gone");
}

bool SerialDevice::reopen() {
    const auto now = clock_.sinceStartup();
    if (now < nextOpen_) return false;
    nextOpen_ = now + kReopenPeriod;
    auto opened = openPort(port_.device, *speedOf(port_.baud));
    if (!opened) return false;
    descriptor_ = *opened;
    discarding_ = true;
    overLong_ = false;
    pending_.clear();
    diagnostics::debug("the serial port " + port_.device + " is back");
    return true;
}

}  // namespace zemtra::platform::sensors
