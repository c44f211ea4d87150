// A layout variant as the loader chooses it: the designed screen size in points (scale always 1),
// and its distance from a device.
#pragma once

#include <cstdint>

#include "runtime/core/Object.h"

namespace zemtra {

class RtLayoutValues final : public Object {
  public:
    static constexpr StringView kClassName = u"RtLayoutValues";
    RtLayoutValues(int32_t width, int32_t height) : width_(width), height_(height) {}
    String className() const override { return String(kClassName); }
    String description() const override;
    const MethodTable* methods() const override;

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    float Scale() const { return 1.0f; }

    // The distance of this variant from a device of the given size (smaller fits better):
    // - larger than 1.2 times the device in either direction: the largest float (too big);
    // - 50 is added to a side that is larger than the device's;
    // - |W' - w| + |H' - h|, each difference truncated toward zero, plus 100 when the orientation
    //   (W' >= H' against w >= h) differs.
    float calcDistance(float deviceWidth, float deviceHeight) const;

  private:
    int32_t width_;
    int32_t height_;
};

}  // namespace zemtra
