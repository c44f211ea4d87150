// The Common object's `Colors`: named colours and packing of components into 32-bit ARGB
// integers (alpha in the top byte).
#pragma once

#include <cstdint>

#include "runtime/core/MethodTable.h"
#include "runtime/core/Object.h"

namespace zemtra {

class RtColors : public Object {
  public:
    static constexpr StringView kClassName = u"RtColors";
    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override;

    int32_t Black() const { return packed(0xFF000000); }
    int32_t DarkGray() const { return packed(0xFF444444); }
    int32_t Gray() const { return packed(0xFF888888); }
    int32_t LightGray() const { return packed(0xFFCCCCCC); }
    int32_t White() const { return packed(0xFFFFFFFF); }
    int32_t Red() const { return packed(0xFFFF0000); }
    int32_t Green() const { return packed(0xFF00FF00); }
    int32_t Blue() const { return packed(0xFF0000FF); }
    int32_t Yellow() const { return packed(0xFFFFFF00); }
    int32_t Cyan() const { return packed(0xFF00FFFF); }
    int32_t Magenta() const { return packed(0xFFFF00FF); }
    int32_t Transparent() const { return 0; }

    // Components are not masked: each must lie in 0 to 255, or it spills into its neighbours.
    int32_t ARGB(int32_t alpha, int32_t red, int32_t green, int32_t blue) const;
    int32_t RGB(int32_t red, int32_t green, int32_t blue) const {
        return ARGB(255, red, green, blue);
    }

  private:
    static constexpr int32_t packed(uint32_t argb) { return static_cast<int32_t>(argb); }
};

}  // namespace zemtra
