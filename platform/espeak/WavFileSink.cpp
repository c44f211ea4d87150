// The WAV recording sink.
#include "platform/espeak/WavFileSink.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>

#include "platform/Diagnostics.h"

namespace zemtra::platform::espeak {

namespace {

constexpr int64_t kHeaderBytes = 44;
// A RIFF file counts its bytes in 32 bits; the recording stops growing there.
constexpr int64_t kMaximumSamples = (std::numeric_limits<uint32_t>::max() - kHeaderBytes) / 2;

void putLittleEndian(std::array<unsigned char, kHeaderBytes>& header, size_t at, uint32_t value,
                     int bytes) {
    for (int i = 0; i < bytes; ++i) header[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace

Result<std::unique_ptr<WavFileSink>> WavFileSink::create(const std::string& path, int sampleRate) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        const int error = errno;
        return fail("cannot write the speech recording " + path + ": " + std::strerror(error),
                    std::error_code(error, std::generic_category()));
    }
    auto sink = std::make_unique<WavFileSink>(Passkey{}, std::move(file), sampleRate);
    if (sink->failed_) return fail("cannot write the speech recording " + path);
    return sink;
}

WavFileSink::WavFileSink(Passkey, std::unique_ptr<std::FILE, FileCloser> file, int sampleRate)
    : file_(std::move(file)), sampleRate_(sampleRate) {
    writeHeader();
}

WavFileSink::~WavFileSink() {
    writeHeader();
}

void WavFileSink::writeHeader() {
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
    std::FILE* file = file_.get();
    const long end = std::ftell(file);
    if (std::fseek(file, 0, SEEK_SET) != 0 ||
        std::fwrite(header.data(), 1, header.size(), file) != header.size())
        failed_ = true;
    if (end > 0) std::fseek(file, end, SEEK_SET);
    std::fflush(file);
}

void WavFileSink::play(int64_t start, std::vector<int16_t> samples) {
    if (start < written_) {
        // Only audio that is not yet due can be scheduled; keep the part still to come.
        const auto late = static_cast<size_t>(std::min<int64_t>(written_ - start, samples.size()));
        samples.erase(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(late));
        start = written_;
    }
    const auto offset = static_cast<size_t>(start - written_);
    if (ahead_.size() < offset + samples.size()) ahead_.resize(offset + samples.size(), 0);
    std::copy(samples.begin(), samples.end(), ahead_.begin() + static_cast<std::ptrdiff_t>(offset));
}

void WavFileSink::cutAt(int64_t at) {
    const int64_t keep = std::max<int64_t>(0, at - written_);
    if (static_cast<int64_t>(ahead_.size()) > keep) ahead_.resize(static_cast<size_t>(keep));
}

void WavFileSink::advanceTo(int64_t now) {
    now = std::min(now, kMaximumSamples);
    if (now <= written_) return;
    // Written in pieces so that a long silence never needs a buffer of its length.
    constexpr int64_t kPiece = 1 << 16;
    std::vector<unsigned char> bytes;
    while (now > written_ && !failed_) {
        const auto due = static_cast<size_t>(std::min(now - written_, kPiece));
        const size_t fromAudio = std::min(due, ahead_.size());
        bytes.assign(due * 2, 0);  // silence unless audio is due
        for (size_t i = 0; i < fromAudio; ++i) {
            const auto sample = static_cast<uint16_t>(ahead_[i]);
            bytes[2 * i] = static_cast<unsigned char>(sample & 0xff);
            bytes[2 * i + 1] = static_cast<unsigned char>(sample >> 8);
        }
        ahead_.erase(ahead_.begin(), ahead_.begin() + static_cast<std::ptrdiff_t>(fromAudio));
        if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) {
            diagnostics::error("writing the speech recording failed; it ends here");
            failed_ = true;
            return;
        }
        written_ += static_cast<int64_t>(due);
    }
    writeHeader();
}

}  // namespace zemtra::platform::espeak
