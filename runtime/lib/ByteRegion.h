// The byte region of an array that a stream operation reads or writes, range-checked first.
#pragma once

#include <cstdint>
#include <span>

#include "runtime/lib/RtArray.h"

namespace zemtra {

// Bytes start..start+length of the array's byte storage. Raises "Out of bounds. Index=%d
// Length=%d" (the first index outside, the byte count) when the region does not lie within it; an
// array without byte storage has 0 bytes.
std::span<uint8_t> byteRegion(const RtArray& array, int32_t start, int32_t length);

}  // namespace zemtra
