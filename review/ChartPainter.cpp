// Drawing a chart scene: QPainter for pixels, hand-written SVG elements for vector files.
#include "review/ChartPainter.h"

#include <QFontMetricsF>
#include <QPen>
#include <cmath>
#include <cstdio>
#include <type_traits>
#include <utility>
#include <vector>

namespace zemtra::review {

namespace {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// The chart uses a few sizes of one font; making a font and its metrics per text is what a
// frame would otherwise spend its time on.
class Fonts {
  public:
    const std::pair<QFont, QFontMetricsF>& of(double pixelSize, bool bold) {
        for (const auto& [key, entry] : entries_)
            if (key.first == pixelSize && key.second == bold) return entry;
        QFont font = chartFont(pixelSize, bold);
        entries_.emplace_back(std::pair(pixelSize, bold), std::pair(font, QFontMetricsF(font)));
        return entries_.back().second;
    }

  private:
    std::vector<std::pair<std::pair<double, bool>, std::pair<QFont, QFontMetricsF>>> entries_;
};

double anchoredLeft(const SceneText& text, const QFontMetricsF& metrics) {
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
    Fonts fonts;
    std::vector<QLineF> lines;
    for (const SceneItem& item : scene.items) {
        std::visit(
            Overloaded{
                [&](const SceneRect& rect) { painter.fillRect(rect.rect, rect.fill); },
                [&](const SceneLine& line) {
                    // Upright lines (the markers and the grid) as rectangles: the raster
                    // engine fills those far faster than it strokes lines.
                    if (line.line.x1() == line.line.x2()) {
                        const auto left =
                            static_cast<int>(std::floor(line.line.x1() - line.width / 2 + 0.5));
                        const auto top =
                            static_cast<int>(std::lround(std::min(line.line.y1(), line.line.y2())));
                        const auto height =
                            static_cast<int>(std::lround(std::fabs(line.line.dy())));
                        const auto width = std::max(1, static_cast<int>(std::lround(line.width)));
                        painter.fillRect(QRect(left, top, width, height), line.color);
                        return;
                    }
                    painter.setRenderHint(QPainter::Antialiasing, false);
                    painter.setPen(QPen(line.color, line.width));
                    painter.drawLine(line.line);
                },
                [&](const ScenePolyline& polyline) {
                    painter.setRenderHint(QPainter::Antialiasing, true);
                    painter.setPen(QPen(polyline.color, polyline.width, Qt::SolidLine, Qt::RoundCap,
                                        Qt::RoundJoin));
                    painter.drawPolyline(polyline.points);
                },
                [&](const SceneBand& band) {
                    // One pixel-wide line per column: much cheaper to fill than the
                    // outline's polygon.
                    painter.setRenderHint(QPainter::Antialiasing, false);
                    QPen pen(band.fill, 1);
                    pen.setCosmetic(true);
                    painter.setPen(pen);
                    lines.clear();
                    for (qsizetype at = 0; at < band.top.size(); ++at)
                        lines.emplace_back(band.top[at], band.bottom[at]);
                    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
                },
                [&](const SceneText& text) {
                    painter.setRenderHint(QPainter::TextAntialiasing, true);
                    const auto& [font, metrics] = fonts.of(text.pixelSize, text.bold);
                    painter.setFont(font);
                    painter.setPen(text.color);
                    painter.drawText(QPointF(anchoredLeft(text, metrics), text.baseline.y()),
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
                    for (const QPointF& point : band.top)
                        svg += coordinate(point.x() - 0.5) + "," + coordinate(point.y()) + " " +
                               coordinate(point.x() + 0.5) + "," + coordinate(point.y()) + " ";
                    for (auto at = band.bottom.crbegin(); at != band.bottom.crend(); ++at)
                        svg += coordinate(at->x() + 0.5) + "," + coordinate(at->y()) + " " +
                               coordinate(at->x() - 0.5) + "," + coordinate(at->y()) + " ";
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
