// What the chart draws, worked out once for a size and a span of time and then handed to a
// painter (the window, a PNG) or written as SVG text: the six channel lanes with their per-column
// min/max envelopes, the decision strip, the accepted words' markers with the labels that fit,
// the local-time axis and the legend. The work per frame depends on the width in pixels and the
// number of words in view, not on the number of rows.
#pragma once

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <optional>
#include <variant>
#include <vector>

#include "review/ChartData.h"

namespace zemtra::review {

struct SceneRect {
    QRectF rect;
    QColor fill;
};
struct SceneLine {
    QLineF line;
    QColor color;
    double width = 1;
};
struct ScenePolyline {
    QPolygonF points;
    QColor color;
    double width = 1;
};
// A filled outline: the envelope of a channel where many rows share each pixel column.
// `top` and `bottom` hold one point per pixel column, at the same x.
struct SceneBand {
    QPolygonF top;
    QPolygonF bottom;
    QColor fill;
};
enum class Anchor { left, centre, right };
struct SceneText {
    QPointF baseline;  // where the anchor point of the text's baseline goes
    QString text;
    QColor color;
    double pixelSize = 12;
    bool bold = false;
    Anchor anchor = Anchor::left;
};
using SceneItem = std::variant<SceneRect, SceneLine, ScenePolyline, SceneBand, SceneText>;

// Where a click selects an accepted word.
struct MarkerHit {
    QRectF box;
    size_t row = 0;  // the chart row of the word
};

struct ChartScene {
    QSizeF size;
    QColor background;
    QRectF plot;                   // the lanes' area: time maps onto its width
    std::vector<SceneItem> items;  // in drawing order
    std::vector<MarkerHit> markers;
    size_t labelledMarkers = 0;
    size_t markersInView = 0;
};

// The span of time in view, epoch milliseconds, and the word picked out.
struct ChartViewport {
    double startMs = 0;
    double endMs = 1000;
    std::optional<size_t> selectedRow;
};

// The whole session, with a little room at both ends.
ChartViewport wholeSession(const ChartData& data);

ChartScene layoutChart(const ChartData& data, const ChartViewport& viewport, QSizeF size);

// The font the chart's texts are measured and drawn with.
QFont chartFont(double pixelSize, bool bold);

// The decisions' colours, as the strip and its legend use them.
QColor decisionColour(session::Decision decision);
QColor channelColour(size_t channel);

}  // namespace zemtra::review
