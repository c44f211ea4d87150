// The output stream wrapper.
#include "runtime/lib/RtOutputStream.h"

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtException.h"
#include "runtime/lib/ByteRegion.h"
#include "runtime/lib/RtArray.h"

namespace zemtra {

const MethodTable* RtOutputStream::methods() const {
    static const MethodTable table{
        MethodTable::operation("InitializeToBytesArray:", &RtOutputStream::InitializeToBytesArray),
        MethodTable::operation("WriteBytes:::", &RtOutputStream::WriteBytes),
        MethodTable::operation("ToBytesArray", &RtOutputStream::ToBytesArray),
        MethodTable::operation("Close", &RtOutputStream::Close),
    };
    return &table;
}

std::shared_ptr<RtOutputStream> RtOutputStream::opening(std::shared_ptr<OutputByteStream> stream) {
    stream->open();
    if (stream->status() == StreamStatus::Error) {
        raise(u"", u"Error opening stream: %@", {stream->errorDescription()});
    }
    auto wrapper = std::make_shared<RtOutputStream>();
    wrapper->setObject(Value(std::move(stream)));
    return wrapper;
}

void RtOutputStream::InitializeToBytesArray(int32_t) {
    auto stream = std::make_shared<MemoryOutputStream>();
    stream->open();
    setObject(Value(std::move(stream)));
}

void RtOutputStream::WriteBytes(const std::shared_ptr<RtArray>& array, int32_t start,
                                int32_t length) {
    if (!array) raise(u"", u"Object was not initialized (%@)", {RtArray::kClassName});
    writeAll(byteRegion(*array, start, length));
}

std::shared_ptr<RtArray> RtOutputStream::ToBytesArray() const {
    if (const auto memory = std::dynamic_pointer_cast<MemoryOutputStream>(object())) {
        return RtArray::ofBytes(memory->contents());
    }
    return std::make_shared<RtArray>();
}

void RtOutputStream::writeAll(std::span<const uint8_t> bytes) {
    OutputByteStream& stream = *objectAs<OutputByteStream>();
    int stalled = 0;
    while (!bytes.empty()) {
        const int64_t accepted = stream.write(bytes);
        if (accepted < 0) raise(u"", u"Error writing to stream: %@", {stream.errorDescription()});
        if (accepted == 0) {
            if (++stalled >= kStalledWriteLimit) {
                raise(u"", u"Error writing to stream: %@", {u"The stream accepted no data."});
            }
            continue;
        }
        stalled = 0;
        bytes = bytes.subspan(std::min(static_cast<size_t>(accepted), bytes.size()));
    }
}

void RtOutputStream::Close() {
    OutputByteStream& stream = *objectAs<OutputByteStream>();
    if (!stream.close()) raise(u"", u"Error writing to stream: %@", {stream.errorDescription()});
}

}  // namespace zemtra
