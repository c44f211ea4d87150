// Byte streams on files: reading, writing (append or truncate) and writing a replacement that
// takes the place of the target only when it is complete.
#pragma once

#include <string>
#include <string_view>

#include "runtime/lib/ByteStream.h"
#include "runtime/lib/PosixFile.h"

namespace zemtra {

// A path for a new hidden item beside `target` (same directory, so a rename can replace the
// target): "." + name + "." + purpose + "-" + a random suffix, unused by other writers in all
// likelihood; creators still open it exclusively where they can.
std::string siblingPath(const std::string& target, std::string_view purpose);

// Paths are UTF-8 file system paths. The descriptor is closed on close() or destruction.
class FileInputStream final : public InputByteStream {
  public:
    explicit FileInputStream(std::string path) : path_(std::move(path)) {}
    ~FileInputStream() override;
    String description() const override;

    // A directory cannot be opened (Error, "Is a directory").
    void open() override;
    int64_t read(std::span<uint8_t> buffer) override;
    void close() override;

  private:
    std::string path_;
    FileDescriptor file_;
};

class FileOutputStream final : public OutputByteStream {
  public:
    // append: writes go to the end and a missing file is created; otherwise the file is created
    // or truncated when opened.
    FileOutputStream(std::string path, bool append) : path_(std::move(path)), append_(append) {}
    ~FileOutputStream() override;
    String description() const override;

    void open() override;
    int64_t write(std::span<const uint8_t> bytes) override;
    bool close() override;

  private:
    std::string path_;
    bool append_;
    FileDescriptor file_;
};

// Writes into a new hidden file beside the target; close() flushes it to disk and renames it over
// the target, so at every moment the target holds either its old content or the complete new
// one. A stream that is destroyed without close(), or whose writes failed, is discarded and the
// target keeps its old content. An existing target's permissions are carried over.
class AtomicFileOutputStream final : public OutputByteStream {
  public:
    explicit AtomicFileOutputStream(std::string path) : path_(std::move(path)) {}
    ~AtomicFileOutputStream() override;
    String description() const override;

    void open() override;
    int64_t write(std::span<const uint8_t> bytes) override;
    // Commits (false when flushing or renaming failed; the target is then unchanged). After a
    // failed write it only discards the new file and answers true: the failure was reported by
    // the write.
    bool close() override;

    // The hidden file's path while the stream is open (for tests and diagnostics).
    const std::string& temporaryPath() const { return temporaryPath_; }

  private:
    void discard();

    std::string path_;
    std::string temporaryPath_;
    FileDescriptor file_;
};

}  // namespace zemtra
