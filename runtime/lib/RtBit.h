// The Common object's `Bit`: bit operations on 32-bit integers, integer parsing in a radix and
// the floating remainder.
#pragma once

#include <cstdint>
#include <memory>

#include "runtime/core/MethodTable.h"
#include "runtime/core/Object.h"

namespace zemtra {

class RtArray;
class RtInputStream;

class RtBit : public Object {
  public:
    static constexpr StringView kClassName = u"RtBit";
    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override;

    int32_t And(int32_t a, int32_t b) const { return a & b; }
    int32_t Or(int32_t a, int32_t b) const { return a | b; }
    int32_t Xor(int32_t a, int32_t b) const { return a ^ b; }
    int32_t Not(int32_t a) const { return ~a; }
    // Shift counts use their low 5 bits only (33 shifts by 1).
    int32_t ShiftLeft(int32_t a, int32_t n) const;
    // Copies the sign bit in.
    int32_t ShiftRight(int32_t a, int32_t n) const;
    // Shifts zeros in.
    int32_t UnsignedShiftRight(int32_t a, int32_t n) const;

    // The integer at the start of the text in the radix (2 to 36, or 0 to read "0x" as
    // hexadecimal and a leading "0" as octal; radix 16 also accepts "0x"). Leading white space
    // and one sign are skipped; no digits gives 0. The value is taken modulo 2^32, so "FFFFFFFF"
    // in radix 16 gives -1 however long the digits run. Any other radix raises "Invalid radix: %d".
    int32_t ParseInt(const String& text, int32_t radix) const;

    // The remainder of x / y with the sign of x.
    double FMod(double x, double y) const;

    // Everything left in the stream as a new byte array, copied through a memory stream in
    // 8192-byte chunks; the input is closed afterwards. Defined with the streams
    // (RtBitStreams.cpp).
    std::shared_ptr<RtArray> InputStreamToBytes(const std::shared_ptr<RtInputStream>& input) const;
};

}  // namespace zemtra
