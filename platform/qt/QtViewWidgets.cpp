// Drawing each kind of view with Qt widgets.
#include "platform/qt/QtViewWidgets.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <cmath>

#include "platform/qt/QtConversions.h"

namespace zemtra::platform::qt {

QFont toQFont(const Font& font) {
    QFont result = QApplication::font();
    if (!font.family.empty()) result.setFamily(toQString(font.family));
    result.setPixelSize(std::max(1, static_cast<int>(std::lround(font.size))));
    result.setBold(font.bold);
    result.setItalic(font.italic);
    return result;
}

namespace {

// The view's background and border, inside `rect`.
void paintDecoration(QPainter& painter, const ViewState& state, const QRectF& rect) {
    const QColor background = toQColor(state.backgroundColor);
    const bool border = state.borderWidth > 0;
    if (background.alpha() == 0 && !border) return;
    painter.setRenderHint(QPainter::Antialiasing, state.cornerRadius > 0);
    const qreal inset = border ? state.borderWidth / 2.0 : 0.0;
    const QRectF area = rect.adjusted(inset, inset, -inset, -inset);
    QPainterPath path;
    path.addRoundedRect(area, state.cornerRadius, state.cornerRadius);
    if (background.alpha() > 0) painter.fillPath(path, background);
    if (border) painter.strokePath(path, QPen(toQColor(state.borderColor), state.borderWidth));
}

Qt::Alignment horizontal(TextAlignment alignment) {
    switch (alignment) {
        case TextAlignment::Center:
            return Qt::AlignHCenter;
        case TextAlignment::Right:
            return Qt::AlignRight;
        case TextAlignment::Left:
            break;
    }
    return Qt::AlignLeft;
}

void setTextColor(QWidget& widget, QPalette::ColorRole role, const std::optional<uint32_t>& color) {
    QPalette palette = widget.palette();
    palette.setColor(role, color ? toQColor(*color) : QApplication::palette().color(role));
    widget.setPalette(palette);
}

}  // namespace

void PanelWidget::apply(const ViewState& state, uint32_t changes) {
    drawn_ = state;
    if (changes & (change::kAppearance | change::kImage)) update();
}

void PanelWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintDecoration(painter, drawn_, rect());
}

LabelWidget::LabelWidget(QWidget* parent) : QLabel(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    // A text that looks like markup is still just text.
    setTextFormat(Qt::PlainText);
}

void LabelWidget::apply(const ViewState& state, uint32_t changes) {
    drawn_ = state;
    if (changes & change::kText) setText(toQString(state.text));
    setTextColor(
        *this, QPalette::WindowText,
        state.textColor.has_value() ? state.textColor : std::optional<uint32_t>(0xFF000000u));
    setWordWrap(state.multiline);
    setAlignment(horizontal(state.alignment) | Qt::AlignVCenter);
    fitFont();
    update();
}

void LabelWidget::fitFont() {
    QFont font = toQFont(drawn_.font);
    if (drawn_.adjustFontSizeToFit && !drawn_.multiline && width() > 0) {
        // Shrink (never grow) until the text fits the width.
        while (font.pixelSize() > 6 && QFontMetrics(font).horizontalAdvance(text()) > width()) {
            font.setPixelSize(font.pixelSize() - 1);
        }
    }
    setFont(font);
}

void LabelWidget::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    if (drawn_.adjustFontSizeToFit) fitFont();
}

void LabelWidget::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        paintDecoration(painter, drawn_, rect());
    }
    QLabel::paintEvent(event);
}

ButtonWidget::ButtonWidget(QWidget* parent) : QPushButton(parent) {
    setFlat(true);
}

void ButtonWidget::apply(const ViewState& state, uint32_t changes) {
    drawn_ = state;
    if (changes & change::kText) {
        title_ = toQString(state.text);
        setText(withLiteralAmpersands(title_));
    }
    setFont(toQFont(state.font));
    update();
}

void ButtonWidget::setPressed(bool pressed) {
    pressed_ = pressed;
    update();
}

void ButtonWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintDecoration(painter, drawn_, rect());
    // A system button's title takes the tint colour unless it has its own.
    QColor title = toQColor(drawn_.textColor.value_or(drawn_.tintColor.value_or(0xFF007AFFu)));
    if (!isEnabled()) title.setAlpha(90);
    if (pressed_) title.setAlpha(title.alpha() / 3);
    painter.setPen(title);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, title_);
    if (hasFocus()) {
        QPen pen(palette().color(QPalette::Highlight), 2);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}

void ImageWidget::apply(const ViewState& state, uint32_t changes) {
    drawn_ = state;
    if ((changes & change::kImage) && state.image.get() != source_) {
        source_ = state.image.get();
        image_ = QImage();
        if (state.image && !state.image->argb.empty()) {
            const QImage view(reinterpret_cast<const uchar*>(state.image->argb.data()),
                              state.image->width, state.image->height, state.image->width * 4,
                              QImage::Format_ARGB32);
            image_ = view.copy();
        }
    }
    update();
}

void ImageWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintDecoration(painter, drawn_, rect());
    if (image_.isNull()) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const float scale = drawn_.image ? drawn_.image->scale : 1.0f;
    const QSizeF natural(image_.width() / scale, image_.height() / scale);
    QRectF target = rect();
    switch (drawn_.contentMode) {
        case ContentMode::Fit: {
            const QSizeF fitted = natural.scaled(rect().size(), Qt::KeepAspectRatio);
            target = QRectF(
                QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
            break;
        }
        case ContentMode::Center:
            target =
                QRectF(QPointF((width() - natural.width()) / 2, (height() - natural.height()) / 2),
                       natural);
            break;
        case ContentMode::TopLeft:
            target = QRectF(QPointF(0, 0), natural);
            break;
        default:
            break;
    }
    painter.setClipRect(rect());
    painter.drawImage(target, image_);
}

SliderWidget::SliderWidget(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setRange(0, kSteps);
    setSingleStep(kSteps / 100);
    setPageStep(kSteps / 10);
}

float SliderWidget::valueAt(int position) const {
    const float span = drawn_.maximum - drawn_.minimum;
    return drawn_.minimum + span * static_cast<float>(position) / static_cast<float>(kSteps);
}

void SliderWidget::apply(const ViewState& state, uint32_t changes) {
    drawn_ = state;
    if (changes & (change::kValue | change::kAppearance)) {
        updating_ = true;
        setTracking(state.continuous);
        const float span = state.maximum - state.minimum;
        const int position =
            span > 0 ? static_cast<int>(std::lround((state.value - state.minimum) / span * kSteps))
                     : 0;
        // The person's drag is the value while it lasts.
        if (!isSliderDown()) setValue(std::clamp(position, 0, kSteps));
        updating_ = false;
    }
    if (state.minimumTrackColor) {
        QPalette palette = this->palette();
        palette.setColor(QPalette::Highlight, toQColor(*state.minimumTrackColor));
        setPalette(palette);
    }
}

TextViewWidget::TextViewWidget(QWidget* parent) : QPlainTextEdit(parent) {
    setFrameShape(QFrame::NoFrame);
}

void TextViewWidget::apply(const ViewState& state, uint32_t changes) {
    drawn_ = state;
    updating_ = true;
    if ((changes & change::kText) && toPlainText().toStdU16String() != state.text)
        setPlainText(toQString(state.text));
    setReadOnly(!state.editable);
    setFont(toQFont(state.font));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, toQColor(state.backgroundColor));
    palette.setColor(QPalette::Text,
                     state.textColor ? toQColor(*state.textColor) : QColor(Qt::black));
    setPalette(palette);
    QTextOption option = document()->defaultTextOption();
    option.setAlignment(horizontal(state.alignment));
    document()->setDefaultTextOption(option);
    if ((changes & change::kScroll) && state.scrollToIndex >= 0) {
        QTextCursor cursor(document());
        cursor.setPosition(std::min(state.scrollToIndex, document()->characterCount() - 1));
        setTextCursor(cursor);
        ensureCursorVisible();
    }
    updating_ = false;
}

void OverlayWidget::apply(const ViewState& state, uint32_t) {
    drawn_ = state;
    update();
}

void OverlayWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = QApplication::font();
    font.setPixelSize(16);
    painter.setFont(font);
    const QString text = toQString(drawn_.text);
    const bool spinner = drawn_.overlayMode == OverlayMode::Spinner;
    const QRect measured =
        painter.fontMetrics().boundingRect(QRect(0, 0, std::max(40, width() - 80), height()),
                                           Qt::AlignCenter | Qt::TextWordWrap, text);
    const int boxWidth = std::max(measured.width() + 40, spinner ? 120 : 60);
    const int boxHeight = measured.height() + 32 + (spinner ? 44 : 0);
    const QRect box((width() - boxWidth) / 2, (height() - boxHeight) / 2, boxWidth, boxHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 204));
    painter.drawRoundedRect(box, 10, 10);
    painter.setPen(Qt::white);
    QRect textArea = box.adjusted(20, 16, -20, -16);
    if (spinner) {
        const QRect circle(box.center().x() - 14, box.top() + 16, 28, 28);
        painter.setPen(QPen(Qt::white, 3));
        painter.drawArc(circle, 90 * 16, -270 * 16);
        textArea.setTop(circle.bottom() + 12);
    }
    painter.setPen(Qt::white);
    painter.drawText(textArea, Qt::AlignCenter | Qt::TextWordWrap, text);
}

MirroredWidget* createMirroredWidget(ViewKind kind, QWidget* parent) {
    switch (kind) {
        case ViewKind::Label:
            return new LabelWidget(parent);
        case ViewKind::Button:
            return new ButtonWidget(parent);
        case ViewKind::Image:
            return new ImageWidget(parent);
        case ViewKind::Slider:
            return new SliderWidget(parent);
        case ViewKind::TextView:
            return new TextViewWidget(parent);
        case ViewKind::Overlay:
            return new OverlayWidget(parent);
        case ViewKind::Plain:
        case ViewKind::Panel:
            break;
    }
    return new PanelWidget(parent);
}

}  // namespace zemtra::platform::qt
