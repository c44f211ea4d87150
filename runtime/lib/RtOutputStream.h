// The output stream wrapper: writes bytes to a file or into a growing memory buffer. Its wrapped
// object is an OutputByteStream ("NSOutputStream"). Streams from the file service arrive open and
// stay usable until Close; closing is not automatic.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "runtime/core/RtObjectWrapper.h"
#include "runtime/lib/ByteStream.h"

namespace zemtra {

class RtArray;

class RtOutputStream : public RtObjectWrapper {
  public:
    static constexpr StringView kClassName = u"RtOutputStream";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override { return &classInfoOf<OutputByteStream>(); }
    const MethodTable* methods() const override;

    // Opens the stream and wraps it; raises "Error opening stream: %@" when it does not open.
    static std::shared_ptr<RtOutputStream> opening(std::shared_ptr<OutputByteStream> stream);

    // Consecutive offers that the stream may accept nothing of before the write fails: a sink
    // that never takes data must end in an error, not in an endless loop.
    static constexpr int kStalledWriteLimit = 16;

    // Becomes an open stream into a growing memory buffer (the size is only a hint).
    void InitializeToBytesArray(int32_t initialSize);
    // Writes exactly `length` bytes of the array from `start` (see writeAll). A region outside the
    // array raises "Out of bounds. Index=%d Length=%d" before anything is written.
    void WriteBytes(const std::shared_ptr<RtArray>& array, int32_t start, int32_t length);
    // A new byte array with everything written to a memory stream so far (the stream stays
    // usable); for a file stream an array without storage.
    std::shared_ptr<RtArray> ToBytesArray() const;

    // Offers the bytes until all are taken, straight from the caller's memory. Raises "Error
    // writing to stream: %@" when the stream fails or stalls (accepts nothing kStalledWriteLimit
    // times in a row).
    void writeAll(std::span<const uint8_t> bytes);
    // Raises "Error writing to stream: %@" when finishing the stream fails (a replacing stream
    // that cannot take the target's place).
    void Close();
};

}  // namespace zemtra
