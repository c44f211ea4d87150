// The wrapper of a panel (RtPanelView): children by index, layouts, the walk over every
// descendant, and touch events (prefix + "_touch:::", raised at once with the action 0 down,
// 2 move, 1 up, and x, y in the panel's coordinates).
#pragma once

#include <vector>

#include "ui/RtPanelView.h"
#include "ui/RtViewWrapper.h"

namespace zemtra {

class RtLayoutValues;
class RtList;

class RtPanelWrapper final : public RtViewWrapper {
  public:
    static constexpr StringView kClassName = u"RtPanelWrapper";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override { return &classInfoOf<RtPanelView>(); }
    const MethodTable* methods() const override;

    // Creates a new panel view and binds its events.
    void Initialize(const std::shared_ptr<RtCore>& core, const String& prefix);
    // A panel built elsewhere (viewExists) keeps its view; otherwise a new one is made first.
    void innerInitialize(const std::shared_ptr<RtCore>& core, StringView prefix,
                         bool viewExists) override;

    // `view` is a view wrapper or a view; it becomes the frontmost child with that frame.
    void AddView(const zemtra::Value& view, float left, float top, float width, float height);
    // Loads the layout file into this panel and answers the chosen variant's values.
    std::shared_ptr<RtLayoutValues> LoadLayout(const String& name,
                                               const std::shared_ptr<RtCore>& core);
    // Every descendant view, depth first, each parent before its children, in child order: the
    // platform views themselves, in a new list.
    std::shared_ptr<RtList> GetAllViewsRecursive() const;

    int32_t NumberOfViews() const { return static_cast<int32_t>(panel().children().size()); }
    int32_t Size() const { return NumberOfViews(); }
    // Raises "Out of bounds. Index=%d Length=%d" for an index outside the children.
    zemtra::Value GetView(int32_t index) const;
    zemtra::Value Get(int32_t index) const { return GetView(index); }
    void RemoveViewAt(int32_t index);
    void RemoveAllViews();

    int32_t ACTION_DOWN() const { return 0; }
    int32_t ACTION_UP() const { return 1; }
    int32_t ACTION_MOVE() const { return 2; }

    RtPanelView& panel() const { return *objectAs<RtPanelView>(); }

  private:
    const std::shared_ptr<UiView>& childAt(int32_t index) const;
};

}  // namespace zemtra
