// The view classes a layout may name in "type": each makes its wrapper and builds its platform
// view from a view map, reading its own keys. A key that is absent leaves the new view's default
// in place; the designer's default-colour marker FFF0F8FF on a text, tint or other secondary
// colour does the same (a background colour is applied as it is, marker included).
#pragma once

#include <memory>

#include "ui/layout/LayoutFile.h"

namespace zemtra {

class RtCore;
class RtViewWrapper;
class UiView;

// The marker the designer writes for "the platform's default colour".
inline constexpr uint32_t kDefaultColorMarker = 0xFFF0F8FFu;

struct ViewBuildContext {
    // Receives "Error loading bitmap: %@" lines; may be null (the shared object is used then).
    std::shared_ptr<RtCore> core;
};

struct ViewClass {
    StringView name;
    std::shared_ptr<RtViewWrapper> (*makeWrapper)();
    std::shared_ptr<UiView> (*build)(const layout::PropertyMap& map,
                                     const ViewBuildContext& context);
};

// nullptr for a name that is not a view class.
const ViewClass* findViewClass(StringView name);

// A secondary colour of a view map: absent for a missing key or the default-colour marker.
std::optional<uint32_t> secondaryColor(const layout::PropertyMap& map, StringView key);

}  // namespace zemtra
