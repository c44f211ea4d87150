// Fonts.
#include "ui/UiFont.h"

#include "runtime/core/MethodTable.h"

namespace zemtra {

String UiFont::description() const {
    return u"<UiFont: " + (font.family.empty() ? String(u"System") : font.family) + u" " +
           numberToString(Number::ofFloat(font.size)) + u">";
}

bool UiFont::isEqual(const Value& other) const {
    const auto font = other.as<UiFont>();
    return font && font->font == this->font;
}

size_t UiFont::hash() const {
    const size_t family = std::hash<String>()(font.family);
    const size_t size = std::hash<float>()(font.size);
    return family ^ (size << 1) ^ (static_cast<size_t>(font.bold) << 2) ^
           (static_cast<size_t>(font.italic) << 3);
}

const MethodTable* RtFontWrapper::methods() const {
    static const MethodTable table{
        MethodTable::operation("CreateNew:", &RtFontWrapper::CreateNew),
        MethodTable::operation("CreateNew2::", &RtFontWrapper::CreateNew2),
        MethodTable::operation("CreateNewBold:", &RtFontWrapper::CreateNewBold),
        MethodTable::operation("CreateNewItalic:", &RtFontWrapper::CreateNewItalic),
        MethodTable::operation("Size", &RtFontWrapper::Size),
        MethodTable::operation("Name", &RtFontWrapper::Name),
    };
    return &table;
}

std::shared_ptr<RtFontWrapper> RtFontWrapper::wrap(platform::Font font) {
    auto wrapper = std::make_shared<RtFontWrapper>();
    wrapper->setObject(Value(std::make_shared<UiFont>(std::move(font))));
    return wrapper;
}

std::shared_ptr<RtFontWrapper> RtFontWrapper::CreateNew(float size) const {
    return wrap(platform::Font{u"", size, false, false});
}

std::shared_ptr<RtFontWrapper> RtFontWrapper::CreateNew2(const String& name, float size) const {
    return wrap(platform::Font{name, size, false, false});
}

std::shared_ptr<RtFontWrapper> RtFontWrapper::CreateNewBold(float size) const {
    return wrap(platform::Font{u"", size, true, false});
}

std::shared_ptr<RtFontWrapper> RtFontWrapper::CreateNewItalic(float size) const {
    return wrap(platform::Font{u"", size, false, true});
}

String RtFontWrapper::Name() const {
    const platform::Font& value = font();
    return value.family.empty() ? String(u"System") : value.family;
}

}  // namespace zemtra
