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

FileInputStream::~FileInputStream() = default;

String FileInputStream::description() const {
    return streamDescription(u"file input stream", path_);
}

void FileInputStream::open() {
    if (status() != StreamStatus::NotOpen) return;
    int error = 0;
    file_ = FileDescriptor::open(path_, O_RDONLY, 0, &error);
    if (!file_.isOpen()) {
        fail(posixError(error, path_));
        return;
    }
    // Linux opens directories for reading; a stream on one would only fail at the first read.
    struct stat info {};
    if (::fstat(file_.get(), &info) == 0 && S_ISDIR(info.st_mode)) {
        file_.reset();
        fail(posixError(EISDIR, path_));
        return;
    }
    setStatus(StreamStatus::Open);
}

int64_t FileInputStream::read(std::span<uint8_t> buffer) {
    if (!usable(true)) return -1;
    const ssize_t count = file_.readSome(buffer);
    if (count < 0) return fail(posixError(errno, path_));
    if (count == 0 && !buffer.empty()) setStatus(StreamStatus::AtEnd);
    return count;
}

void FileInputStream::close() {
    file_.reset();
    setStatus(StreamStatus::Closed);
}

FileOutputStream::~FileOutputStream() = default;

String FileOutputStream::description() const {
    return streamDescription(u"file output stream", path_);
}

void FileOutputStream::open() {
    if (status() != StreamStatus::NotOpen) return;
    int error = 0;
    file_ = FileDescriptor::open(path_, O_WRONLY | O_CREAT | (append_ ? O_APPEND : O_TRUNC), 0666,
                                 &error);
    if (!file_.isOpen()) {
        fail(posixError(error, path_));
        return;
    }
    setStatus(StreamStatus::Open);
}

int64_t FileOutputStream::write(std::span<const uint8_t> bytes) {
    if (!usable(false)) return -1;
    const ssize_t count = file_.writeSome(bytes);
    if (count < 0) return fail(posixError(errno, path_));
    return count;
}

bool FileOutputStream::close() {
    // Some file systems (NFS, full disks) report lost data only here.
    if (const int error = file_.close()) {
        fail(posixError(error, path_));
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
    int error = 0;
    for (int attempt = 0; attempt < 10; ++attempt) {
        temporaryPath_ = siblingPath(path_, "tmp");
        file_ = FileDescriptor::open(temporaryPath_, O_WRONLY | O_CREAT | O_EXCL, 0666, &error);
        if (file_.isOpen() || error != EEXIST) break;
    }
    if (!file_.isOpen()) {
        temporaryPath_.clear();
        fail(posixError(error, path_));
        return;
    }
    struct stat target {};
    if (::stat(path_.c_str(), &target) == 0) ::fchmod(file_.get(), target.st_mode & 07777);
    setStatus(StreamStatus::Open);
}

int64_t AtomicFileOutputStream::write(std::span<const uint8_t> bytes) {
    if (!usable(false)) return -1;
    const ssize_t count = file_.writeSome(bytes);
    if (count < 0) return fail(posixError(errno, path_));
    return count;
}

bool AtomicFileOutputStream::close() {
    if (!file_.isOpen() || status() != StreamStatus::Open) {
        discard();
        setStatus(StreamStatus::Closed);
        return true;
    }
    int error = 0;
    if (::fsync(file_.get()) != 0) error = errno;
    if (const int closeError = file_.close(); error == 0) error = closeError;
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
    const FileDescriptor directoryFile = FileDescriptor::open(directory, O_RDONLY | O_DIRECTORY);
    if (directoryFile.isOpen()) ::fsync(directoryFile.get());
    setStatus(StreamStatus::Closed);
    return true;
}

void AtomicFileOutputStream::discard() {
    file_.reset();
    if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
}

}  // namespace zemtra
