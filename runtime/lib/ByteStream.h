// The byte streams that the stream wrappers hold: an input side and an output side with the
// platform stream's contract (open, read or write a span, close, a status and an error), and the
// memory streams. File streams are in FileStreams.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "runtime/core/Object.h"
#include "runtime/core/RtCore.h"

namespace zemtra {

enum class StreamStatus { NotOpen, Open, AtEnd, Closed, Error };

// State shared by both directions: a status and the error that put the stream into Error.
class ByteStreamState {
  public:
    StreamStatus status() const { return status_; }
    // The error behind the Error status (or behind a refused call); nullptr while all is well.
    const std::shared_ptr<RtError>& streamError() const { return error_; }
    // The error's description for reason texts, "(null)" when there is none.
    String errorDescription() const;

  protected:
    void setStatus(StreamStatus status) { status_ = status; }
    // Records the error and moves to Error; answers -1 so that read and write can return it.
    int64_t fail(std::shared_ptr<RtError> error);
    // Whether the stream takes calls: Open, or AtEnd when `allowAtEnd` (reads). Otherwise the
    // refusal is recorded as streamError() ("The stream is closed." / "is not open."), unless an
    // earlier error already put the stream into Error.
    bool usable(bool allowAtEnd);

  private:
    StreamStatus status_ = StreamStatus::NotOpen;
    std::shared_ptr<RtError> error_;
};

// A readable byte stream. Single-threaded; a read never blocks longer than the file system does.
class InputByteStream : public Object, public ByteStreamState {
  public:
    static constexpr StringView kClassName = u"NSInputStream";
    String className() const override { return String(kClassName); }

    // Afterwards the status is Open, or Error with streamError() saying why.
    virtual void open() = 0;
    // Reads up to buffer.size() bytes: the count read, 0 at the end of the stream, -1 on failure
    // (also when the stream is not open).
    virtual int64_t read(std::span<uint8_t> buffer) = 0;
    // Idempotent; later reads fail.
    virtual void close() = 0;
};

// A writable byte stream.
class OutputByteStream : public Object, public ByteStreamState {
  public:
    static constexpr StringView kClassName = u"NSOutputStream";
    String className() const override { return String(kClassName); }

    virtual void open() = 0;
    // Offers the bytes: answers how many were accepted (possibly fewer than offered, possibly 0),
    // or -1 on failure (also when the stream is not open).
    virtual int64_t write(std::span<const uint8_t> bytes) = 0;
    // Idempotent; later writes fail. Answers false when closing itself failed (streams that
    // finish their work on closing); streamError() then says why.
    virtual bool close() = 0;
};

// Reads a region of a byte block that someone else owns, without copying it. The block is looked
// up through `source` on every read, so the stream sees the block's contents at read time; reads
// stop at the block's current end even if it shrank, so nothing outside it is ever touched. The
// source keeps the block's owner alive for as long as the stream exists.
class MemoryInputStream final : public InputByteStream {
  public:
    using Source = std::function<std::span<const uint8_t>()>;
    MemoryInputStream(Source source, size_t start, size_t length);
    String description() const override;

    void open() override;
    int64_t read(std::span<uint8_t> buffer) override;
    void close() override;

  private:
    Source source_;
    size_t position_;
    size_t end_;
};

// Collects written bytes in a growing buffer; the buffer can be read at any time.
class MemoryOutputStream final : public OutputByteStream {
  public:
    String description() const override;

    void open() override;
    int64_t write(std::span<const uint8_t> bytes) override;
    bool close() override;

    const std::vector<uint8_t>& contents() const { return contents_; }

  private:
    std::vector<uint8_t> contents_;
};

}  // namespace zemtra
