// A view class of the application's own, named by a layout's "customType": the layout builds a
// panel for it, then hands the custom view that panel and a copy of its property map. Custom view
// classes are found by name in a registry (a documented process-wide singleton of the
// user-interface layer; resetForTesting() empties it).
#pragma once

#include <functional>
#include <memory>

#include "runtime/core/Object.h"
#include "ui/RtViewWrapper.h"
#include "ui/layout/LayoutFile.h"

namespace zemtra {

class RtPanelWrapper;
class UiView;

class CustomView : public Object {
  public:
    static constexpr StringView kClassName = u"CustomView";
    String className() const override { return String(kClassName); }

    virtual void designerCreateView(const std::shared_ptr<RtPanelWrapper>& base,
                                    const layout::PropertyMap& props) = 0;
    virtual void afterDesignerScript() {}
    // The base panel took a new size.
    virtual void resize(float, float) {}

    // The custom view built on `view` (key "customview" of its attached map), if any.
    static std::shared_ptr<CustomView> of(UiView& view);

    using Factory = std::function<std::shared_ptr<CustomView>()>;
    static void registerClass(StringView name, Factory factory);
    // nullptr when no class has that name.
    static std::shared_ptr<CustomView> create(StringView name);
    static void resetForTesting();
};

// The wrapper of a custom view's base panel.
class RtCustomViewWrapper final : public RtViewWrapper {
  public:
    static constexpr StringView kClassName = u"RtCustomViewWrapper";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override;
    void innerInitialize(const std::shared_ptr<RtCore>& core, StringView prefix,
                         bool viewExists) override;
};

}  // namespace zemtra
