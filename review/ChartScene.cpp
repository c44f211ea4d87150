// The chart's geometry: lanes, envelopes, the decision strip, markers and labels, axis, legend.
#include "review/ChartScene.h"

#include <QFontMetricsF>
#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>

namespace zemtra::review {

namespace {

using session::Decision;

const QColor kBackground(0x10, 0x14, 0x18);
const QColor kLaneShade(0x16, 0x1b, 0x21);
const QColor kLaneShadeOther(0x1c, 0x1c, 0x1e);
const QColor kGrid(0x2c, 0x2c, 0x2e);
const QColor kText(0xff, 0xff, 0xff);
const QColor kSecondary(0x98, 0x98, 0x9f);
const QColor kMarker(0x30, 0xd1, 0x58, 120);
const QColor kSelected(0xff, 0xff, 0xff);

constexpr double kLeftMargin = 70;
constexpr double kRightMargin = 12;
constexpr double kLabelRow = 16;
constexpr double kLabelRows = 2;
constexpr double kStripHeight = 14;
constexpr double kAxisHeight = 18;
constexpr double kLegendHeight = 20;
constexpr double kLaneGap = 3;
constexpr double kTextSize = 11;
constexpr double kLabelSize = 12;
constexpr double kLabelSpacing = 6;

// Top to bottom in the strip: the rare outcomes first, so they stay visible.
constexpr std::array<Decision, 6> kStripOrder = {Decision::accepted, Decision::window,
                                                 Decision::repeat,   Decision::memory,
                                                 Decision::range,    Decision::quiet};

QString number(double value) {
    const double magnitude = std::fabs(value);
    if (magnitude != 0 && (magnitude < 0.001 || magnitude >= 100000))
        return QString::number(value, 'e', 2);
    return QString::number(value, 'g', 4);
}

struct Tm {
    std::tm parts{};
    long offsetSeconds = 0;
};

Tm localParts(int64_t tMs) {
    const auto seconds = static_cast<std::time_t>(std::floor(static_cast<double>(tMs) / 1000));
    Tm local;
    localtime_r(&seconds, &local.parts);
    local.offsetSeconds = local.parts.tm_gmtoff;
    return local;
}

QString clockText(int64_t tMs, bool withSeconds) {
    const Tm local = localParts(tMs);
    char text[16];
    if (withSeconds)
        std::strftime(text, sizeof text, "%H:%M:%S", &local.parts);
    else
        std::strftime(text, sizeof text, "%H:%M", &local.parts);
    return QString::fromLatin1(text);
}

QString dateTimeText(int64_t tMs) {
    const Tm local = localParts(tMs);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local.parts);
    return QString::fromLatin1(text);
}

class Builder {
  public:
    Builder(const ChartData& data, const ChartViewport& viewport, QSizeF size)
        : data_(data),
          viewport_(viewport),
          labelMetrics_(chartFont(kLabelSize, false)),
          textMetrics_(chartFont(kTextSize, false)) {
        scene_.size = size;
        scene_.background = kBackground;
        const double top = kLabelRows * kLabelRow + 4;
        const double bottom = 4 + kStripHeight + 2 + kAxisHeight + kLegendHeight;
        scene_.plot =
            QRectF(kLeftMargin, top, std::max(1.0, size.width() - kLeftMargin - kRightMargin),
                   std::max(6.0 * 8, size.height() - top - bottom));
        span_ = std::max(1.0, viewport_.endMs - viewport_.startMs);
        columns_ = static_cast<size_t>(std::max(1.0, std::floor(scene_.plot.width())));
    }

    ChartScene build() {
        lanes();
        axis();
        if (!data_.empty()) {
            columnRows();
            envelopes();
            strip();
            markers();
        } else {
            text(scene_.plot.center(), "no samples in this session", kSecondary, 14, false,
                 Anchor::centre);
        }
        legend();
        return std::move(scene_);
    }

  private:
    double xOf(double tMs) const {
        return scene_.plot.left() + (tMs - viewport_.startMs) / span_ * scene_.plot.width();
    }
    double timeOfColumn(size_t column) const {
        return viewport_.startMs +
               static_cast<double>(column) / static_cast<double>(columns_) * span_;
    }
    QRectF lane(size_t channel) const {
        const double height = (scene_.plot.height() - kLaneGap * (kChannels - 1)) / kChannels;
        return QRectF(scene_.plot.left(),
                      scene_.plot.top() + static_cast<double>(channel) * (height + kLaneGap),
                      scene_.plot.width(), height);
    }
    QRectF stripRect() const {
        return QRectF(scene_.plot.left(), scene_.plot.bottom() + 4, scene_.plot.width(),
                      kStripHeight);
    }

    void rect(QRectF area, QColor fill) { scene_.items.emplace_back(SceneRect{area, fill}); }
    void line(QLineF segment, QColor colour, double width = 1) {
        scene_.items.emplace_back(SceneLine{segment, colour, width});
    }
    void text(QPointF at, const QString& words, QColor colour, double size, bool bold,
              Anchor anchor) {
        scene_.items.emplace_back(SceneText{at, words, colour, size, bold, anchor});
    }

    void lanes() {
        for (size_t channel = 0; channel < kChannels; ++channel) {
            const QRectF area = lane(channel);
            rect(area, channel % 2 == 0 ? kLaneShade : kLaneShadeOther);
            text(QPointF(6, area.top() + kTextSize + 2), kChannelNames[channel],
                 channelColour(channel), kTextSize, true, Anchor::left);
        }
    }

    // The rows of each pixel column: [columnStart_[c], columnStart_[c + 1]).
    void columnRows() {
        columnStart_.resize(columns_ + 1);
        for (size_t column = 0; column <= columns_; ++column)
            columnStart_[column] =
                data_.rowAtOrAfter(static_cast<int64_t>(std::ceil(timeOfColumn(column))));
    }

    void envelopes() {
        const size_t first = columnStart_.front();
        const size_t last = columnStart_.back();
        // Rows further apart than this are not joined by a line (the generator was off, or the
        // readings were missing).
        const int64_t joinable = std::max<int64_t>(3 * data_.typicalGap(), 5000);
        for (size_t channel = 0; channel < kChannels; ++channel) {
            const QRectF area = lane(channel);
            // Scaled to what is in view, with one row either side so a pan does not jump.
            Envelope range = data_.envelope(channel, first == 0 ? 0 : first - 1,
                                            std::min(data_.size(), last + 1));
            if (!range.any) {
                text(QPointF(area.center().x(), area.center().y() + 4), "no readings", kSecondary,
                     kTextSize, false, Anchor::centre);
                continue;
            }
            double low = range.low;
            double high = range.high;
            if (high - low <= std::max(std::fabs(high), 1.0) * 1e-9) {
                const double pad = std::max(std::fabs(high) * 0.01, 1e-6);
                low -= pad;
                high += pad;
            }
            text(QPointF(kLeftMargin - 4, area.top() + kTextSize + 14), number(high), kSecondary,
                 kTextSize - 1, false, Anchor::right);
            text(QPointF(kLeftMargin - 4, area.bottom() - 3), number(low), kSecondary,
                 kTextSize - 1, false, Anchor::right);
            const double inset = 2;
            const double top = area.top() + inset;
            const double height = area.height() - 2 * inset;
            const auto yOf = [&](double value) {
                return top + (high - value) / (high - low) * height;
            };
            // Where rows crowd the columns the envelope is a filled band (top edge forwards,
            // bottom edge back); where they are sparse, a line through the readings.
            const bool crowded =
                static_cast<double>(last - first) > 1.5 * static_cast<double>(columns_);
            ScenePolyline piece{{}, channelColour(channel), 1.2};
            QPolygonF bottom;
            const auto flush = [&] {
                if (crowded) {
                    if (!piece.points.isEmpty())
                        scene_.items.emplace_back(
                            SceneBand{piece.points, bottom, channelColour(channel)});
                    piece.points.clear();
                    bottom.clear();
                    return;
                }
                if (piece.points.size() == 1) {
                    // A lone reading: a short tick so it can be seen.
                    const QPointF at = piece.points.front();
                    piece.points = {QPointF(at.x() - 2, at.y()), QPointF(at.x() + 2, at.y())};
                }
                if (!piece.points.isEmpty()) scene_.items.emplace_back(piece);
                piece.points.clear();
            };
            std::optional<size_t> previousRow;
            for (size_t column = 0; column < columns_; ++column) {
                const size_t begin = columnStart_[column];
                const size_t end = columnStart_[column + 1];
                if (begin >= end) continue;
                const Envelope here = data_.envelope(channel, begin, end);
                if (!here.any) {
                    flush();
                    previousRow.reset();
                    continue;
                }
                if (previousRow && data_.time(begin) - data_.time(*previousRow) > joinable) flush();
                previousRow = end - 1;
                const double x = end - begin == 1
                                     ? xOf(static_cast<double>(data_.time(begin)))
                                     : scene_.plot.left() + static_cast<double>(column) + 0.5;
                double yLow = yOf(here.low);
                double yHigh = yOf(here.high);
                if (crowded) {
                    // At least a pixel and a bit thick, as a line would be.
                    const double middle = (yLow + yHigh) / 2;
                    yHigh = std::min(yHigh, middle - 0.7);
                    yLow = std::max(yLow, middle + 0.7);
                    piece.points << QPointF(x, yHigh);
                    bottom << QPointF(x, yLow);
                    continue;
                }
                if (yLow - yHigh < 0.5) {
                    piece.points << QPointF(x, (yLow + yHigh) / 2);
                } else if (!piece.points.isEmpty() &&
                           std::fabs(piece.points.back().y() - yLow) <
                               std::fabs(piece.points.back().y() - yHigh)) {
                    piece.points << QPointF(x, yLow) << QPointF(x, yHigh);
                } else {
                    piece.points << QPointF(x, yHigh) << QPointF(x, yLow);
                }
            }
            flush();
        }
    }

    // Each column split by the share of each decision among its rows; neighbouring columns that
    // split alike become one rectangle.
    void strip() {
        const QRectF area = stripRect();
        rect(area, kLaneShadeOther);
        struct Run {
            double left = 0;
            double right = 0;
            std::array<int, 6> heights{};
        };
        std::optional<Run> run;
        const auto flushRun = [&] {
            if (!run) return;
            double y = area.top();
            for (size_t slot = 0; slot < kStripOrder.size(); ++slot) {
                const int height = run->heights[slot];
                if (height > 0)
                    rect(QRectF(run->left, y, run->right - run->left, height),
                         decisionColour(kStripOrder[slot]));
                y += height;
            }
            run.reset();
        };
        const int total = static_cast<int>(kStripHeight);
        for (size_t column = 0; column < columns_; ++column) {
            const size_t begin = columnStart_[column];
            const size_t end = columnStart_[column + 1];
            if (begin >= end) {
                // A column between two rows continues the one before when rows are close.
                continue;
            }
            const double rows = static_cast<double>(end - begin);
            std::array<int, 6> heights{};
            int used = 0;
            size_t largest = 0;
            for (size_t slot = 0; slot < kStripOrder.size(); ++slot) {
                const size_t count = data_.count(kStripOrder[slot], begin, end);
                if (count == 0) continue;
                heights[slot] = std::max(1, static_cast<int>(std::lround(count / rows * total)));
                used += heights[slot];
                if (heights[slot] > heights[largest]) largest = slot;
            }
            heights[largest] += total - used;
            double left = scene_.plot.left() + static_cast<double>(column);
            double right = left + 1;
            if (end - begin == 1) {
                // One row: it fills the time until the next row (at most a typical gap).
                const double t = static_cast<double>(data_.time(begin));
                const double next =
                    begin + 1 < data_.size()
                        ? std::min<double>(static_cast<double>(data_.time(begin + 1)),
                                           t + static_cast<double>(data_.typicalGap()))
                        : t + static_cast<double>(data_.typicalGap());
                left = std::max(area.left(), xOf(t));
                right = std::min(area.right(), std::max(left + 1, xOf(next)));
            }
            if (run && run->heights == heights && left <= run->right + 0.01) {
                run->right = std::max(run->right, right);
                continue;
            }
            flushRun();
            run = Run{left, right, heights};
        }
        flushRun();
    }

    void markers() {
        const auto& accepted = data_.accepted();
        const auto firstRow = columnStart_.front();
        const auto lastRow = columnStart_.back();
        const auto begin = std::lower_bound(accepted.begin(), accepted.end(), firstRow);
        const auto end = std::lower_bound(accepted.begin(), accepted.end(), lastRow);
        const double labelsTop = 2;
        std::array<std::vector<std::pair<double, double>>, 2> taken;
        struct Placed {
            size_t row;
            double x;
            QRectF label;
            bool labelled;
        };
        std::vector<Placed> placed;
        const auto labelBox = [&](double x, const QString& word, int slot) {
            const double width = labelMetrics_.horizontalAdvance(word) + 4;
            double left = std::clamp(x - width / 2, scene_.plot.left(),
                                     std::max(scene_.plot.left(), scene_.plot.right() - width));
            return QRectF(left, labelsTop + slot * kLabelRow, width, kLabelRow - 1);
        };
        const auto fits = [&](const QRectF& box, int slot) {
            for (const auto& [left, right] : taken[static_cast<size_t>(slot)])
                if (box.left() < right + kLabelSpacing && box.right() + kLabelSpacing > left)
                    return false;
            return true;
        };
        const auto wordOf = [&](size_t row) { return QString::fromStdString(words_(row)); };
        // The picked word always has its label, on the first row.
        if (viewport_.selectedRow && *viewport_.selectedRow >= firstRow &&
            *viewport_.selectedRow < lastRow) {
            const QRectF box =
                labelBox(xOf(static_cast<double>(data_.time(*viewport_.selectedRow))),
                         wordOf(*viewport_.selectedRow), 0);
            taken[0].emplace_back(box.left(), box.right());
        }
        for (auto at = begin; at != end; ++at) {
            const size_t row = *at;
            const double x = xOf(static_cast<double>(data_.time(row)));
            const bool selected = viewport_.selectedRow == row;
            Placed marker{row, x, {}, false};
            if (selected) {
                marker.label = labelBox(x, wordOf(row), 0);
                marker.labelled = true;
            } else {
                for (int slot = 0; slot < 2 && !marker.labelled; ++slot) {
                    const QRectF box = labelBox(x, wordOf(row), slot);
                    if (!fits(box, slot)) continue;
                    taken[static_cast<size_t>(slot)].emplace_back(box.left(), box.right());
                    marker.label = box;
                    marker.labelled = true;
                }
            }
            placed.push_back(marker);
        }
        scene_.markersInView = placed.size();
        const QRectF lanes = scene_.plot;
        const QRectF strip = stripRect();
        for (const Placed& marker : placed) {
            const bool selected = viewport_.selectedRow == marker.row;
            if (selected) continue;  // drawn last, over the others
            drawMarker(marker.x, marker.labelled ? std::optional(marker.label) : std::nullopt,
                       marker.row, false, lanes, strip);
        }
        for (const Placed& marker : placed) {
            if (viewport_.selectedRow != marker.row) continue;
            drawMarker(marker.x, marker.label, marker.row, true, lanes, strip);
        }
    }

    void drawMarker(double x, std::optional<QRectF> label, size_t row, bool selected,
                    const QRectF& lanes, const QRectF& strip) {
        QColor colour = selected ? kSelected : kMarker;
        // Crowded markers would hide the channels behind a green wall.
        if (!selected && static_cast<double>(scene_.markersInView) * 16 > lanes.width())
            colour.setAlpha(60);
        const double top = label ? label->bottom() : lanes.top();
        line(QLineF(x, top, x, strip.bottom()), colour, selected ? 1.5 : 1);
        QRectF hit(x - 3, lanes.top(), 6, strip.bottom() - lanes.top());
        if (label) {
            ++scene_.labelledMarkers;
            if (selected) rect(*label, QColor(0xff, 0xff, 0xff, 40));
            text(QPointF(label->center().x(), label->bottom() - 3),
                 QString::fromStdString(words_(row)),
                 selected ? kSelected : QColor(0x30, 0xd1, 0x58), kLabelSize, selected,
                 Anchor::centre);
            hit = hit.united(*label);
        }
        scene_.markers.push_back({hit, row});
    }

    void axis() {
        const QRectF strip = stripRect();
        const double baseline = strip.bottom() + 2 + kAxisHeight - 4;
        static constexpr std::array<int64_t, 19> steps = {
            1,   2,    5,    10,   15,    30,    60,    120,   300,   600,
            900, 1800, 3600, 7200, 10800, 21600, 43200, 86400, 172800};
        const double minimumPixels = textMetrics_.horizontalAdvance("00:00:00") + 24;
        int64_t step = steps.back();
        for (const int64_t candidate : steps) {
            if (static_cast<double>(candidate) * 1000 / span_ * scene_.plot.width() >=
                minimumPixels) {
                step = candidate;
                break;
            }
        }
        const int64_t stepMs = step * 1000;
        const auto start = static_cast<int64_t>(std::floor(viewport_.startMs));
        const int64_t offsetMs = localParts(start).offsetSeconds * 1000;
        int64_t tick = ((start + offsetMs) / stepMs) * stepMs - offsetMs;
        if (tick < start) tick += stepMs;
        for (; static_cast<double>(tick) <= viewport_.endMs; tick += stepMs) {
            const double x = xOf(static_cast<double>(tick));
            line(QLineF(x, scene_.plot.top(), x, scene_.plot.bottom()), kGrid);
            line(QLineF(x, strip.bottom(), x, strip.bottom() + 4), kSecondary);
            const Tm local = localParts(tick);
            QString label = clockText(tick, step < 60);
            if (local.parts.tm_hour == 0 && local.parts.tm_min == 0 && local.parts.tm_sec == 0 &&
                step >= 3600) {
                char date[16];
                std::strftime(date, sizeof date, "%b %d", &local.parts);
                label = QString::fromLatin1(date);
            }
            // Labels at the ends stay inside the picture.
            const double half = textMetrics_.horizontalAdvance(label) / 2;
            const double centre = std::clamp(x, half + 2, scene_.size.width() - half - 2);
            text(QPointF(centre, baseline), label, kSecondary, kTextSize, false, Anchor::centre);
        }
    }

    void legend() {
        const double baseline = scene_.size.height() - 6;
        double x = kLeftMargin;
        for (const Decision decision : session::kDecisions) {
            rect(QRectF(x, baseline - 9, 10, 10), decisionColour(decision));
            x += 14;
            const QString name =
                QString::fromUtf8(session::decisionName(decision).data(),
                                  static_cast<qsizetype>(session::decisionName(decision).size()));
            text(QPointF(x, baseline), name, kText, kTextSize, false, Anchor::left);
            x += textMetrics_.horizontalAdvance(name) + 14;
        }
        const auto start = static_cast<int64_t>(viewport_.startMs);
        const auto end = static_cast<int64_t>(viewport_.endMs);
        QString span = dateTimeText(start) + QStringLiteral(" – ") + clockText(end, true);
        if (localParts(start).parts.tm_yday != localParts(end).parts.tm_yday)
            span = dateTimeText(start) + QStringLiteral(" – ") + dateTimeText(end);
        const double right = scene_.plot.right();
        if (right - textMetrics_.horizontalAdvance(span) > x + 8)
            text(QPointF(right, baseline), span, kSecondary, kTextSize, false, Anchor::right);
    }

    std::string words_(size_t row) const { return data_.word(row); }

    const ChartData& data_;
    const ChartViewport& viewport_;
    QFontMetricsF labelMetrics_;
    QFontMetricsF textMetrics_;
    ChartScene scene_;
    double span_ = 1;
    size_t columns_ = 1;
    std::vector<size_t> columnStart_;
};

}  // namespace

QFont chartFont(double pixelSize, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(static_cast<int>(std::lround(pixelSize)));
    font.setBold(bold);
    return font;
}

QColor decisionColour(Decision decision) {
    switch (decision) {
        case Decision::quiet:
            return {0x48, 0x48, 0x4a};
        case Decision::range:
            return {0x8e, 0x8e, 0x93};
        case Decision::memory:
            return {0xbf, 0x5a, 0xf2};
        case Decision::repeat:
            return {0xff, 0x37, 0x5f};
        case Decision::window:
            return {0x40, 0xc8, 0xe0};
        case Decision::accepted:
            return {0x30, 0xd1, 0x58};
    }
    return {0x48, 0x48, 0x4a};
}

QColor channelColour(size_t channel) {
    static const std::array<QColor, kChannels> colours = {
        QColor(0x64, 0xd2, 0xff), QColor(0x5e, 0x9c, 0xff), QColor(0x9d, 0x8c, 0xff),
        QColor(0xff, 0xd6, 0x0a), QColor(0xff, 0x9f, 0x0a), QColor(0xff, 0x6b, 0x5a)};
    return colours[channel % kChannels];
}

ChartViewport wholeSession(const ChartData& data) {
    ChartViewport viewport;
    if (data.empty()) {
        const auto now = static_cast<double>(std::time(nullptr)) * 1000;
        viewport.startMs = now - 60000;
        viewport.endMs = now;
        return viewport;
    }
    const double first = static_cast<double>(data.firstTime());
    const double last = static_cast<double>(data.lastTime());
    const double room = std::clamp((last - first) * 0.005, 1000.0, 120000.0);
    viewport.startMs = first - room;
    viewport.endMs = last + room;
    return viewport;
}

ChartScene layoutChart(const ChartData& data, const ChartViewport& viewport, QSizeF size) {
    Builder builder(data, viewport, size);
    return builder.build();
}

}  // namespace zemtra::review
