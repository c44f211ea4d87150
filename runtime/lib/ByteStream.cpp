// Stream status bookkeeping and the memory streams.
#include "runtime/lib/ByteStream.h"

#include <algorithm>
#include <cstring>

#include "runtime/lib/PlatformError.h"

namespace zemtra {

String ByteStreamState::errorDescription() const {
    return error_ ? error_->localizedDescription : String(u"(null)");
}

int64_t ByteStreamState::fail(std::shared_ptr<RtError> error) {
    error_ = std::move(error);
    status_ = StreamStatus::Error;
    return -1;
}

bool ByteStreamState::usable(bool allowAtEnd) {
    switch (status_) {
        case StreamStatus::Open:
            return true;
        case StreamStatus::AtEnd:
            if (allowAtEnd) return true;
            break;
        case StreamStatus::Error:
            // Keep the error that broke the stream; it is the one worth reporting.
            return false;
        case StreamStatus::NotOpen:
        case StreamStatus::Closed:
            break;
    }
    // Not moved to Error: a closed stream stays closed, it just refuses the call.
    error_ = plainError(status_ == StreamStatus::Closed ? u"The stream is closed."
                                                        : u"The stream is not open.");
    return false;
}

MemoryInputStream::MemoryInputStream(Source source, size_t start, size_t length)
    : source_(std::move(source)), position_(start), end_(start + length) {}

String MemoryInputStream::description() const {
    return u"<memory input stream " + decimal(static_cast<long long>(position_)) + u".." +
           decimal(static_cast<long long>(end_)) + u">";
}

void MemoryInputStream::open() {
    if (status() == StreamStatus::NotOpen) setStatus(StreamStatus::Open);
}

int64_t MemoryInputStream::read(std::span<uint8_t> buffer) {
    if (!usable(true)) return -1;
    const std::span<const uint8_t> block = source_();
    const size_t end = std::min(end_, block.size());
    if (position_ >= end || buffer.empty()) {
        if (position_ >= end) setStatus(StreamStatus::AtEnd);
        return 0;
    }
    const size_t count = std::min(buffer.size(), end - position_);
    std::memcpy(buffer.data(), block.data() + position_, count);
    position_ += count;
    return static_cast<int64_t>(count);
}

void MemoryInputStream::close() {
    setStatus(StreamStatus::Closed);
}

String MemoryOutputStream::description() const {
    return u"<memory output stream " + decimal(static_cast<long long>(contents_.size())) +
           u" bytes>";
}

void MemoryOutputStream::open() {
    if (status() == StreamStatus::NotOpen) setStatus(StreamStatus::Open);
}

int64_t MemoryOutputStream::write(std::span<const uint8_t> bytes) {
    if (!usable(false)) return -1;
    contents_.insert(contents_.end(), bytes.begin(), bytes.end());
    return static_cast<int64_t>(bytes.size());
}

bool MemoryOutputStream::close() {
    setStatus(StreamStatus::Closed);
    return true;
}

}  // namespace zemtra
