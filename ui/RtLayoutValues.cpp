// Layout variants and their distance from a device.
#include "ui/RtLayoutValues.h"

#include <cmath>
#include <limits>

#include "runtime/core/MethodTable.h"

namespace zemtra {

String RtLayoutValues::description() const {
    return u"(LayoutValues) " + decimal(width_) + u" x " + decimal(height_) + u", scale = 1";
}

const MethodTable* RtLayoutValues::methods() const {
    static const MethodTable table{
        MethodTable::operation("Width", &RtLayoutValues::Width),
        MethodTable::operation("Height", &RtLayoutValues::Height),
        MethodTable::operation("Scale", &RtLayoutValues::Scale),
    };
    return &table;
}

float RtLayoutValues::calcDistance(float deviceWidth, float deviceHeight) const {
    const auto width = static_cast<float>(width_);
    const auto height = static_cast<float>(height_);
    if (width > 1.2f * deviceWidth || height > 1.2f * deviceHeight)
        return std::numeric_limits<float>::max();
    const float paddedWidth = width > deviceWidth ? width + 50 : width;
    const float paddedHeight = height > deviceHeight ? height + 50 : height;
    const bool sameOrientation = (paddedWidth >= paddedHeight && deviceWidth >= deviceHeight) ||
                                 (paddedWidth < paddedHeight && deviceWidth < deviceHeight);
    const float horizontal = std::fabs(std::trunc(paddedWidth - deviceWidth));
    const float vertical = std::fabs(std::trunc(paddedHeight - deviceHeight));
    return horizontal + vertical + (sameOrientation ? 0.0f : 100.0f);
}

}  // namespace zemtra
