// File streams on POSIX descriptors.
#include "runtime/lib/FileStreams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "runtime/lib/PlatformError.h"

namespace zemtra {

namespace {

int openRetrying(const std::string& path, int flags, mode_t mode = 0666) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// write(2), tried again when a signal interrupts it; -1 with errno set on failure.
ssize_t writeRetrying(int fd, std::span<const uint8_t> bytes) {
    ssize_t count;
    do {
        count = ::write(fd, bytes.data(), bytes.size());
    } while (count < 0 && errno == EINTR);
    return count;
}

void closeQuietly(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

String streamDescription(StringView kind, const std::string& path) {
    return u"<" + String(kind) + u" " + fromUtf8(path) + u">";
}

}  // namespace

std::string siblingPath(const std::string& target, std::string_view purpose) {
    const size_t slash = target.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::random_device random;
    const uint64_t suffix = (uint64_t{random()} << 32) ^ random();
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(suffix));
    return target.substr(0, nameStart) + "." + target.substr(nameStart) + "." +
           std::string(purpose) + "-" + hex;
}

FileInputStream::~FileInputStream() {
    closeQuietly(fd_);
}

String FileInputStream::description() const {
    return streamDescription(u"file input stream", path_);
}

void FileInputStream::open() {
    if (status() != StreamStatus::NotOpen) return;
    fd_ = openRetrying(path_, O_RDONLY);
    if (fd_ < 0) {
        fail(posixError(errno, path_));
        return;
    }
    // Linux opens directories for reading; a stream on one would only fail at the first read.
    struct stat info {};
    if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
        closeQuietly(fd_);
        fail(posixError(EISDIR, path_));
        return;
    }
    setStatus(StreamStatus::Open);
}

int64_t FileInputStream::read(std::span<uint8_t> buffer) {
    if (!usable(true)) return -1;
    ssize_t count;
    do {
        count = ::read(fd_, buffer.data(), buffer.size());
    } while (count < 0 && errno == EINTR);
    if (count < 0) return fail(posixError(errno, path_));
    if (count == 0 && !buffer.empty()) setStatus(StreamStatus::AtEnd);
    return count;
}

void FileInputStream::close() {
    closeQuietly(fd_);
    setStatus(StreamStatus::Closed);
}

FileOutputStream::~FileOutputStream() {
    closeQuietly(fd_);
}

String FileOutputStream::description() const {
    return streamDescription(u"file output stream", path_);
}

void FileOutputStream::open() {
    if (status() != StreamStatus::NotOpen) return;
    fd_ = openRetrying(path_, O_WRONLY | O_CREAT | (append_ ? O_APPEND : O_TRUNC));
    if (fd_ < 0) {
        fail(posixError(errno, path_));
        return;
    }
    setStatus(StreamStatus::Open);
}

int64_t FileOutputStream::write(std::span<const uint8_t> bytes) {
    if (!usable(false)) return -1;
    const ssize_t count = writeRetrying(fd_, bytes);
    if (count < 0) return fail(posixError(errno, path_));
    return count;
}

bool FileOutputStream::close() {
    const bool wasOpen = fd_ >= 0;
    const int result = wasOpen ? ::close(fd_) : 0;
    fd_ = -1;
    if (result != 0 && errno != EINTR) {
        // Some file systems (NFS, full disks) report lost data only here.
        fail(posixError(errno, path_));
        return false;
    }
    setStatus(StreamStatus::Closed);
    return true;
}

AtomicFileOutputStream::~AtomicFileOutputStream() {
    discard();
}

String AtomicFileOutputStream::description() const {
    return streamDescription(u"replacing output stream", path_);
}

void AtomicFileOutputStream::open() {
    if (status() != StreamStatus::NotOpen) return;
    for (int attempt = 0; attempt < 10; ++attempt) {
        temporaryPath_ = siblingPath(path_, "tmp");
        fd_ = openRetrying(temporaryPath_, O_WRONLY | O_CREAT | O_EXCL);
        if (fd_ >= 0 || errno != EEXIST) break;
    }
    if (fd_ < 0) {
        const int error = errno;
        temporaryPath_.clear();
        fail(posixError(error, path_));
        return;
    }
    struct stat target {};
    if (::stat(path_.c_str(), &target) == 0) ::fchmod(fd_, target.st_mode & 07777);
    setStatus(StreamStatus::Open);
}

int64_t AtomicFileOutputStream::write(std::span<const uint8_t> bytes) {
    if (!usable(false)) return -1;
    const ssize_t count = writeRetrying(fd_, bytes);
    if (count < 0) return fail(posixError(errno, path_));
    return count;
}

bool AtomicFileOutputStream::close() {
    if (fd_ < 0 || status() != StreamStatus::Open) {
        discard();
        setStatus(StreamStatus::Closed);
        return true;
    }
    int error = 0;
    if (::fsync(fd_) != 0) error = errno;
    if (::close(fd_) != 0 && error == 0 && errno != EINTR) error = errno;
    fd_ = -1;
    if (error == 0 && ::rename(temporaryPath_.c_str(), path_.c_str()) != 0) error = errno;
    if (error != 0) {
        discard();
        fail(posixError(error, path_));
        return false;
    }
    temporaryPath_.clear();
    // Make the rename itself durable; a failure here loses nothing that is not already safe.
    const size_t slash = path_.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : path_.substr(0, slash + 1);
    int directoryFd = openRetrying(directory, O_RDONLY | O_DIRECTORY);
    if (directoryFd >= 0) {
        ::fsync(directoryFd);
        closeQuietly(directoryFd);
    }
    setStatus(StreamStatus::Closed);
    return true;
}

void AtomicFileOutputStream::discard() {
    closeQuietly(fd_);
    if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
}

}  // namespace zemtra
