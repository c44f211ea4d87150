// A font as views use it (family, size in points, bold, italic), and its wrapper.
#pragma once

#include "platform/ViewTree.h"
#include "runtime/core/RtObjectWrapper.h"

namespace zemtra {

class UiFont final : public Object {
  public:
    static constexpr StringView kClassName = u"UiFont";
    explicit UiFont(platform::Font font) : font(std::move(font)) {}
    String className() const override { return String(kClassName); }
    String description() const override;
    bool isEqual(const Value& other) const override;
    // Equal fonts hash alike, so they are one key in a dictionary.
    size_t hash() const override;

    const platform::Font font;
};

class RtFontWrapper final : public RtObjectWrapper {
  public:
    static constexpr StringView kClassName = u"RtFontWrapper";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override { return &classInfoOf<UiFont>(); }
    const MethodTable* methods() const override;

    static std::shared_ptr<RtFontWrapper> wrap(platform::Font font);
    // The system font of that size, and a named family.
    std::shared_ptr<RtFontWrapper> CreateNew(float size) const;
    std::shared_ptr<RtFontWrapper> CreateNew2(const String& name, float size) const;
    std::shared_ptr<RtFontWrapper> CreateNewBold(float size) const;
    std::shared_ptr<RtFontWrapper> CreateNewItalic(float size) const;
    float Size() const { return font().size; }
    String Name() const;

    const platform::Font& font() const { return objectAs<UiFont>()->font; }
};

}  // namespace zemtra
