// One loaded layout: its variants, its root property map, the views it built (by lower-cased
// designer name, and per view map for re-applying positions), the variant in use and the name of
// its designer script. Designer scripts reach the views by name through it.
#pragma once

#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "runtime/core/Object.h"
#include "ui/layout/LayoutFile.h"

namespace zemtra {

class CustomView;
class RtViewWrapper;
class UiView;

struct RtViewData {
    std::shared_ptr<UiView> view;
};

class RtLayoutData final : public Object {
  public:
    static constexpr StringView kClassName = u"RtLayoutData";
    String className() const override { return String(kClassName); }
    const MethodTable* methods() const override;

    // Designer-script access by view name (any case); a name without a view raises
    // "View not found: %@".
    std::shared_ptr<RtViewWrapper> get(const String& name) const;
    void setText(const String& name, const String& text) const;
    void setTextSize(const String& name, float size) const;
    float getTextSize(const String& name) const;

    String fileName;
    std::vector<layout::Variant> variants;
    std::shared_ptr<const layout::PropertyMap> props;
    std::map<String, RtViewData, std::less<>> viewsMap;
    // The view each view map built, for re-applying positions.
    std::unordered_map<const layout::PropertyMap*, std::shared_ptr<UiView>> builtViews;
    std::vector<std::shared_ptr<CustomView>> customViews;
    size_t variantIndex = 0;
    String designerScriptName;

  private:
    UiView& viewNamed(const String& name) const;
};

}  // namespace zemtra
