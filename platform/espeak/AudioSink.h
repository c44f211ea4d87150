// Where synthesised speech goes: a timeline of samples at the engine's rate, counted from the
// back end's start. Called on the main queue's thread only, with non-decreasing positions.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Result.h"

namespace zemtra::platform::espeak {

class AudioSink {
  public:
    // Told when audio stops reaching its destination (the failure says why, in plain words) and
    // when it reaches it again (success), once per change. A sink that works on a thread of its
    // own calls it there; it must not block.
    using DeliveryListener = std::function<void(const Result<void>& delivery)>;

    virtual ~AudioSink() = default;
    // `samples` are to be heard from sample `start` on; start is never before the end of the
    // audio handed over earlier (after any cut).
    virtual void play(int64_t start, std::vector<int16_t> samples) = 0;
    // Nothing handed over is heard from sample `at` on (a clearing Speak:: or Stop at that moment).
    virtual void cutAt(int64_t at) = 0;
    // The program's clock has reached sample `now`; a recording fills up to there.
    virtual void advanceTo(int64_t now) = 0;
    // Set once, before the first play(); a sink that cannot fail ignores it.
    virtual void setDeliveryListener(DeliveryListener) {}
};

}  // namespace zemtra::platform::espeak
