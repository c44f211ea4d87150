// Text sizes from QFontMetricsF.
#include "platform/qt/QtTextMetrics.h"

#include <QFontMetricsF>

#include "platform/qt/QtConversions.h"

namespace zemtra::platform::qt {

TextSize QtTextMetrics::measure(const std::u16string& text, const Font& font,
                                float wrapWidth) const {
    const QFontMetricsF metrics(toQFont(font));
    const QRectF bounds =
        wrapWidth > 0
            ? metrics.boundingRect(QRectF(0, 0, wrapWidth, 1e6), Qt::TextWordWrap, toQString(text))
            : metrics.boundingRect(QRectF(0, 0, 1e6, 1e6), 0, toQString(text));
    return {static_cast<float>(std::ceil(bounds.width())),
            static_cast<float>(std::ceil(bounds.height()))};
}

}  // namespace zemtra::platform::qt
