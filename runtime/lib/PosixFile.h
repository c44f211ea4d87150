// The one layer over POSIX file descriptors that the file service and the file streams share:
// a move-only owner of a descriptor, and whole reads and writes that carry on after a signal
// interrupts them (EINTR) and after short transfers. Failures are answered as error numbers
// (errno values, 0 for success); nothing here raises.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zemtra {

class FileDescriptor {
  public:
    FileDescriptor() = default;
    // Takes ownership of an open descriptor (or -1 for none).
    explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : descriptor_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    // open(2) with O_CLOEXEC added, tried again when a signal interrupts it. On failure the
    // answer holds no descriptor and `error` (when given) the error number.
    static FileDescriptor open(const std::string& path, int flags, mode_t mode = 0666,
                               int* error = nullptr);

    bool isOpen() const { return descriptor_ >= 0; }
    int get() const { return descriptor_; }
    // Gives the descriptor up without closing it.
    int release();
    // Closes quietly (for paths where a close error has nothing left to report).
    void reset();
    // Closes and answers close(2)'s error number: some file systems (NFS, full disks) report lost
    // writes only here. An interrupted close has still closed the descriptor on Linux, so EINTR
    // counts as success. Closing no descriptor answers 0.
    int close();

    // One read(2) or write(2), repeated only when interrupted before transferring anything:
    // the count transferred, or -1 with errno set.
    ssize_t readSome(std::span<uint8_t> buffer) const;
    ssize_t writeSome(std::span<const uint8_t> bytes) const;

    // Reads to the end of the file, appending to `out`; EFBIG when it would grow past `limit`
    // bytes in total. Answers the error number, 0 when all was read.
    int readAll(std::vector<uint8_t>& out, size_t limit = SIZE_MAX) const;
    // Writes every byte, however many calls it takes; a write that accepts nothing is EIO rather
    // than an endless loop. Answers the error number, 0 when all was written.
    int writeAll(std::span<const uint8_t> bytes) const;

  private:
    int descriptor_ = -1;
};

}  // namespace zemtra
