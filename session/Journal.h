// A session's journal as the program writes it and as review and statistics read it back: one
// folder Sessions/<YYYY-MM-DD_HH-MM-SS>[-N]/ in the documents directory holding
//   samples.csv   one row per sampling tick, after the header kSamplesHeader, appended as it
//                 happens (RFC 4180 quoting where a field can hold a comma or a quote);
//   session.json  what the session ran with and how it ended, rewritten atomically at the start,
//                 at every settings change and at the end.
//
// Readers never fail on a damaged row: they skip it, count it, and say which line it was; a torn
// last row (the one being written when the program was killed) is skipped and said so. A file
// that cannot be used at all (missing, not a journal, session.json not JSON) is a Failure naming
// the file and, where it helps, the line.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Result.h"

namespace zemtra::session {

inline constexpr std::string_view kSamplesFile = "samples.csv";
inline constexpr std::string_view kSessionFile = "session.json";
inline constexpr std::string_view kSessionsFolder = "Sessions";
inline constexpr std::string_view kSamplesHeader =
    "t_ms,time,mx,my,mz,ax,ay,az,digits,value,index,decision,quiet_ms,word";

// What the selection step did with a tick's value.
enum class Decision { quiet, range, memory, repeat, window, accepted };
inline constexpr std::array<Decision, 6> kDecisions = {Decision::quiet,  Decision::range,
                                                       Decision::memory, Decision::repeat,
                                                       Decision::window, Decision::accepted};
std::string_view decisionName(Decision decision);  // "quiet", "range", …
std::optional<Decision> decisionNamed(std::string_view name);

// One sampling tick.
struct SampleRow {
    int64_t tMs = 0;   // the tick's time, epoch milliseconds
    std::string time;  // local ISO 8601 with its offset, "2026-12-07T08:15:00.250+01:00"
    std::optional<std::array<double, 3>> magneticField;  // empty before its first sample
    std::array<double, 3> acceleration{};
    std::string digits;  // six characters, '-' for a reading that gave no match
    std::string value;   // the four-digit selection value handed to the selection step
    int32_t index = 0;   // the candidate index
    Decision decision = Decision::quiet;
    std::optional<int64_t> quietMs;  // the quiet time the decision set
    std::string word;                // the candidate word; empty for quiet and range
};

// The row as one CSV line, line feed included. Doubles are written as the shortest text that
// reads back to the same double.
std::string formatRow(const SampleRow& row);

// The six slider positions and what they mean for the generator, from a moment on.
struct Settings {
    int64_t tMs = 0;  // epoch milliseconds
    std::array<int32_t, 6> positions{};
    int32_t digitPosition = 1;
    int64_t samplingIntervalMs = 1000;
    int32_t memoryDepth = 100;
    double pitch = 1;
    double rate = 0.3;
    int32_t windowWidth = 10;
};

struct SessionInfo {
    std::string version;             // the program's version
    std::string sensorSource;        // the --sensors value
    std::string sensorDevice;        // what the source says it is ("IIO accel_3d + magn_3d")
    bool sensorSimulated = false;    // the samples came from a random generator
    std::string speechOutput;        // the --speech value
    std::string voice;               // the voice the words were spoken in, "German (de)"
    std::string wordList;            // the word list's path
    int32_t wordCount = 0;           // the words of the list in use; 0 when not recorded
    std::vector<Settings> settings;  // at the start, then at every change
    int64_t startMs = 0;
    std::optional<int64_t> endMs;
    std::map<Decision, int64_t> counts;
    std::string ending;  // "switch-off", "quit", "signal", "error"; empty while it runs
};

std::string toJson(const SessionInfo& info);
platform::Result<SessionInfo> sessionInfoFromJson(std::string_view text, const std::string& file);

// A journal read back.
struct Journal {
    std::filesystem::path folder;
    SessionInfo info;
    std::vector<SampleRow> rows;
    size_t skippedRows = 0;
    std::vector<std::string> problems;  // "samples.csv:12: …", one per skipped row (at most a few)
};

platform::Result<Journal> readJournal(const std::filesystem::path& folder);
// The rows of a samples.csv text; `file` names it in the problems.
Journal readSamples(std::string_view text, const std::string& file);

// The newest session folder under the documents directory, when there is one.
std::optional<std::filesystem::path> newestSession(const std::filesystem::path& documents);
// Makes the folder of a session started at that local time (the suffix -2, -3 when the name is
// taken) and returns its path; when it cannot be made, the path it should have had.
std::filesystem::path newSessionFolder(const std::filesystem::path& documents,
                                       std::string_view localStartTime /* YYYY-MM-DD_HH-MM-SS */);

}  // namespace zemtra::session
