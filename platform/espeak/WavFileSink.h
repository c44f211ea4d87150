// A recording of what a sound card would have played: a 16-bit mono WAV file on the program's
// clock, silence where nothing is spoken. Audio reaches the file only once the clock has passed
// it, so a cut never needs to take back written samples. The header's sizes are brought up to
// date after every write, so an interrupted run still leaves a readable file.
#pragma once

#include <cstdio>
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

    int64_t writtenSamples() const { return written_; }

    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    // Only create() makes sinks.
    class Passkey {
        friend class WavFileSink;
        Passkey() = default;
    };
    WavFileSink(Passkey, std::unique_ptr<std::FILE, FileCloser> file, int sampleRate);

  private:
    void writeHeader();

    std::unique_ptr<std::FILE, FileCloser> file_;
    int sampleRate_;
    int64_t written_ = 0;         // samples in the file
    std::vector<int16_t> ahead_;  // samples from written_ on, handed over but not yet due
    bool failed_ = false;
};

}  // namespace zemtra::platform::espeak
