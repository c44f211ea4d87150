// The WAV recording sink.
#include "platform/espeak/WavFileSink.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>

namespace zemtra::platform::espeak {

namespace {

constexpr int64_t kHeaderBytes = 44;
// A RIFF file counts its bytes in 32 bits; the recording stops growing there.
constexpr int64_t kMaximumSamples = (std::numeric_limits<uint32_t>::max() - kHeaderBytes) / 2;
// Written in pieces so that a long silence never needs a buffer of its length.
constexpr int64_t kPieceSamples = 1 << 16;

void putLittleEndian(std::array<unsigned char, kHeaderBytes>& header, size_t at, uint32_t value,
                     int bytes) {
    for (int i = 0; i < bytes; ++i) header[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

Failure systemFailure(const std::string& what, int error) {
    return fail(what + ": " + std::strerror(error),
                std::error_code(error, std::generic_category()));
}

}  // namespace

Result<std::unique_ptr<WavFileSink>> WavFileSink::create(const std::string& path, int sampleRate) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) return systemFailure("cannot write the speech recording " + path, errno);
    auto sink = std::make_unique<WavFileSink>(Passkey{}, descriptor, path, sampleRate);
    if (const auto header = sink->writeHeader(); !header) return header.failure();
    return sink;
}

WavFileSink::WavFileSink(Passkey, int descriptor, std::string path, int sampleRate)
    : descriptor_(descriptor), path_(std::move(path)), sampleRate_(sampleRate) {}

WavFileSink::~WavFileSink() {
    // A write that failed half way may have left bytes past the samples the header counts.
    (void)::ftruncate(descriptor_, kHeaderBytes + written_ * 2);
    (void)writeHeader();
    ::close(descriptor_);
}

Result<void> WavFileSink::writeAt(int64_t offset, const unsigned char* bytes, size_t count,
                                  size_t* written) const {
    if (written) *written = 0;
    while (count > 0) {
        const ssize_t done = ::pwrite(descriptor_, bytes, count, offset);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0)
            return systemFailure("the speech recording could not be written (" + path_ + ")",
                                 done < 0 ? errno : ENOSPC);
        bytes += done;
        count -= static_cast<size_t>(done);
        offset += done;
        if (written) *written += static_cast<size_t>(done);
    }
    return {};
}

Result<void> WavFileSink::writeHeader() const {
    std::array<unsigned char, kHeaderBytes> header{};
    const auto dataBytes = static_cast<uint32_t>(written_ * 2);
    std::memcpy(&header[0], "RIFF", 4);
    putLittleEndian(header, 4, static_cast<uint32_t>(36 + dataBytes), 4);
    std::memcpy(&header[8], "WAVEfmt ", 8);
    putLittleEndian(header, 16, 16, 4);  // format chunk size
    putLittleEndian(header, 20, 1, 2);   // PCM
    putLittleEndian(header, 22, 1, 2);   // mono
    putLittleEndian(header, 24, static_cast<uint32_t>(sampleRate_), 4);
    putLittleEndian(header, 28, static_cast<uint32_t>(sampleRate_ * 2), 4);  // bytes per second
    putLittleEndian(header, 32, 2, 2);                                       // block alignment
    putLittleEndian(header, 34, 16, 2);                                      // bits per sample
    std::memcpy(&header[36], "data", 4);
    putLittleEndian(header, 40, dataBytes, 4);
    return writeAt(0, header.data(), header.size());
}

void WavFileSink::play(int64_t start, std::vector<int16_t> samples) {
    if (start < aheadStart_) {
        // Only audio that is not yet due can be scheduled; keep the part still to come.
        const auto late =
            static_cast<size_t>(std::min<int64_t>(aheadStart_ - start, samples.size()));
        samples.erase(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(late));
        start = aheadStart_;
    }
    const auto offset = static_cast<size_t>(start - aheadStart_);
    if (ahead_.size() < offset + samples.size()) ahead_.resize(offset + samples.size(), 0);
    std::copy(samples.begin(), samples.end(), ahead_.begin() + static_cast<std::ptrdiff_t>(offset));
}

void WavFileSink::cutAt(int64_t at) {
    const int64_t keep = std::max<int64_t>(0, at - aheadStart_);
    if (static_cast<int64_t>(ahead_.size()) > keep) ahead_.resize(static_cast<size_t>(keep));
}

// Lets go of the audio before sample `position`: written, or lost.
void WavFileSink::dropBefore(int64_t position) {
    if (position <= aheadStart_) return;
    const auto count =
        static_cast<size_t>(std::min<int64_t>(position - aheadStart_, ahead_.size()));
    ahead_.erase(ahead_.begin(), ahead_.begin() + static_cast<std::ptrdiff_t>(count));
    aheadStart_ = position;
}

Result<void> WavFileSink::writeUpTo(int64_t now) {
    std::vector<unsigned char> bytes;
    while (now > written_) {
        const auto due = static_cast<size_t>(std::min(now - written_, kPieceSamples));
        bytes.assign(due * 2, 0);  // silence unless audio is due
        for (size_t i = 0; i < due; ++i) {
            const int64_t index = written_ + static_cast<int64_t>(i) - aheadStart_;
            if (index < 0 || index >= static_cast<int64_t>(ahead_.size())) continue;
            const auto sample = static_cast<uint16_t>(ahead_[static_cast<size_t>(index)]);
            bytes[2 * i] = static_cast<unsigned char>(sample & 0xff);
            bytes[2 * i + 1] = static_cast<unsigned char>(sample >> 8);
        }
        size_t done = 0;
        const auto written =
            writeAt(kHeaderBytes + written_ * 2, bytes.data(), bytes.size(), &done);
        // What reached the file before a failure stays (a half sample is written again).
        written_ += static_cast<int64_t>(done / 2);
        dropBefore(written_);
        if (!written) return written;
    }
    return writeHeader();
}

void WavFileSink::advanceTo(int64_t now) {
    now = std::min(now, kMaximumSamples);
    if (now <= written_) return;
    const Result<void> delivery = writeUpTo(now);
    // What was due and could not be written is lost; the file goes on from where it ends.
    if (!delivery) dropBefore(now);
    if (delivery.ok() == !failing_) return;
    failing_ = !delivery.ok();
    if (listener_) listener_(delivery);
}

}  // namespace zemtra::platform::espeak
