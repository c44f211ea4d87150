// Parsing of replay files and the lookup of the row in force.
#include "platform/sensors/ReplayMotionSource.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <system_error>
#include <variant>

namespace zemtra::platform::sensors {

namespace {

constexpr const char* kHeader = "t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll";
// A session journal's samples start with these columns.
constexpr std::string_view kJournalColumns = "t_ms,time,mx,my,mz,ax,ay,az,";
constexpr std::array<const char*, 8> kJournalFieldNames = {"t_ms", "time", "mx", "my",
                                                           "mz",   "ax",   "ay", "az"};
constexpr std::array<const char*, 10> kFieldNames = {"t_ms", "mx", "my",  "mz",    "ax",
                                                     "ay",   "az", "yaw", "pitch", "roll"};

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t begin = 0;
    for (;;) {
        const size_t comma = line.find(',', begin);
        fields.push_back(trimmed(std::string_view(line).substr(begin, comma - begin)));
        if (comma == std::string::npos) return fields;
        begin = comma + 1;
    }
}

// A finite number in C decimal form ("12", "-0.5", ".5", "+1e-3"); hexadecimal, infinities and
// NaN are refused.
std::optional<double> decimal(const std::string& text) {
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    // from_chars takes no plus sign of its own; a sign after the plus is not C.
    if (begin != end && *begin == '+') {
        ++begin;
        if (begin != end && (*begin == '+' || *begin == '-')) return std::nullopt;
    }
    double value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::general);
    if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

// The readings of a journal row (its first eight fields), its time in epoch milliseconds; the
// journal keeps no attitude.
std::variant<ReplayRow, std::string> journalRow(const std::vector<std::string>& fields) {
    if (fields.size() < kJournalFieldNames.size()) {
        return "expected at least 8 fields, got " + std::to_string(fields.size());
    }
    std::array<double, 8> values{};
    const bool noMagnetometer = fields[2].empty() && fields[3].empty() && fields[4].empty();
    for (size_t i = 0; i < kJournalFieldNames.size(); ++i) {
        if (i == 1 || (noMagnetometer && i >= 2 && i <= 4)) continue;
        const auto value = decimal(fields[i]);
        if (!value) {
            return std::string(kJournalFieldNames[i]) + " is not a number: '" + fields[i] + "'";
        }
        values[i] = *value;
    }
    ReplayRow row{
        .timeMs = values[0],
        .magneticField = std::nullopt,
        .motion = {.userAcceleration = {values[5], values[6], values[7]}, .attitude = {}}};
    if (!noMagnetometer) row.magneticField = MagneticField{values[2], values[3], values[4]};
    return row;
}

}  // namespace

Result<std::vector<ReplayRow>> parseReplay(std::istream& in, const std::string& name,
                                           int64_t journalOriginMs) {
    std::vector<ReplayRow> rows;
    const auto problemAt = [&](size_t line, const std::string& problem) {
        return platform::fail(name + ":" + std::to_string(line) + ": " + problem);
    };

    std::string line;
    size_t number = 0;
    bool headerSeen = false;
    bool journal = false;
    std::string previousTime;
    while (std::getline(in, line)) {
        ++number;
        // A journal's last line without its line end is the row being written when it ended.
        if (journal && in.eof()) break;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (trimmed(line).empty()) continue;
        if (!headerSeen && trimmed(line).starts_with(kJournalColumns)) {
            headerSeen = journal = true;
            continue;
        }
        if (!headerSeen) {
            if (trimmed(line) != kHeader) {
                return problemAt(
                    number, std::string("expected the header ") + kHeader + ", got '" + line + "'");
            }
            headerSeen = true;
            continue;
        }
        const std::vector<std::string> fields = splitFields(line);
        if (journal) {
            auto row = journalRow(fields);
            if (const auto* problem = std::get_if<std::string>(&row))
                return problemAt(number, *problem);
            auto& replayRow = std::get<ReplayRow>(row);
            if (!rows.empty() && replayRow.timeMs < rows.back().timeMs + journalOriginMs) {
                return problemAt(number, "t_ms goes back in time: '" + fields[0] + "' after '" +
                                             previousTime + "'");
            }
            replayRow.timeMs -= static_cast<double>(journalOriginMs);
            rows.push_back(replayRow);
            previousTime = fields[0];
            continue;
        }
        if (fields.size() != kFieldNames.size()) {
            return problemAt(number, "expected 10 fields, got " + std::to_string(fields.size()));
        }
        std::array<double, 10> values{};
        const bool noMagnetometer = fields[1].empty() && fields[2].empty() && fields[3].empty();
        for (size_t i = 0; i < fields.size(); ++i) {
            if (noMagnetometer && i >= 1 && i <= 3) continue;
            if (fields[i].empty()) {
                return problemAt(
                    number,
                    std::string(kFieldNames[i]) + " is empty" +
                        (i >= 1 && i <= 3 ? " (mx, my and mz are empty together or not at all)"
                                          : ""));
            }
            const auto value = decimal(fields[i]);
            if (!value) {
                return problemAt(
                    number, std::string(kFieldNames[i]) + " is not a number: '" + fields[i] + "'");
            }
            values[i] = *value;
        }
        if (values[0] < 0) return problemAt(number, "t_ms is negative: '" + fields[0] + "'");
        if (!rows.empty() && values[0] < rows.back().timeMs) {
            return problemAt(
                number, "t_ms goes back in time: '" + fields[0] + "' after '" + previousTime + "'");
        }
        ReplayRow row{.timeMs = values[0],
                      .magneticField = std::nullopt,
                      .motion = {.userAcceleration = {values[4], values[5], values[6]},
                                 .attitude = {values[7], values[8], values[9]}}};
        if (!noMagnetometer) row.magneticField = MagneticField{values[1], values[2], values[3]};
        rows.push_back(row);
        previousTime = fields[0];
    }
    if (in.bad()) return problemAt(number + 1, "read error");
    if (!headerSeen) {
        return problemAt(1, std::string("expected the header ") + kHeader + ", the file is empty");
    }
    return rows;
}

ReplayMotionSource::ReplayMotionSource(std::vector<ReplayRow> rows, SensorClock clock,
                                       std::string name)
    : rows_(std::move(rows)), clock_(std::move(clock)), name_(std::move(name)) {}

Result<std::unique_ptr<ReplayMotionSource>> ReplayMotionSource::load(
    const std::filesystem::path& file, SensorClock clock) {
    std::ifstream in(file);
    if (!in) {
        const int error = errno;
        return fail("cannot open the replay file " + file.string() + ": " + std::strerror(error),
                    std::error_code(error, std::generic_category()));
    }
    auto rows = parseReplay(in, file.string(), clock.startupEpochMs);
    if (!rows) return rows.failure();
    return std::make_unique<ReplayMotionSource>(std::move(rows).value(), std::move(clock),
                                                file.filename().string());
}

void ReplayMotionSource::start(MotionKind kind) {
    updates_.start(kind);
}

void ReplayMotionSource::stop(MotionKind kind) {
    if (updates_.lastStart(kind)) stoppedAt_[kind].store(clock_.sinceStartup().count());
    updates_.stop(kind);
}

std::vector<ReplayRow>::const_iterator ReplayMotionSource::firstAfter(double timeMs) const {
    return std::upper_bound(rows_.begin(), rows_.end(), timeMs,
                            [](double time, const ReplayRow& row) { return time < row.timeMs; });
}

const ReplayRow* ReplayMotionSource::rowFor(MotionKind kind) const {
    if (!updates_.everStarted(kind)) return nullptr;
    const int64_t nanos =
        updates_.running(kind) ? clock_.sinceStartup().count() : stoppedAt_[kind].load();
    const double nowMs = static_cast<double>(nanos) / 1e6;
    // The first row after now; the one before it is in force.
    const auto after = firstAfter(nowMs);
    if (after == rows_.begin()) return nullptr;
    return &*std::prev(after);
}

std::optional<MagneticField> ReplayMotionSource::latestMagneticField() const {
    const ReplayRow* row = rowFor(MotionKind::magnetometer);
    if (!row) return std::nullopt;
    return row->magneticField;
}

std::optional<DeviceMotion> ReplayMotionSource::latestDeviceMotion() const {
    const ReplayRow* row = rowFor(MotionKind::deviceMotion);
    if (!row) return std::nullopt;
    return row->motion;
}

MotionSourceStatus ReplayMotionSource::status() const {
    MotionSourceStatus status;
    status.description = "Replay " + name_;
    if (!updates_.anyRunning()) return status;
    const double nowMs = static_cast<double>(clock_.sinceStartup().count()) / 1e6;
    const double windowMs =
        std::min<double>(nowMs, std::chrono::duration<double, std::milli>(kRateWindow).count());
    if (windowMs <= 0) return status;
    const auto rows = firstAfter(nowMs) - firstAfter(nowMs - windowMs);
    status.samplesPerSecond = static_cast<double>(rows) / (windowMs / 1000);
    return status;
}

}  // namespace zemtra::platform::sensors
