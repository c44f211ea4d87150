// Colour constants and packing.
#include "runtime/lib/RtColors.h"

namespace zemtra {

const MethodTable* RtColors::methods() const {
    static const MethodTable table{
        MethodTable::operation("Black", &RtColors::Black),
        MethodTable::operation("DarkGray", &RtColors::DarkGray),
        MethodTable::operation("Gray", &RtColors::Gray),
        MethodTable::operation("LightGray", &RtColors::LightGray),
        MethodTable::operation("White", &RtColors::White),
        MethodTable::operation("Red", &RtColors::Red),
        MethodTable::operation("Green", &RtColors::Green),
        MethodTable::operation("Blue", &RtColors::Blue),
        MethodTable::operation("Yellow", &RtColors::Yellow),
        MethodTable::operation("Cyan", &RtColors::Cyan),
        MethodTable::operation("Magenta", &RtColors::Magenta),
        MethodTable::operation("Transparent", &RtColors::Transparent),
        MethodTable::operation("ARGB::::", &RtColors::ARGB),
        MethodTable::operation("RGB:::", &RtColors::RGB),
    };
    return &table;
}

int32_t RtColors::ARGB(int32_t alpha, int32_t red, int32_t green, int32_t blue) const {
    // Shifted as unsigned so that alpha above 127 and stray negative components stay defined.
    const uint32_t argb = static_cast<uint32_t>(alpha) << 24 | static_cast<uint32_t>(red) << 16 |
                          static_cast<uint32_t>(green) << 8 | static_cast<uint32_t>(blue);
    return static_cast<int32_t>(argb);
}

}  // namespace zemtra
