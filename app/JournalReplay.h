// A session journal given as the sensor source (--sensors replay:…/samples.csv): the session's
// start and its settings, from the session.json beside it, so that under the virtual clock the
// run can be the recorded one again: the clock starts a little before the recorded start (unless
// --clock gives START), the generator is switched on (--on) at that start with the starting slider
// positions, and each recorded settings change is made at its time, as a slide would make it.
// The recent-word memory is not in the journal: the replay starts with the fifo.txt of its
// documents directory, which must be the one the recorded session started with.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Result.h"
#include "runtime/core/MainQueue.h"
#include "session/Journal.h"

namespace zemtra::app {

struct JournalReplay {
    int64_t startMs = 0;
    std::vector<session::Settings> settings;  // at the start, then every change
};

// How long before the recorded start the virtual clock starts: start-up happens in it.
inline constexpr int64_t kReplayLeadMs = 1000;

// The journal's start and settings when `sensors` replays a session journal; nothing for any
// other source (a plain replay file too); a failure naming the file when its session.json is
// missing or unreadable.
platform::Result<std::optional<JournalReplay>> journalReplayOf(const std::string& sensors);

using SliderPositions = std::array<int32_t, 6>;

// Posts each settings change after the first for its time (one in the past at once), delivered as
// a script's commands are: after every task due at that moment.
void scheduleSettingsChanges(MainQueue& queue, const JournalReplay& replay,
                             std::function<void(const SliderPositions&)> apply);

}  // namespace zemtra::app
