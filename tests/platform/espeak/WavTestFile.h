// Test helpers for speech recordings: the WAV reader, measurements taken from the samples
// themselves, and a file size limit that makes recordings fail for real.
#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TemporaryFolder.h"

namespace zemtra::testing {

struct WavData {
    int sampleRate = 0;
    std::vector<int16_t> samples;
};

// Reads a 16-bit mono PCM file as the sinks write it (44-byte header) and checks the header's
// sizes against the file's.
inline WavData readWav(const std::string& path) {
    const std::string bytes = readFile(path);
    WavData wav;
    if (bytes.size() < 44) {
        ADD_FAILURE() << path << " is too short for a WAV file";
        return wav;
    }
    const auto u32 = [&](size_t at) {
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        return value;
    };
    EXPECT_EQ(std::string(bytes.data(), 4), "RIFF");
    EXPECT_EQ(std::string(bytes.data() + 8, 8), "WAVEfmt ");
    EXPECT_EQ(u32(4), bytes.size() - 8);
    EXPECT_EQ(u32(40), bytes.size() - 44);
    EXPECT_EQ(u32(20) & 0xffff, 1u);  // PCM
    EXPECT_EQ(u32(22) & 0xffff, 1u);  // mono
    wav.sampleRate = static_cast<int>(u32(24));
    for (size_t at = 44; at + 1 < bytes.size(); at += 2) {
        const auto low = static_cast<unsigned char>(bytes[at]);
        const auto high = static_cast<unsigned char>(bytes[at + 1]);
        wav.samples.push_back(static_cast<int16_t>(static_cast<uint16_t>(high << 8 | low)));
    }
    return wav;
}

// The first and one past the last sample louder than the threshold (both 0 when all is quiet).
struct AudibleSpan {
    size_t begin = 0;
    size_t end = 0;
    size_t length() const { return end - begin; }
};

inline AudibleSpan audibleSpan(const std::vector<int16_t>& samples, size_t from = 0,
                               size_t to = SIZE_MAX, int threshold = 300) {
    AudibleSpan span;
    bool found = false;
    to = std::min(to, samples.size());
    for (size_t i = from; i < to; ++i) {
        if (std::abs(samples[i]) <= threshold) continue;
        if (!found) span.begin = i;
        found = true;
        span.end = i + 1;
    }
    return span;
}

// While alive, a write that would make any file of the process larger than `bytes` fails with
// EFBIG ("File too large"), as on a full disk, without a filesystem of the test's own (SIGXFSZ is
// ignored meanwhile). lift() takes the limit away early.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) : previousAction_(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~FileSizeLimit() {
        lift();
        std::signal(SIGXFSZ, previousAction_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    void lift() { setrlimit(RLIMIT_FSIZE, &previous_); }

  private:
    rlimit previous_{};
    void (*previousAction_)(int);
};

}  // namespace zemtra::testing
