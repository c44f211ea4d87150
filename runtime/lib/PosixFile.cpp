// File descriptors with interrupt retry.
#include "runtime/lib/PosixFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace zemtra {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        reset();
        descriptor_ = other.release();
    }
    return *this;
}

FileDescriptor FileDescriptor::open(const std::string& path, int flags, mode_t mode, int* error) {
    int descriptor;
    do {
        descriptor = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (descriptor < 0 && errno == EINTR);
    if (error) *error = descriptor < 0 ? errno : 0;
    return FileDescriptor(descriptor);
}

int FileDescriptor::release() {
    const int descriptor = descriptor_;
    descriptor_ = -1;
    return descriptor;
}

void FileDescriptor::reset() {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
}

int FileDescriptor::close() {
    if (descriptor_ < 0) return 0;
    const int result = ::close(release());
    return result != 0 && errno != EINTR ? errno : 0;
}

ssize_t FileDescriptor::readSome(std::span<uint8_t> buffer) const {
    ssize_t count;
    do {
        count = ::read(descriptor_, buffer.data(), buffer.size());
    } while (count < 0 && errno == EINTR);
    return count;
}

ssize_t FileDescriptor::writeSome(std::span<const uint8_t> bytes) const {
    ssize_t count;
    do {
        count = ::write(descriptor_, bytes.data(), bytes.size());
    } while (count < 0 && errno == EINTR);
    return count;
}

int FileDescriptor::readAll(std::vector<uint8_t>& out, size_t limit) const {
    std::array<uint8_t, 65536> chunk;
    for (;;) {
        const ssize_t count = readSome(chunk);
        if (count < 0) return errno;
        if (count == 0) return 0;
        if (out.size() + static_cast<size_t>(count) > limit) return EFBIG;
        out.insert(out.end(), chunk.begin(), chunk.begin() + count);
    }
}

int FileDescriptor::writeAll(std::span<const uint8_t> bytes) const {
    while (!bytes.empty()) {
        const ssize_t count = writeSome(bytes);
        if (count < 0) return errno;
        if (count == 0) return EIO;
        bytes = bytes.subspan(static_cast<size_t>(count));
    }
    return 0;
}

}  // namespace zemtra
