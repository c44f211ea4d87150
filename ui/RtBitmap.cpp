// Image loading with the "@2x" rule.
#include "ui/RtBitmap.h"

#include "runtime/core/MethodTable.h"
#include "runtime/lib/RtInputStream.h"
#include "runtime/lib/RtOutputStream.h"
#include "ui/FileAccess.h"
#include "ui/Screen.h"

namespace zemtra {

const MethodTable* RtBitmap::methods() const {
    static const MethodTable table{
        MethodTable::operation("Initialize::", &RtBitmap::Initialize),
        MethodTable::operation("Initialize2:", &RtBitmap::Initialize2),
        MethodTable::operation("WriteToStream:::", &RtBitmap::WriteToStream),
        MethodTable::operation("Width", &RtBitmap::Width),
        MethodTable::operation("Height", &RtBitmap::Height),
        MethodTable::operation("IsInitialized", &RtBitmap::IsInitialized),
    };
    return &table;
}

void RtBitmap::Initialize(const String& dir, const String& fileName) {
    setObject(Value(load(dir, fileName)));
}

void RtBitmap::Initialize2(const std::shared_ptr<RtInputStream>& input) {
    if (!input) raise(u"", u"Object was not initialized (%@)", {RtInputStream::kClassName});
    std::vector<uint8_t> bytes;
    uint8_t chunk[8192];
    while (const int32_t count = input->readInto(chunk))
        bytes.insert(bytes.end(), chunk, chunk + count);
    setObject(Value(decode(bytes, 1)));
}

void RtBitmap::WriteToStream(const std::shared_ptr<RtOutputStream>& output, int32_t quality,
                             const String& format) const {
    const UiImage& source = image();
    if (!output) raise(u"", u"Object was not initialized (%@)", {RtOutputStream::kClassName});
    const platform::ImageCodec* codec = Screen::main().imageCodec();
    const auto encoded = codec ? codec->encode(*source.pixels(),
                                               format == u"PNG" ? platform::ImageFormat::Png
                                                                : platform::ImageFormat::Jpeg,
                                               quality)
                               : std::nullopt;
    if (!encoded) raise(u"", u"Error writing image.");
    output->writeAll(*encoded);
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
