// Reading a replayed journal's description and scheduling its settings changes.
#include "app/JournalReplay.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace zemtra::app {

platform::Result<std::optional<JournalReplay>> journalReplayOf(const std::string& sensors) {
    constexpr std::string_view kReplay = "replay:";
    if (!sensors.starts_with(kReplay)) return std::optional<JournalReplay>();
    const std::filesystem::path samples = sensors.substr(kReplay.size());
    std::ifstream in(samples);
    std::string header;
    // A file that cannot be read is the replay source's to report.
    if (!in || !std::getline(in, header) || !header.starts_with("t_ms,time,"))
        return std::optional<JournalReplay>();
    const std::filesystem::path described = samples.parent_path() / session::kSessionFile;
    std::ifstream file(described);
    if (!file) {
        return platform::fail("--sensors " + sensors + ": the journal's " + described.string() +
                              " cannot be read; a journal is replayed with its description");
    }
    std::ostringstream text;
    text << file.rdbuf();
    auto info = session::sessionInfoFromJson(text.str(), described.string());
    if (!info) return platform::fail("--sensors " + sensors + ": " + info.error());
    return std::optional<JournalReplay>(JournalReplay{info->startMs, info->settings});
}

void scheduleSettingsChanges(MainQueue& queue, const JournalReplay& replay,
                             std::function<void(const SliderPositions&)> apply) {
    const int64_t now = queue.clock().nowTicks();
    for (size_t index = 1; index < replay.settings.size(); ++index) {
        const session::Settings& change = replay.settings[index];
        queue.postWhenIdle(std::chrono::milliseconds(std::max<int64_t>(0, change.tMs - now)),
                           [apply, positions = change.positions] { apply(positions); });
    }
}

}  // namespace zemtra::app
