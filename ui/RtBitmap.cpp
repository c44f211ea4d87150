// Image loading with the "@2x" rule.
#include "ui/RtBitmap.h"

#include "runtime/core/MethodTable.h"
#include "ui/FileAccess.h"
#include "ui/Screen.h"

namespace zemtra {

const MethodTable* RtBitmap::methods() const {
    static const MethodTable table{
        MethodTable::operation("Initialize::", &RtBitmap::Initialize),
        MethodTable::operation("Width", &RtBitmap::Width),
        MethodTable::operation("Height", &RtBitmap::Height),
        MethodTable::operation("IsInitialized", &RtBitmap::IsInitialized),
    };
    return &table;
}

void RtBitmap::Initialize(const String& dir, const String& fileName) {
    setObject(Value(load(dir, fileName)));
}

std::shared_ptr<UiImage> RtBitmap::load(StringView dir, StringView fileName) {
    String name(fileName);
    float scale = 1;
    const size_t dot = name.rfind(u'.');
    if (dot != String::npos) {
        const StringView base = StringView(name).substr(0, dot);
        if (base.ends_with(u"@2x")) {
            scale = 2;
        } else if (Screen::main().scale() > 1) {
            String candidate = String(base) + u"@2x" + name.substr(dot);
            if (files::exists(dir, candidate)) {
                name = std::move(candidate);
                scale = 2;
            }
        }
    }
    return decode(files::readAll(dir, name), scale);
}

std::shared_ptr<UiImage> RtBitmap::decode(const std::vector<uint8_t>& bytes, float scale) {
    const platform::ImageCodec* codec = Screen::main().imageCodec();
    std::optional<platform::Image> pixels = codec ? codec->decode(bytes) : std::nullopt;
    if (!pixels || pixels->width <= 0 || pixels->height <= 0) raise(u"", u"Error loading image.");
    pixels->scale = scale;
    return std::make_shared<UiImage>(std::make_shared<const platform::Image>(std::move(*pixels)));
}

}  // namespace zemtra
