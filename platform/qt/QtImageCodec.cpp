// Image decoding and encoding with QImage.
#include "platform/qt/QtImageCodec.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cstring>

namespace zemtra::platform::qt {

std::optional<Image> QtImageCodec::decode(std::span<const uint8_t> bytes) const {
    QImage decoded;
    if (bytes.empty() || !decoded.loadFromData(bytes.data(), static_cast<int>(bytes.size())))
        return std::nullopt;
    const QImage argb = decoded.convertToFormat(QImage::Format_ARGB32);
    Image image;
    image.width = argb.width();
    image.height = argb.height();
    image.argb.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    for (int row = 0; row < image.height; ++row) {
        std::memcpy(image.argb.data() + static_cast<size_t>(row) * static_cast<size_t>(image.width),
                    argb.constScanLine(row), static_cast<size_t>(image.width) * 4);
    }
    return image;
}

std::optional<std::vector<uint8_t>> QtImageCodec::encode(const Image& image, ImageFormat format,
                                                         int quality) const {
    if (image.width <= 0 || image.height <= 0 ||
        image.argb.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height)) {
        return std::nullopt;
    }
    const QImage view(reinterpret_cast<const uchar*>(image.argb.data()), image.width, image.height,
                      image.width * 4, QImage::Format_ARGB32);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const bool png = format == ImageFormat::Png;
    if (!view.save(&buffer, png ? "PNG" : "JPEG", png ? -1 : std::clamp(quality, 0, 100)))
        return std::nullopt;
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

float QtImageCodec::displayScale() const {
    // The densest screen: an image chosen for it stays sharp wherever the window goes.
    return qGuiApp ? static_cast<float>(qGuiApp->devicePixelRatio()) : 1.0f;
}

}  // namespace zemtra::platform::qt
