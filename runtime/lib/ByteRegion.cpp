// Range checks for stream regions.
#include "runtime/lib/ByteRegion.h"

#include "runtime/core/RtException.h"

namespace zemtra {

std::span<uint8_t> byteRegion(const RtArray& array, int32_t start, int32_t length) {
    const auto& buffer = array.bytesData();
    const int64_t size = buffer ? static_cast<int64_t>(buffer->bytes.size()) : 0;
    const int64_t end = int64_t{start} + length;
    if (start < 0 || start > size || length < 0 || end > size) {
        const int64_t index = start < 0 || start > size ? start : end;
        raise(u"", u"Out of bounds. Index=%d Length=%d", {decimal(index), decimal(size)});
    }
    if (length == 0) return {};
    return std::span<uint8_t>(buffer->bytes)
        .subspan(static_cast<size_t>(start), static_cast<size_t>(length));
}

}  // namespace zemtra
