// The chart widget's input: wheel and keys zoom, drags and arrows pan, clicks pick words.
#include "review/ChartView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "review/ChartPainter.h"

namespace zemtra::review {

namespace {

constexpr double kZoomStep = 1.25;
constexpr double kShortestSpanMs = 5000;
constexpr double kKeyPanShare = 0.1;

}  // namespace

ChartView::ChartView(const ChartData& data, QWidget* parent)
    : QWidget(parent), data_(data), viewport_(wholeSession(data)) {
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 240);
    setMouseTracking(false);
}

void ChartView::select(std::optional<size_t> row) {
    viewport_.selectedRow = row;
    if (row && *row < data_.size()) {
        const double t = static_cast<double>(data_.time(*row));
        const double span = viewport_.endMs - viewport_.startMs;
        if (t < viewport_.startMs || t > viewport_.endMs) setSpan(t - span / 2, t + span / 2);
    }
    changed();
}

void ChartView::setSpan(double startMs, double endMs) {
    const ChartViewport whole = wholeSession(data_);
    const double wholeSpan = whole.endMs - whole.startMs;
    double span = std::clamp(endMs - startMs, std::min(kShortestSpanMs, wholeSpan), wholeSpan);
    double start = std::clamp(startMs, whole.startMs, whole.endMs - span);
    viewport_.startMs = start;
    viewport_.endMs = start + span;
    changed();
}

void ChartView::zoom(double factor, double x) {
    const ChartScene& current = scene();
    const double share =
        std::clamp((x - current.plot.left()) / std::max(1.0, current.plot.width()), 0.0, 1.0);
    const double span = viewport_.endMs - viewport_.startMs;
    const double pivot = viewport_.startMs + share * span;
    const double newSpan = span / factor;
    setSpan(pivot - share * newSpan, pivot + (1 - share) * newSpan);
}

void ChartView::pan(double share) {
    const double shift = share * (viewport_.endMs - viewport_.startMs);
    setSpan(viewport_.startMs + shift, viewport_.endMs + shift);
}

void ChartView::showWholeSession() {
    const ChartViewport whole = wholeSession(data_);
    setSpan(whole.startMs, whole.endMs);
}

const ChartScene& ChartView::scene() {
    if (!scene_) scene_ = layoutChart(data_, viewport_, QSizeF(size()));
    return *scene_;
}

void ChartView::changed() {
    scene_.reset();
    update();
}

void ChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintScene(painter, scene());
}

void ChartView::resizeEvent(QResizeEvent*) {
    scene_.reset();
}

void ChartView::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0) return;
    zoom(std::pow(kZoomStep, notches), event->position().x());
    event->accept();
}

void ChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    dragFrom_ = event->position();
    dragStartMs_ = viewport_.startMs;
    dragged_ = false;
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragFrom_) return;
    const double dx = event->position().x() - dragFrom_->x();
    if (std::fabs(dx) < 3 && !dragged_) return;
    dragged_ = true;
    const double span = viewport_.endMs - viewport_.startMs;
    const double msPerPixel = span / std::max(1.0, scene().plot.width());
    const double start = dragStartMs_ - dx * msPerPixel;
    setSpan(start, start + span);
}

void ChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragFrom_) return;
    dragFrom_.reset();
    if (dragged_) return;
    const QPointF at = event->position();
    // The nearest marker whose box holds the click.
    const MarkerHit* best = nullptr;
    for (const MarkerHit& hit : scene().markers) {
        if (!hit.box.contains(at)) continue;
        if (!best ||
            std::fabs(hit.box.center().x() - at.x()) < std::fabs(best->box.center().x() - at.x()))
            best = &hit;
    }
    if (!best) return;
    const size_t row = best->row;
    select(row);
    if (pick_) pick_(row);
}

void ChartView::keyPressEvent(QKeyEvent* event) {
    const double centre = scene().plot.center().x();
    switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            zoom(kZoomStep, centre);
            break;
        case Qt::Key_Minus:
            zoom(1 / kZoomStep, centre);
            break;
        case Qt::Key_Left:
            pan(-kKeyPanShare);
            break;
        case Qt::Key_Right:
            pan(kKeyPanShare);
            break;
        case Qt::Key_Up:
            zoom(kZoomStep, centre);
            break;
        case Qt::Key_Down:
            zoom(1 / kZoomStep, centre);
            break;
        case Qt::Key_Home:
            showWholeSession();
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

}  // namespace zemtra::review
