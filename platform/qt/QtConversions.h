// Conversions between the platform interfaces' plain types and Qt's.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include "platform/ViewTree.h"

namespace zemtra::platform::qt {

inline QString toQString(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

inline std::u16string fromQString(const QString& text) {
    return text.toStdU16String();
}

inline QColor toQColor(uint32_t argb) {
    return QColor::fromRgba(argb);
}

// A button's text with each "&" doubled, so Qt shows it instead of taking it as a shortcut mark.
inline QString withLiteralAmpersands(QString text) {
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

// Points are pixels at scale 1, so font sizes are pixel sizes.
QFont toQFont(const Font& font);

}  // namespace zemtra::platform::qt
