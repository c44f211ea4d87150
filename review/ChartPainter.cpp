// Drawing a chart scene: QPainter for pixels, hand-written SVG elements for vector files.
#include "review/ChartPainter.h"

#include <QFontMetricsF>
#include <QPen>
#include <cstdio>
#include <type_traits>

namespace zemtra::review {

namespace {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

double anchoredLeft(const SceneText& text) {
    const QFontMetricsF metrics(chartFont(text.pixelSize, text.bold));
    const double width = metrics.horizontalAdvance(text.text);
    switch (text.anchor) {
        case Anchor::left:
            return text.baseline.x();
        case Anchor::centre:
            return text.baseline.x() - width / 2;
        case Anchor::right:
            return text.baseline.x() - width;
    }
    return text.baseline.x();
}

std::string coordinate(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string colourAttributes(const QColor& colour, const char* attribute) {
    std::string text =
        std::string(" ") + attribute + "=\"" + colour.name(QColor::HexRgb).toStdString() + "\"";
    if (colour.alpha() != 255) {
        char opacity[48];
        std::snprintf(opacity, sizeof opacity, " %s-opacity=\"%.3f\"", attribute, colour.alphaF());
        text += opacity;
    }
    return text;
}

std::string escaped(const QString& text) {
    std::string result;
    for (const char character : text.toStdString()) {
        switch (character) {
            case '&':
                result += "&amp;";
                break;
            case '<':
                result += "&lt;";
                break;
            case '>':
                result += "&gt;";
                break;
            case '"':
                result += "&quot;";
                break;
            default:
                result += character;
        }
    }
    return result;
}

}  // namespace

void paintScene(QPainter& painter, const ChartScene& scene) {
    painter.fillRect(QRectF(QPointF(0, 0), scene.size), scene.background);
    for (const SceneItem& item : scene.items) {
        std::visit(Overloaded{
                       [&](const SceneRect& rect) { painter.fillRect(rect.rect, rect.fill); },
                       [&](const SceneLine& line) {
                           painter.setRenderHint(QPainter::Antialiasing, false);
                           painter.setPen(QPen(line.color, line.width));
                           painter.drawLine(line.line);
                       },
                       [&](const ScenePolyline& polyline) {
                           painter.setRenderHint(QPainter::Antialiasing, true);
                           painter.setPen(QPen(polyline.color, polyline.width, Qt::SolidLine,
                                               Qt::RoundCap, Qt::RoundJoin));
                           painter.drawPolyline(polyline.points);
                       },
                       [&](const SceneBand& band) {
                           painter.setRenderHint(QPainter::Antialiasing, false);
                           painter.setPen(Qt::NoPen);
                           painter.setBrush(band.fill);
                           painter.drawPolygon(band.outline);
                           painter.setBrush(Qt::NoBrush);
                       },
                       [&](const SceneText& text) {
                           painter.setRenderHint(QPainter::TextAntialiasing, true);
                           painter.setFont(chartFont(text.pixelSize, text.bold));
                           painter.setPen(text.color);
                           painter.drawText(QPointF(anchoredLeft(text), text.baseline.y()),
                                            text.text);
                       },
                   },
                   item);
    }
}

std::string svgOf(const ChartScene& scene) {
    std::string svg;
    const std::string width = coordinate(scene.size.width());
    const std::string height = coordinate(scene.size.height());
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + width + "\" height=\"" + height +
           "\" viewBox=\"0 0 " + width + " " + height +
           "\" font-family=\"DejaVu Sans, sans-serif\">\n";
    svg += "<rect width=\"100%\" height=\"100%\"" + colourAttributes(scene.background, "fill") +
           "/>\n";
    for (const SceneItem& item : scene.items) {
        std::visit(
            Overloaded{
                [&](const SceneRect& rect) {
                    svg += "<rect x=\"" + coordinate(rect.rect.x()) + "\" y=\"" +
                           coordinate(rect.rect.y()) + "\" width=\"" +
                           coordinate(rect.rect.width()) + "\" height=\"" +
                           coordinate(rect.rect.height()) + "\"" +
                           colourAttributes(rect.fill, "fill") + "/>\n";
                },
                [&](const SceneLine& line) {
                    svg += "<line x1=\"" + coordinate(line.line.x1()) + "\" y1=\"" +
                           coordinate(line.line.y1()) + "\" x2=\"" + coordinate(line.line.x2()) +
                           "\" y2=\"" + coordinate(line.line.y2()) + "\"" +
                           colourAttributes(line.color, "stroke") + " stroke-width=\"" +
                           coordinate(line.width) + "\"/>\n";
                },
                [&](const ScenePolyline& polyline) {
                    svg += "<polyline fill=\"none\"" + colourAttributes(polyline.color, "stroke") +
                           " stroke-width=\"" + coordinate(polyline.width) +
                           "\" stroke-linejoin=\"round\" points=\"";
                    for (const QPointF& point : polyline.points)
                        svg += coordinate(point.x()) + "," + coordinate(point.y()) + " ";
                    svg += "\"/>\n";
                },
                [&](const SceneBand& band) {
                    svg += "<polygon" + colourAttributes(band.fill, "fill") + " points=\"";
                    for (const QPointF& point : band.outline)
                        svg += coordinate(point.x()) + "," + coordinate(point.y()) + " ";
                    svg += "\"/>\n";
                },
                [&](const SceneText& text) {
                    static constexpr const char* anchors[] = {"start", "middle", "end"};
                    svg += "<text x=\"" + coordinate(text.baseline.x()) + "\" y=\"" +
                           coordinate(text.baseline.y()) + "\" font-size=\"" +
                           coordinate(text.pixelSize) + "\"" +
                           (text.bold ? " font-weight=\"bold\"" : "") + " text-anchor=\"" +
                           anchors[static_cast<int>(text.anchor)] + "\"" +
                           colourAttributes(text.color, "fill") + ">" + escaped(text.text) +
                           "</text>\n";
                },
            },
            item);
    }
    svg += "</svg>\n";
    return svg;
}

}  // namespace zemtra::review
