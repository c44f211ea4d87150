// The sound card through ALSA's libasound (desktops route its "default" device to PipeWire or
// PulseAudio). A player thread of its own writes the audio in small pieces and checks between
// them for a cut, so the main thread never waits for the device and a cut silences within a few
// milliseconds. Utterances play back to back as they arrive; the device's own idling makes the
// silence between them.
//
// A device that stops (its stream cannot be recovered after an underrun or a suspend, it goes
// away, it takes no audio for two seconds) loses the utterance being played; the next one opens
// the device anew and plays if it can. The delivery listener hears of each change, on the player
// thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/Result.h"
#include "platform/espeak/AudioSink.h"

namespace zemtra::platform::espeak {

class AlsaSink final : public AudioSink {
  public:
    // The sink on the ALSA device of that name, or the reason there is none (no sound card).
    static Result<std::unique_ptr<AlsaSink>> open(int sampleRate,
                                                  const std::string& device = "default");
    ~AlsaSink() override;

    void play(int64_t start, std::vector<int16_t> samples) override;
    void cutAt(int64_t at) override;
    void advanceTo(int64_t) override {}
    void setDeliveryListener(DeliveryListener listener) override;

    struct Device;
    AlsaSink(std::unique_ptr<Device> device);

  private:
    void run();
    // Plays one utterance's audio up to its end or a cut; a failure when the device stopped.
    Result<void> playPiece(const std::vector<int16_t>& samples, uint64_t seenCuts);

    std::unique_ptr<Device> device_;  // used by the player thread only
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<int16_t>> queued_;
    std::atomic<uint64_t> cuts_{0};  // counts cuts; the player drops what it plays when it changes
    bool quitting_ = false;
    DeliveryListener listener_;
    std::thread thread_;
};

}  // namespace zemtra::platform::espeak
