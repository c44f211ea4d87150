// The input stream wrapper: reads bytes from a file or from a region of a byte array. Its wrapped
// object is an InputByteStream ("NSInputStream"). Streams from the file service arrive open and
// stay usable until Close; closing is not automatic (the descriptor is released when the last
// reference goes, though).
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "runtime/core/RtObjectWrapper.h"
#include "runtime/lib/ByteStream.h"

namespace zemtra {

class RtArray;

class RtInputStream : public RtObjectWrapper {
  public:
    static constexpr StringView kClassName = u"RtInputStream";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override { return &classInfoOf<InputByteStream>(); }
    const MethodTable* methods() const override;

    // Opens the stream and wraps it; raises "Error opening stream: %@" when it does not open.
    static std::shared_ptr<RtInputStream> opening(std::shared_ptr<InputByteStream> stream);

    // Becomes an open stream over bytes start..start+length of the byte array, read in place: the
    // stream sees what the array holds at read time and keeps the array alive. A region outside
    // the array raises "Out of bounds. Index=%d Length=%d".
    void InitializeFromBytesArray(const std::shared_ptr<RtArray>& array, int32_t start,
                                  int32_t length);
    // Reads up to maxLength bytes into the array from `start`: the count, 0 at the end of the
    // stream. A region outside the array raises "Out of bounds. Index=%d Length=%d" before
    // anything is read.
    int32_t ReadBytes(const std::shared_ptr<RtArray>& array, int32_t start, int32_t maxLength);

    // Reads up to buffer.size() bytes: the count, 0 at the end; raises "Error reading from stream:
    // %@" when the stream fails (also after Close).
    int32_t readInto(std::span<uint8_t> buffer);
    void Close();
};

}  // namespace zemtra
