// The journal's writer and the local times it writes.
#include "session/JournalWriter.h"

#include <ctime>
#include <utility>

namespace zemtra::session {

namespace {

std::tm localTime(int64_t epochMs) {
    // Floor division, so that a moment before 1970 keeps its milliseconds positive.
    const int64_t seconds = epochMs >= 0 ? epochMs / 1000 : -((-epochMs + 999) / 1000);
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    return local;
}

std::string formatted(const char* format, const std::tm& local) {
    char buffer[64];
    const size_t length = std::strftime(buffer, sizeof buffer, format, &local);
    return std::string(buffer, length);
}

}  // namespace

std::string localIsoTime(int64_t epochMs) {
    const std::tm local = localTime(epochMs);
    const int64_t millis = ((epochMs % 1000) + 1000) % 1000;
    const long offset = local.tm_gmtoff / 60;
    char tail[32];
    std::snprintf(tail, sizeof tail, ".%03d%c%02ld:%02ld", static_cast<int>(millis),
                  offset < 0 ? '-' : '+', (offset < 0 ? -offset : offset) / 60,
                  (offset < 0 ? -offset : offset) % 60);
    return formatted("%Y-%m-%dT%H:%M:%S", local) + tail;
}

std::string localFolderTime(int64_t epochMs) {
    return formatted("%Y-%m-%d_%H-%M-%S", localTime(epochMs));
}

JournalWriter::JournalWriter(std::shared_ptr<DocumentWriter> writer, std::filesystem::path folder,
                             SessionInfo info, Report report)
    : writer_(std::move(writer)),
      folder_(std::move(folder)),
      samplesPath_((folder_ / kSamplesFile).string()),
      infoPath_((folder_ / kSessionFile).string()),
      header_(std::string(kSamplesHeader) + "\n"),
      info_(std::move(info)),
      report_(std::move(report)) {
    for (const Decision decision : kDecisions) info_.counts.try_emplace(decision, 0);
    writeInfo();
    // An empty append starts the file with its header, so that a session without a tick still
    // reads as a journal.
    appendSamples(std::string());
}

void JournalWriter::addRow(const SampleRow& row) {
    if (ended()) return;
    ++info_.counts[row.decision];
    appendSamples(formatRow(row));
}

void JournalWriter::appendSamples(std::string bytes) {
    writer_->append(
        samplesPath_, std::move(bytes),
        [report = report_](const DocumentWriter::Outcome& outcome) {
            if (report) report(kSamplesFile, outcome);
        },
        header_);
}

void JournalWriter::changeSettings(const Settings& settings) {
    if (ended()) return;
    info_.settings.push_back(settings);
    writeInfo();
}

void JournalWriter::end(int64_t endMs, std::string ending) {
    if (ended()) return;
    info_.endMs = endMs;
    info_.ending = std::move(ending);
    writeInfo();
}

void JournalWriter::writeInfo() {
    writer_->replace(infoPath_, toJson(info_),
                     [report = report_](const DocumentWriter::Outcome& outcome) {
                         if (report) report(kSessionFile, outcome);
                     });
}

}  // namespace zemtra::session
