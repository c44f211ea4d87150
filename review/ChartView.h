// The chart as a widget: the scene for the widget's size and the span in view, zoomed by the
// wheel (around the cursor) and by + and -, panned by dragging and by the arrow keys, the whole
// session again with Home. A click on a word's marker picks that word.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "review/ChartData.h"
#include "review/ChartScene.h"

namespace zemtra::review {

class ChartView final : public QWidget {
  public:
    explicit ChartView(const ChartData& data, QWidget* parent = nullptr);

    // Called with the chart row of the word whose marker was clicked.
    void setPickHandler(std::function<void(size_t)> handler) { pick_ = std::move(handler); }
    // Picks out a word (no handler call); brings it into view when it is outside.
    void select(std::optional<size_t> row);

    const ChartViewport& viewport() const { return viewport_; }
    void setSpan(double startMs, double endMs);
    // Zooms by `factor` (above 1 shows less time) keeping the time under `x` where it is.
    void zoom(double factor, double x);
    // Moves the view by a share of its width (positive: later).
    void pan(double share);
    void showWholeSession();
    const ChartScene& scene();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void changed();

    const ChartData& data_;
    ChartViewport viewport_;
    std::optional<ChartScene> scene_;
    std::function<void(size_t)> pick_;
    std::optional<QPointF> dragFrom_;
    double dragStartMs_ = 0;
    bool dragged_ = false;
};

}  // namespace zemtra::review
