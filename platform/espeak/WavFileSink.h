// A recording of what a sound card would have played: a 16-bit mono WAV file on the program's
// clock, silence where nothing is spoken. Audio reaches the file only once the clock has passed
// it, so a cut never needs to take back written samples. The header's sizes are brought up to
// date after every write, so an interrupted run still leaves a readable file.
//
// A write that fails (a full disk, a file size limit) loses the audio that was due, as a sound
// card that stopped would; the next advance tries again from where the file ends, filling the
// gap with silence, so the recording keeps its timeline. The delivery listener hears of each
// change.
#pragma once

#include <memory>
#include <string>

#include "platform/Result.h"
#include "platform/espeak/AudioSink.h"

namespace zemtra::platform::espeak {

class WavFileSink final : public AudioSink {
  public:
    // The sink, or the reason the file cannot be written.
    static Result<std::unique_ptr<WavFileSink>> create(const std::string& path, int sampleRate);
    ~WavFileSink() override;

    void play(int64_t start, std::vector<int16_t> samples) override;
    void cutAt(int64_t at) override;
    void advanceTo(int64_t now) override;
    void setDeliveryListener(DeliveryListener listener) override {
        listener_ = std::move(listener);
    }

    // Only create() makes sinks.
    class Passkey {
        friend class WavFileSink;
        Passkey() = default;
    };
    WavFileSink(Passkey, int descriptor, std::string path, int sampleRate);

  private:
    // Writes the whole buffer at the offset, or says why not; `written` counts the bytes that
    // reached the file either way.
    Result<void> writeAt(int64_t offset, const unsigned char* bytes, size_t count,
                         size_t* written = nullptr) const;
    Result<void> writeHeader() const;
    Result<void> writeUpTo(int64_t now);
    void dropBefore(int64_t position);

    int descriptor_;
    std::string path_;
    int sampleRate_;
    int64_t written_ = 0;         // samples in the file
    int64_t aheadStart_ = 0;      // the sample position of ahead_[0], never before written_
    std::vector<int16_t> ahead_;  // samples handed over but not yet written
    bool failing_ = false;
    DeliveryListener listener_;
};

}  // namespace zemtra::platform::espeak
