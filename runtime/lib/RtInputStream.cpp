// The input stream wrapper.
#include "runtime/lib/RtInputStream.h"

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtException.h"
#include "runtime/lib/ByteRegion.h"
#include "runtime/lib/RtArray.h"

namespace zemtra {

const MethodTable* RtInputStream::methods() const {
    static const MethodTable table{
        MethodTable::operation("InitializeFromBytesArray:::",
                               &RtInputStream::InitializeFromBytesArray),
        MethodTable::operation("ReadBytes:::", &RtInputStream::ReadBytes),
        MethodTable::operation("Close", &RtInputStream::Close),
    };
    return &table;
}

std::shared_ptr<RtInputStream> RtInputStream::opening(std::shared_ptr<InputByteStream> stream) {
    stream->open();
    if (stream->status() == StreamStatus::Error) {
        raise(u"", u"Error opening stream: %@", {stream->errorDescription()});
    }
    auto wrapper = std::make_shared<RtInputStream>();
    wrapper->setObject(Value(std::move(stream)));
    return wrapper;
}

void RtInputStream::InitializeFromBytesArray(const std::shared_ptr<RtArray>& array, int32_t start,
                                             int32_t length) {
    if (!array) raise(u"", u"Object was not initialized (%@)", {RtArray::kClassName});
    byteRegion(*array, start, length);
    // The array's byte block is looked up on each read: the array may be given new storage while
    // the stream lives, and the stream must never read a block that is gone.
    auto source = [array]() -> std::span<const uint8_t> {
        const auto& buffer = array->bytesData();
        return buffer ? std::span<const uint8_t>(buffer->bytes) : std::span<const uint8_t>();
    };
    auto stream = std::make_shared<MemoryInputStream>(std::move(source), static_cast<size_t>(start),
                                                      static_cast<size_t>(length));
    stream->open();
    setObject(Value(std::move(stream)));
}

int32_t RtInputStream::ReadBytes(const std::shared_ptr<RtArray>& array, int32_t start,
                                 int32_t maxLength) {
    if (!array) raise(u"", u"Object was not initialized (%@)", {RtArray::kClassName});
    return readInto(byteRegion(*array, start, maxLength));
}

int32_t RtInputStream::readInto(std::span<uint8_t> buffer) {
    InputByteStream& stream = *objectAs<InputByteStream>();
    const int64_t count = stream.read(buffer);
    if (count < 0) raise(u"", u"Error reading from stream: %@", {stream.errorDescription()});
    return static_cast<int32_t>(count);
}

void RtInputStream::Close() {
    objectAs<InputByteStream>()->close();
}

}  // namespace zemtra
