// Writes one session's journal as it happens: samples.csv gets one appended row per tick and
// session.json is replaced as a whole at the start, at every settings change and at the end.
// Every write goes through the program's writer thread (DocumentWriter), so a slow disk never
// delays a tick; each write's outcome comes back through the report, on the main thread, for the
// program to show. A write that failed is not tried again: the next row or description is.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/lib/DocumentWriter.h"
#include "session/Journal.h"

namespace zemtra::session {

// Local time as the journal writes it.
// "2026-12-07T08:15:00.250+01:00"
std::string localIsoTime(int64_t epochMs);
// "2026-12-07_08-15-00", the session folder's name.
std::string localFolderTime(int64_t epochMs);

class JournalWriter {
  public:
    // The file written ("samples.csv" or "session.json") and how its write went.
    using Report = std::function<void(std::string_view file, const DocumentWriter::Outcome&)>;

    // Starts the journal in `folder` (made already): the description as given, with its start
    // settings, and samples.csv with its header.
    JournalWriter(std::shared_ptr<DocumentWriter> writer, std::filesystem::path folder,
                  SessionInfo info, Report report);
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    void addRow(const SampleRow& row);
    void changeSettings(const Settings& settings);
    // Ends the session: its end time and how it ended ("switch-off", "quit", "signal", "error").
    // Nothing is written after it.
    void end(int64_t endMs, std::string ending);

    const SessionInfo& info() const { return info_; }
    const std::filesystem::path& folder() const { return folder_; }
    bool ended() const { return info_.endMs.has_value(); }

  private:
    void writeInfo();
    void appendSamples(std::string bytes);

    const std::shared_ptr<DocumentWriter> writer_;
    const std::filesystem::path folder_;
    const std::string samplesPath_;
    const std::string infoPath_;
    const std::string header_;
    SessionInfo info_;
    Report report_;
};

}  // namespace zemtra::session
