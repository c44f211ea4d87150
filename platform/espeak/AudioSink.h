// Where synthesised speech goes: a timeline of samples at the engine's rate, counted from the
// back end's start. Called on the main queue's thread only, with non-decreasing positions.
#pragma once

#include <cstdint>
#include <vector>

namespace zemtra::platform::espeak {

class AudioSink {
  public:
    virtual ~AudioSink() = default;
    // `samples` are to be heard from sample `start` on; start is never before the end of the
    // audio handed over earlier (after any cut).
    virtual void play(int64_t start, std::vector<int16_t> samples) = 0;
    // Nothing handed over is heard from sample `at` on (a clearing Speak:: or Stop at that moment).
    virtual void cutAt(int64_t at) = 0;
    // The program's clock has reached sample `now`; a recording fills up to there.
    virtual void advanceTo(int64_t now) = 0;
};

}  // namespace zemtra::platform::espeak
