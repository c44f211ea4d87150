// The input stream wrapper.
#include "runtime/lib/RtInputStream.h"

#include "runtime/core/MethodTable.h"
#include "runtime/core/RtException.h"

namespace zemtra {

const MethodTable* RtInputStream::methods() const {
    static const MethodTable table{
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
