// The journal's files as text: a samples.csv row written and read back, session.json written and
// read back, and the Sessions/ folder's names.
#include "session/Journal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <variant>

namespace zemtra::session {

namespace {

constexpr std::array<std::string_view, 6> kDecisionNames = {"quiet",  "range",  "memory",
                                                            "repeat", "window", "accepted"};
// No sensor gives readings anywhere near this; a larger number is a damaged row.
constexpr double kLargestReading = 1e9;
// Problems kept word for word; the rest are only counted.
constexpr size_t kProblemsKept = 10;
// The last millisecond of the year 9999: local times past it have no four-digit year, and later
// stamps are damage, not a session.
constexpr int64_t kLastMs = 253402300799999;

// A whole number of session.json within [low, high]. nlohmann converts a float or an
// out-of-range number to the integer type unchecked, so the type and range are asked first.
template <class Integer>
Integer integerOf(const nlohmann::json& value, Integer low, Integer high) {
    const bool whole = value.is_number_integer();
    const bool inRange =
        whole &&
        (value.is_number_unsigned() ? value.get<uint64_t>() <= static_cast<uint64_t>(high)
                                    : value.get<int64_t>() >= low && value.get<int64_t>() <= high);
    if (!inRange)
        throw std::out_of_range(value.dump() + " is not a whole number from " +
                                std::to_string(low) + " to " + std::to_string(high));
    return static_cast<Integer>(value.get<int64_t>());
}

template <class Integer>
void readInteger(const nlohmann::json& object, const char* name, Integer& into, Integer low,
                 Integer high) {
    if (object.contains(name)) into = integerOf(object.at(name), low, high);
}

std::string shortest(double value) {
    std::array<char, 32> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return error == std::errc{} ? std::string(buffer.data(), end) : std::string();
}

void appendField(std::string& line, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        line += field;
        return;
    }
    line += '"';
    for (const char character : field) {
        if (character == '"') line += '"';
        line += character;
    }
    line += '"';
}

// One CSV record: its fields, the line it starts on, and whether it ended with a line break
// (a record without one is the torn end of a file that was being written).
struct Record {
    std::vector<std::string> fields;
    size_t line = 0;
    bool complete = false;
};

std::vector<Record> splitRecords(std::string_view text) {
    std::vector<Record> records;
    size_t line = 1;
    size_t at = 0;
    while (at < text.size()) {
        Record record;
        record.line = line;
        std::string field;
        bool quoted = false;
        while (at < text.size()) {
            const char character = text[at++];
            if (quoted) {
                if (character == '"') {
                    if (at < text.size() && text[at] == '"') {
                        field += '"';
                        ++at;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (character == '\n') ++line;
                    field += character;
                }
            } else if (character == '"') {
                quoted = true;
            } else if (character == ',') {
                record.fields.push_back(std::move(field));
                field.clear();
            } else if (character == '\n') {
                record.complete = true;
                ++line;
                break;
            } else if (character != '\r') {
                field += character;
            }
        }
        record.fields.push_back(std::move(field));
        records.push_back(std::move(record));
    }
    return records;
}

template <class Number>
std::optional<Number> parseInteger(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) return {};
    return value;
}

std::optional<double> parseReading(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) return {};
    if (!std::isfinite(value) || std::fabs(value) > kLargestReading) return {};
    return value;
}

// Where each known column is in the file's header; columns the reader does not know are left
// out (and said so), a missing known column makes the file unusable.
struct Columns {
    std::array<size_t, 14> at{};
    size_t count = 0;
    std::vector<std::string> unknown;
    std::vector<std::string> missing;
};

Columns columnsOf(const std::vector<std::string>& header) {
    static constexpr std::array<std::string_view, 14> kNames = {
        "t_ms", "time",   "mx",    "my",    "mz",       "ax",       "ay",
        "az",   "digits", "value", "index", "decision", "quiet_ms", "word"};
    Columns columns;
    columns.count = header.size();
    for (size_t name = 0; name < kNames.size(); ++name) {
        const auto found = std::find(header.begin(), header.end(), kNames[name]);
        if (found == header.end())
            columns.missing.emplace_back(kNames[name]);
        else
            columns.at[name] = static_cast<size_t>(found - header.begin());
    }
    for (const std::string& name : header) {
        if (std::find(kNames.begin(), kNames.end(), name) == kNames.end())
            columns.unknown.push_back(name);
    }
    return columns;
}

// The row, or why it cannot be used.
std::variant<SampleRow, std::string> rowOf(const Record& record, const Columns& columns,
                                           std::optional<int64_t> previousMs) {
    if (record.fields.size() != columns.count)
        return "it has " + std::to_string(record.fields.size()) + " fields, the header " +
               std::to_string(columns.count);
    const auto field = [&](size_t name) -> const std::string& {
        return record.fields[columns.at[name]];
    };
    SampleRow row;
    const auto tMs = parseInteger<int64_t>(field(0));
    if (!tMs) return "t_ms \"" + field(0) + "\" is not a whole number";
    if (*tMs < 0) return "t_ms " + field(0) + " is before 1970";
    if (*tMs > kLastMs) return "t_ms " + field(0) + " is after the year 9999";
    if (previousMs && *tMs < *previousMs) return "t_ms " + field(0) + " goes back in time";
    row.tMs = *tMs;
    row.time = field(1);
    const bool noMagnetometer = field(2).empty() && field(3).empty() && field(4).empty();
    std::array<double, 6> readings{};
    for (size_t channel = noMagnetometer ? 3 : 0; channel < 6; ++channel) {
        const auto reading = parseReading(field(2 + channel));
        if (!reading)
            return "reading \"" + field(2 + channel) + "\" is not a number a sensor gives";
        readings[channel] = *reading;
    }
    if (!noMagnetometer) row.magneticField = {readings[0], readings[1], readings[2]};
    row.acceleration = {readings[3], readings[4], readings[5]};
    row.digits = field(8);
    if (row.digits.size() != 6 || row.digits.find_first_not_of("0123456789-") != std::string::npos)
        return "digits \"" + row.digits + "\" are not six digits or '-'";
    row.value = field(9);
    if (row.value.empty() || row.value.size() > 8 ||
        row.value.find_first_not_of("0123456789") != std::string::npos)
        return "value \"" + row.value + "\" is not a selection value";
    const auto index = parseInteger<int32_t>(field(10));
    if (!index || *index < 0) return "index \"" + field(10) + "\" is not an index";
    row.index = *index;
    const auto decision = decisionNamed(field(11));
    if (!decision) return "decision \"" + field(11) + "\" is not one of the six";
    row.decision = *decision;
    if (!field(12).empty()) {
        const auto quietMs = parseInteger<int64_t>(field(12));
        if (!quietMs || *quietMs < 0) return "quiet_ms \"" + field(12) + "\" is not a duration";
        row.quietMs = quietMs;
    }
    row.word = field(13);
    return row;
}

std::string readFile(const std::filesystem::path& path, std::error_code& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::error_code(errno, std::generic_category());
        return {};
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

size_t lineAt(std::string_view text, size_t byte) {
    return 1 + static_cast<size_t>(std::count(
                   text.begin(),
                   text.begin() + static_cast<std::ptrdiff_t>(std::min(byte, text.size())), '\n'));
}

// A folder name's suffix as a number: "…_10-00-00" is 1, "…_10-00-00-2" is 2.
std::pair<std::string, int> orderOf(const std::string& name) {
    constexpr size_t kStampLength = 19;  // YYYY-MM-DD_HH-MM-SS
    if (name.size() > kStampLength + 1 && name[kStampLength] == '-') {
        if (const auto suffix = parseInteger<int>(std::string_view(name).substr(kStampLength + 1)))
            return {name.substr(0, kStampLength), *suffix};
    }
    return {name, 1};
}

}  // namespace

std::string_view decisionName(Decision decision) {
    return kDecisionNames[static_cast<size_t>(decision)];
}

std::optional<Decision> decisionNamed(std::string_view name) {
    for (const Decision decision : kDecisions) {
        if (decisionName(decision) == name) return decision;
    }
    return {};
}

std::string formatRow(const SampleRow& row) {
    std::string line = std::to_string(row.tMs);
    line += ',';
    appendField(line, row.time);
    for (size_t axis = 0; axis < 3; ++axis) {
        line += ',';
        if (row.magneticField) line += shortest((*row.magneticField)[axis]);
    }
    for (const double value : row.acceleration) line += ',' + shortest(value);
    line += ',';
    appendField(line, row.digits);
    line += ',';
    appendField(line, row.value);
    line += ',' + std::to_string(row.index) + ',';
    line += decisionName(row.decision);
    line += ',';
    if (row.quietMs) line += std::to_string(*row.quietMs);
    line += ',';
    appendField(line, row.word);
    line += '\n';
    return line;
}

std::string toJson(const SessionInfo& info) {
    nlohmann::ordered_json json;
    json["version"] = info.version;
    json["sensor_source"] = info.sensorSource;
    json["sensor_device"] = info.sensorDevice;
    json["sensor_simulated"] = info.sensorSimulated;
    json["speech_output"] = info.speechOutput;
    json["voice"] = info.voice;
    json["word_list"] = info.wordList;
    json["word_count"] = info.wordCount;
    json["start_ms"] = info.startMs;
    json["end_ms"] = info.endMs ? nlohmann::ordered_json(*info.endMs) : nullptr;
    json["ending"] = info.ending;
    nlohmann::ordered_json counts = nlohmann::ordered_json::object();
    for (const Decision decision : kDecisions) {
        const auto found = info.counts.find(decision);
        counts[std::string(decisionName(decision))] =
            found == info.counts.end() ? 0 : found->second;
    }
    json["counts"] = counts;
    json["settings"] = nlohmann::ordered_json::array();
    for (const Settings& settings : info.settings) {
        json["settings"].push_back({{"t_ms", settings.tMs},
                                    {"positions", settings.positions},
                                    {"digit_position", settings.digitPosition},
                                    {"sampling_interval_ms", settings.samplingIntervalMs},
                                    {"memory_depth", settings.memoryDepth},
                                    {"pitch", settings.pitch},
                                    {"rate", settings.rate},
                                    {"window_width", settings.windowWidth}});
    }
    return json.dump(2) + "\n";
}

platform::Result<SessionInfo> sessionInfoFromJson(std::string_view text, const std::string& file) {
    nlohmann::json json;
    try {
        json = nlohmann::json::parse(text);
    } catch (const nlohmann::json::parse_error& error) {
        return platform::fail(file + ":" + std::to_string(lineAt(text, error.byte)) +
                              ": not JSON (" + error.what() + ")");
    }
    if (!json.is_object()) return platform::fail(file + ": not a session description (no object)");
    SessionInfo info;
    std::string key;
    try {
        const auto text = [&](const char* name, std::string& into) {
            key = name;
            if (json.contains(name)) into = json.at(name).get<std::string>();
        };
        text("version", info.version);
        text("sensor_source", info.sensorSource);
        text("sensor_device", info.sensorDevice);
        text("speech_output", info.speechOutput);
        text("voice", info.voice);
        text("word_list", info.wordList);
        text("ending", info.ending);
        constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();
        key = "sensor_simulated";
        info.sensorSimulated = json.value("sensor_simulated", false);
        key = "word_count";
        readInteger(json, "word_count", info.wordCount, 0, kInt32Max);
        key = "start_ms";
        readInteger(json, "start_ms", info.startMs, int64_t{0}, kLastMs);
        key = "end_ms";
        if (json.contains("end_ms") && !json["end_ms"].is_null())
            info.endMs = integerOf(json["end_ms"], int64_t{0}, kLastMs);
        key = "counts";
        if (json.contains("counts")) {
            for (const auto& [name, count] : json.at("counts").items()) {
                if (const auto decision = decisionNamed(name))
                    info.counts[*decision] =
                        integerOf(count, int64_t{0}, std::numeric_limits<int64_t>::max());
            }
        }
        key = "settings";
        if (json.contains("settings")) {
            for (const auto& entry : json.at("settings")) {
                Settings settings;
                readInteger(entry, "t_ms", settings.tMs, int64_t{0}, kLastMs);
                if (entry.contains("positions")) {
                    const auto& positions = entry.at("positions");
                    if (!positions.is_array() || positions.size() != settings.positions.size())
                        throw std::out_of_range("positions are not six numbers");
                    for (size_t at = 0; at < settings.positions.size(); ++at)
                        settings.positions[at] = integerOf(positions[at], 0, kInt32Max);
                }
                readInteger(entry, "digit_position", settings.digitPosition, 0, kInt32Max);
                readInteger(entry, "sampling_interval_ms", settings.samplingIntervalMs, int64_t{0},
                            kLastMs);
                readInteger(entry, "memory_depth", settings.memoryDepth, 0, kInt32Max);
                settings.pitch = entry.value("pitch", settings.pitch);
                settings.rate = entry.value("rate", settings.rate);
                readInteger(entry, "window_width", settings.windowWidth, 0, kInt32Max);
                info.settings.push_back(settings);
            }
        }
    } catch (const std::exception& error) {  // nlohmann's type errors and integerOf's ranges
        return platform::fail(file + ": \"" + key + "\" does not hold what it should (" +
                              error.what() + ")");
    }
    return info;
}

Journal readSamples(std::string_view text, const std::string& file) {
    Journal journal;
    const auto problem = [&](size_t line, const std::string& why) {
        ++journal.skippedRows;
        if (journal.problems.size() < kProblemsKept)
            journal.problems.push_back(file + ":" + std::to_string(line) + ": " + why);
    };
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::vector<Record> records = splitRecords(text);
    if (records.empty()) {
        journal.problems.push_back(file + ":1: empty: no header line");
        return journal;
    }
    const Columns columns = columnsOf(records.front().fields);
    if (!columns.missing.empty()) {
        std::string names;
        for (const std::string& name : columns.missing) names += (names.empty() ? "" : ", ") + name;
        journal.problems.push_back(file + ":1: not a journal's header: no column " + names);
        journal.skippedRows = records.size() - 1;
        return journal;
    }
    for (const std::string& name : columns.unknown)
        journal.problems.push_back(file + ":1: column \"" + name + "\" is not known; left out");
    std::optional<int64_t> previousMs;
    journal.rows.reserve(records.size() - 1);
    for (size_t at = 1; at < records.size(); ++at) {
        const Record& record = records[at];
        if (!record.complete) {
            problem(record.line, "the last row is incomplete (the program ended while writing it)");
            continue;
        }
        if (record.fields.size() == 1 && record.fields.front().empty()) continue;  // a blank line
        auto row = rowOf(record, columns, previousMs);
        if (auto* why = std::get_if<std::string>(&row)) {
            problem(record.line, *why);
            continue;
        }
        journal.rows.push_back(std::move(std::get<SampleRow>(row)));
        previousMs = journal.rows.back().tMs;
    }
    return journal;
}

platform::Result<Journal> readJournal(const std::filesystem::path& folder) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return platform::fail(folder.string() + ": no such session folder");
    const std::filesystem::path samplesPath = folder / kSamplesFile;
    const std::filesystem::path infoPath = folder / kSessionFile;
    const std::string infoText = readFile(infoPath, error);
    if (error)
        return platform::fail(infoPath.string() + ": cannot be read: " + error.message(), error);
    auto info = sessionInfoFromJson(infoText, infoPath.string());
    if (!info) return info.failure();
    const std::string samplesText = readFile(samplesPath, error);
    if (error)
        return platform::fail(samplesPath.string() + ": cannot be read: " + error.message(), error);
    Journal journal = readSamples(samplesText, samplesPath.string());
    if (journal.rows.empty() && !journal.problems.empty() &&
        journal.problems.front().find(":1: ") != std::string::npos &&
        journal.problems.front().find("left out") == std::string::npos)
        return platform::fail(journal.problems.front());
    journal.folder = folder;
    journal.info = std::move(*info);
    return journal;
}

std::optional<std::filesystem::path> newestSession(const std::filesystem::path& documents) {
    std::error_code error;
    std::optional<std::filesystem::path> newest;
    std::pair<std::string, int> newestOrder;
    for (const auto& entry :
         std::filesystem::directory_iterator(documents / kSessionsFolder, error)) {
        if (!entry.is_directory(error) || !std::filesystem::exists(entry.path() / kSamplesFile))
            continue;
        const auto order = orderOf(entry.path().filename().string());
        if (!newest || order > newestOrder) {
            newest = entry.path();
            newestOrder = order;
        }
    }
    return newest;
}

std::filesystem::path newSessionFolder(const std::filesystem::path& documents,
                                       std::string_view localStartTime) {
    const std::filesystem::path sessions = documents / kSessionsFolder;
    std::error_code error;
    std::filesystem::create_directories(sessions, error);
    std::filesystem::path folder = sessions / std::string(localStartTime);
    for (int suffix = 2; !std::filesystem::create_directory(folder, error) && !error; ++suffix)
        folder = sessions / (std::string(localStartTime) + "-" + std::to_string(suffix));
    return folder;
}

}  // namespace zemtra::session
