// Bit operations and radix parsing.
#include "runtime/lib/RtBit.h"

#include <cmath>

#include "runtime/core/RtException.h"
#include "runtime/lib/RtArray.h"
#include "runtime/lib/RtInputStream.h"

namespace zemtra {

namespace {

// The value of a digit in radices up to 36, or 99 for anything else.
int digitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'z') return c - u'a' + 10;
    if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
    return 99;
}

// The white space that C's strtol skips.
bool isLeadingSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

}  // namespace

const MethodTable* RtBit::methods() const {
    static const MethodTable table{
        MethodTable::operation("And::", &RtBit::And),
        MethodTable::operation("Or::", &RtBit::Or),
        MethodTable::operation("Xor::", &RtBit::Xor),
        MethodTable::operation("Not:", &RtBit::Not),
        MethodTable::operation("ShiftLeft::", &RtBit::ShiftLeft),
        MethodTable::operation("ShiftRight::", &RtBit::ShiftRight),
        MethodTable::operation("UnsignedShiftRight::", &RtBit::UnsignedShiftRight),
        MethodTable::operation("ParseInt::", &RtBit::ParseInt),
        MethodTable::operation("FMod::", &RtBit::FMod),
        MethodTable::operation("InputStreamToBytes:", &RtBit::InputStreamToBytes),
    };
    return &table;
}

int32_t RtBit::ShiftLeft(int32_t a, int32_t n) const {
    return static_cast<int32_t>(static_cast<uint32_t>(a) << (n & 31));
}

int32_t RtBit::ShiftRight(int32_t a, int32_t n) const {
    return a >> (n & 31);
}

int32_t RtBit::UnsignedShiftRight(int32_t a, int32_t n) const {
    return static_cast<int32_t>(static_cast<uint32_t>(a) >> (n & 31));
}

int32_t RtBit::ParseInt(const String& text, int32_t radix) const {
    if (radix != 0 && (radix < 2 || radix > 36)) raise(u"", u"Invalid radix: %d", {decimal(radix)});
    size_t i = 0;
    while (i < text.size() && isLeadingSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';

    // A "0x" counts as a prefix only when a hexadecimal digit follows it; otherwise the "0"
    // alone is the number.
    const bool hexPrefix = i + 2 < text.size() && text[i] == u'0' &&
                           (text[i + 1] == u'x' || text[i + 1] == u'X') &&
                           digitValue(text[i + 2]) < 16;
    if ((radix == 0 || radix == 16) && hexPrefix) {
        radix = 16;
        i += 2;
    } else if (radix == 0) {
        radix = i < text.size() && text[i] == u'0' ? 8 : 10;
    }

    // Unsigned arithmetic wraps modulo 2^32, which is exactly the cut to 32 bits.
    uint32_t value = 0;
    for (; i < text.size() && digitValue(text[i]) < radix; ++i) {
        value = value * static_cast<uint32_t>(radix) + static_cast<uint32_t>(digitValue(text[i]));
    }
    return static_cast<int32_t>(negative ? 0u - value : value);
}

double RtBit::FMod(double x, double y) const {
    return std::fmod(x, y);
}

}  // namespace zemtra
