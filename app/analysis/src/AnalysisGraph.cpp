#include "tools700/analysis/AnalysisGraph.h"
#include "tools700/widgets/Controls.h"

#include <QChart>
#include <QKeyEvent>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QValueAxis>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace tools700 {

namespace {

// The scope's colours of channel 1 and channel 2, and the reference's greys.
const QColor kTraceColors[2] = {Qt::red, Qt::blue};
const QColor kReferenceColors[2] = {QColor(150, 150, 150), QColor(105, 105, 105)};
const QColor kCursorColors[2] = {QColor(0, 120, 0), QColor(160, 0, 160)};
// A press and release this close together is a click, not a box.
constexpr int kClickPixels = 5;
// A cursor line this close to the pointer is grabbed.
constexpr int kGrabPixels = 5;


// The round step (1, 2 or 5 times a power of ten) that divides `span` into at most ten parts, so
// that the time axis reads 0, 0.02, 0.04 ... and not 0, 0.0198, 0.0396 ...
double RoundTickStep(double span)
{
    const double rough = span / 10;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * power >= rough * (1 - 1e-9))
            return m * power;
    return 10 * power;
}

QList<QPointF> Points(const std::vector<double> &seconds, const std::vector<double> &values)
{
    QList<QPointF> points;
    const std::size_t n = std::min(seconds.size(), values.size());
    points.reserve(static_cast<qsizetype>(n));
    for (std::size_t i = 0; i < n; ++i)
        points.append(QPointF(seconds[i], values[i]));
    return points;
}

void Widen(std::pair<double, double> &range, const std::vector<double> &values)
{
    for (double v : values) {
        range.first = std::min(range.first, v);
        range.second = std::max(range.second, v);
    }
}

} // namespace

AnalysisGraph::AnalysisGraph(QWidget *parent) : QChartView(new QChart, parent)
{
    chart_ = chart();
    chart_->setAnimationOptions(QChart::NoAnimation);
    chart_->legend()->setAlignment(Qt::AlignBottom);
    axisX_ = new QValueAxis(chart_);
    axisX_->setTitleText(QStringLiteral("Time in seconds"));
    axisX_->setTickType(QValueAxis::TicksDynamic);
    axisX_->setLabelFormat(QStringLiteral("%.4g"));
    chart_->addAxis(axisX_, Qt::AlignBottom);
    for (int k = 0; k < 2; ++k) {
        axisY_[k] = new QValueAxis(chart_);
        axisY_[k]->setTickCount(11);
        axisY_[k]->setLabelFormat(QStringLiteral("%.5g"));
        chart_->addAxis(axisY_[k], k == 0 ? Qt::AlignLeft : Qt::AlignRight);
    }
    // The reference first, so that the sweep is drawn over it.
    for (QLineSeries **set : {reference_, series_}) {
        for (int k = 0; k < 2; ++k) {
            set[k] = new QLineSeries(chart_);
            chart_->addSeries(set[k]);
            set[k]->attachAxis(axisX_);
        }
    }
    for (int k = 0; k < 2; ++k) {
        QPen pen(kTraceColors[k]);
        pen.setWidth(2);
        series_[k]->setPen(pen);
        QPen grey(kReferenceColors[k]);
        grey.setWidth(2);
        grey.setStyle(k == 0 ? Qt::SolidLine : Qt::DashLine);
        reference_[k]->setPen(grey);
    }
    band_ = new QRubberBand(QRubberBand::Rectangle, viewport());
    band_->hide();
    setRenderHint(QPainter::Antialiasing, true);
    setFocusPolicy(Qt::StrongFocus);
    setRubberBand(QChartView::NoRubberBand);
    setDragMode(QGraphicsView::NoDrag);
    SetSweep(Sweep{}, nullptr, true);
}

AnalysisGraph::~AnalysisGraph() = default;

void AnalysisGraph::SetSweep(const Sweep &sweep, const Sweep *reference, bool resetZoom)
{
    const std::array<std::string, 2> units = {sweep.Channel(1).unit, sweep.Channel(2).unit};
    const bool sameUnits = units == units_;
    units_ = units;
    seconds_ = sweep.seconds;
    const bool shared = units[0] == units[1];
    for (int k = 0; k < 2; ++k) {
        const SweepChannel &c = sweep.Channel(k + 1);
        series_[k]->replace(Points(sweep.seconds, c.values));
        series_[k]->setName(QStringLiteral("Ch%1 %2").arg(k + 1).arg(Q(c.signal)));
        if (reference) {
            reference_[k]->replace(Points(reference->seconds, reference->Channel(k + 1).values));
            reference_[k]->setName(QStringLiteral("Reference Ch%1 %2").arg(k + 1).arg(Q(reference->Channel(k + 1).signal)));
        } else {
            reference_[k]->clear();
        }
        reference_[k]->setVisible(reference != nullptr);
        // The legend lists the reference only while it is shown.
        for (QLegendMarker *marker : chart_->legend()->markers(reference_[k]))
            marker->setVisible(reference != nullptr);
    }
    // Channel 2 on the left axis with channel 1 when they share a unit, else on its own.
    for (QLineSeries *s : {series_[1], reference_[1]}) {
        for (QValueAxis *axis : axisY_)
            if (s->attachedAxes().contains(axis))
                s->detachAxis(axis);
        s->attachAxis(axisY_[shared ? 0 : 1]);
    }
    for (QLineSeries *s : {series_[0], reference_[0]})
        if (!s->attachedAxes().contains(axisY_[0]))
            s->attachAxis(axisY_[0]);
    shared_ = shared;
    axisY_[1]->setVisible(!shared);
    axisY_[0]->setTitleText(shared ? Q(units[0]) : QStringLiteral("Ch1 ") + Q(units[0]));
    axisY_[1]->setTitleText(QStringLiteral("Ch2 ") + Q(units[1]));
    axisY_[0]->setLabelsColor(shared ? palette().color(QPalette::Text) : kTraceColors[0]);
    axisY_[1]->setLabelsColor(kTraceColors[1]);

    for (int k = 0; k < 2; ++k) {
        dataRange_[static_cast<std::size_t>(k)] = {HUGE_VAL, -HUGE_VAL};
        Widen(dataRange_[static_cast<std::size_t>(k)], sweep.Channel(k + 1).values);
        if (reference)
            Widen(dataRange_[static_cast<std::size_t>(k)], reference->Channel(k + 1).values);
    }
    if (shared) {
        dataRange_[0] = {std::min(dataRange_[0].first, dataRange_[1].first),
                         std::max(dataRange_[0].second, dataRange_[1].second)};
        dataRange_[1] = dataRange_[0];
    }
    for (std::size_t &c : cursors_)
        c = seconds_.empty() ? 0 : std::min(c, seconds_.size() - 1);
    if (resetZoom) {
        cursors_[A] = 0;
        cursors_[B] = seconds_.empty() ? 0 : seconds_.size() - 1;
    }
    if (resetZoom || !sameUnits || !zoomed_)
        ResetZoom();
    else
        Changed();
    emit cursorsMoved();
}

void AnalysisGraph::FitValues()
{
    for (int k = 0; k < 2; ++k) {
        auto [low, high] = dataRange_[static_cast<std::size_t>(k)];
        if (!(low <= high)) {
            low = -1;
            high = 1;
        }
        const double margin = high > low ? (high - low) * 0.05 : std::max(1.0, std::fabs(low) * 0.05);
        axisY_[k]->setRange(low - margin, high + margin);
        // Round ticks for the whole sweep (a zoom keeps the user's box).
        axisY_[k]->applyNiceNumbers();
    }
}

void AnalysisGraph::SetTimeRange(double low, double high)
{
    if (!(high > low))
        high = low + 1e-6;
    axisX_->setRange(low, high);
    axisX_->setTickAnchor(0);
    axisX_->setTickInterval(RoundTickStep(high - low));
}

void AnalysisGraph::ResetZoom()
{
    if (seconds_.empty())
        SetTimeRange(0, 0.1);
    else
        SetTimeRange(seconds_.front(), std::max(seconds_.back(), seconds_.front() + 1e-6));
    FitValues();
    zoomed_ = false;
    Changed();
}

void AnalysisGraph::ZoomTime(double factor, std::optional<double> centre)
{
    const double low = axisX_->min(), high = axisX_->max();
    double c = centre ? *centre : (seconds_.empty() ? (low + high) / 2 : seconds_[cursors_[active_]]);
    c = std::clamp(c, low, high);
    SetTimeRange(c - (c - low) / factor, c + (high - c) / factor);
    zoomed_ = true;
    Changed();
}

void AnalysisGraph::ZoomValues(double factor)
{
    for (QValueAxis *axis : axisY_) {
        const double c = (axis->min() + axis->max()) / 2, half = (axis->max() - axis->min()) / 2 / factor;
        axis->setRange(c - half, c + half);
    }
    zoomed_ = true;
    Changed();
}

void AnalysisGraph::ZoomToBox(const QRect &box)
{
    const QRect r = box.normalized();
    if (r.width() < kClickPixels || r.height() < kClickPixels)
        return;
    auto value = [this](const QPoint &p, QLineSeries *s) {
        return chart_->mapToValue(chart_->mapFromScene(mapToScene(p)), s);
    };
    const QPointF topLeft = value(r.topLeft(), series_[0]), bottomRight = value(r.bottomRight(), series_[0]);
    SetTimeRange(std::min(topLeft.x(), bottomRight.x()), std::max(topLeft.x(), bottomRight.x()));
    axisY_[0]->setRange(std::min(topLeft.y(), bottomRight.y()), std::max(topLeft.y(), bottomRight.y()));
    if (!shared_) {
        const QPointF a = value(r.topLeft(), series_[1]), b = value(r.bottomRight(), series_[1]);
        axisY_[1]->setRange(std::min(a.y(), b.y()), std::max(a.y(), b.y()));
    }
    zoomed_ = true;
    Changed();
}

void AnalysisGraph::ZoomToCursors()
{
    if (seconds_.empty() || cursors_[A] == cursors_[B])
        return;
    const double a = seconds_[cursors_[A]], b = seconds_[cursors_[B]];
    SetTimeRange(std::min(a, b), std::max(a, b));
    zoomed_ = true;
    Changed();
}

void AnalysisGraph::Pan(double horizontal, double vertical)
{
    const double w = axisX_->max() - axisX_->min();
    SetTimeRange(axisX_->min() + horizontal * w, axisX_->max() + horizontal * w);
    for (QValueAxis *axis : axisY_) {
        const double h = axis->max() - axis->min();
        axis->setRange(axis->min() + vertical * h, axis->max() + vertical * h);
    }
    zoomed_ = true;
    Changed();
}

std::array<analysis::SweepView::Range, 3> AnalysisGraph::Ranges() const
{
    const QValueAxis *second = axisY_[shared_ ? 0 : 1];
    return {{{axisX_->min(), axisX_->max()}, {axisY_[0]->min(), axisY_[0]->max()}, {second->min(), second->max()}}};
}

void AnalysisGraph::SetRanges(const std::array<analysis::SweepView::Range, 3> &ranges)
{
    SetTimeRange(ranges[0].low, ranges[0].high);
    axisY_[0]->setRange(ranges[1].low, ranges[1].high);
    if (!shared_)
        axisY_[1]->setRange(ranges[2].low, ranges[2].high);
    zoomed_ = true;
    Changed();
}

void AnalysisGraph::SetCursor(Cursor cursor, std::size_t sample)
{
    if (seconds_.empty())
        return;
    cursors_[cursor] = std::min(sample, seconds_.size() - 1);
    // The view follows a cursor that leaves it.
    const double t = seconds_[cursors_[cursor]];
    const double w = axisX_->max() - axisX_->min();
    if (t < axisX_->min())
        SetTimeRange(t, t + w);
    else if (t > axisX_->max())
        SetTimeRange(t - w, t);
    viewport()->update();
    emit cursorsMoved();
}

void AnalysisGraph::SetActiveCursor(Cursor cursor)
{
    active_ = cursor;
    viewport()->update();
    emit cursorsMoved();
}

void AnalysisGraph::MoveActiveCursor(int samples)
{
    const long long at = static_cast<long long>(cursors_[active_]) + samples;
    SetCursor(active_, static_cast<std::size_t>(std::max(0LL, at)));
}

std::size_t AnalysisGraph::SampleAt(double seconds) const
{
    if (seconds_.empty())
        return 0;
    const auto it = std::lower_bound(seconds_.begin(), seconds_.end(), seconds);
    if (it == seconds_.end())
        return seconds_.size() - 1;
    const std::size_t i = static_cast<std::size_t>(it - seconds_.begin());
    return i > 0 && seconds - seconds_[i - 1] < seconds_[i] - seconds ? i - 1 : i;
}

double AnalysisGraph::TimeAt(const QPoint &widgetPoint) const
{
    return chart_->mapToValue(chart_->mapFromScene(mapToScene(widgetPoint)), series_[0]).x();
}

double AnalysisGraph::XOf(double seconds) const
{
    return mapFromScene(chart_->mapToScene(chart_->mapToPosition(QPointF(seconds, 0), series_[0]))).x();
}

int AnalysisGraph::CursorNear(const QPoint &widgetPoint) const
{
    if (seconds_.empty())
        return -1;
    // The active cursor wins where both lines meet.
    for (int c : {static_cast<int>(active_), 1 - static_cast<int>(active_)})
        if (std::fabs(XOf(seconds_[cursors_[c]]) - widgetPoint.x()) <= kGrabPixels)
            return c;
    return -1;
}

void AnalysisGraph::Changed()
{
    viewport()->update();
    emit viewChanged();
}

void AnalysisGraph::keyPressEvent(QKeyEvent *event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int sign = event->key() == Qt::Key_Left ? -1 : 1;
        if (ctrl)
            Pan(0.1 * sign, 0);
        else
            MoveActiveCursor(sign * (shift ? 10 : 1));
        break;
    }
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const bool up = event->key() == Qt::Key_Up;
        if (ctrl)
            Pan(0, up ? 0.1 : -0.1);
        else
            ZoomValues(up ? 1.25 : 0.8);
        break;
    }
    case Qt::Key_Home:
    case Qt::Key_End:
        SetCursor(active_, SampleAt(event->key() == Qt::Key_Home ? axisX_->min() : axisX_->max()));
        break;
    case Qt::Key_A:
        SetActiveCursor(A);
        break;
    case Qt::Key_B:
        SetActiveCursor(B);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        ZoomTime(2.0);
        break;
    case Qt::Key_Minus:
        ZoomTime(0.5);
        break;
    case Qt::Key_Z:
        ZoomToCursors();
        break;
    case Qt::Key_0:
        ResetZoom();
        break;
    default:
        QChartView::keyPressEvent(event);
        return;
    }
    event->accept();
}

void AnalysisGraph::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    pressAt_ = lastAt_ = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        draggedCursor_ = CursorNear(pressAt_);
        drag_ = draggedCursor_ >= 0 ? Drag::Cursor : Drag::Box;
        if (drag_ == Drag::Cursor)
            SetActiveCursor(static_cast<Cursor>(draggedCursor_));
        else
            band_->setGeometry(QRect(pressAt_, QSize()));
    } else if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) {
        drag_ = Drag::Pan;
    }
    event->accept();
}

void AnalysisGraph::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    switch (drag_) {
    case Drag::Cursor:
        SetCursor(static_cast<Cursor>(draggedCursor_), SampleAt(TimeAt(at)));
        break;
    case Drag::Box:
        band_->setGeometry(QRect(pressAt_, at).normalized());
        band_->setVisible((at - pressAt_).manhattanLength() >= kClickPixels);
        break;
    case Drag::Pan: {
        const QRectF area = chart_->plotArea();
        if (area.width() > 0 && area.height() > 0)
            Pan(-(at.x() - lastAt_.x()) / area.width(), (at.y() - lastAt_.y()) / area.height());
        break;
    }
    case Drag::None:
        break;
    }
    lastAt_ = at;
    event->accept();
}

void AnalysisGraph::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (drag_ == Drag::Box) {
        band_->hide();
        const QRect box = QRect(pressAt_, at).normalized();
        if (box.width() < kClickPixels && box.height() < kClickPixels)
            SetCursor(active_, SampleAt(TimeAt(at)));
        else
            ZoomToBox(box);
    }
    drag_ = Drag::None;
    draggedCursor_ = -1;
    event->accept();
}

void AnalysisGraph::wheelEvent(QWheelEvent *event)
{
    const int steps = event->angleDelta().y();
    if (steps == 0) {
        event->ignore();
        return;
    }
    const double factor = std::pow(1.25, steps / 120.0);
    if (event->modifiers() & Qt::ControlModifier)
        ZoomValues(factor);
    else
        ZoomTime(factor, TimeAt(event->position().toPoint()));
    event->accept();
}

void AnalysisGraph::drawForeground(QPainter *painter, const QRectF &rect)
{
    QChartView::drawForeground(painter, rect);
    if (seconds_.empty())
        return;
    const QRectF area = chart_->plotArea();
    painter->save();
    painter->setClipRect(area.adjusted(-1, -20, 1, 0));
    for (int c : {1 - static_cast<int>(active_), static_cast<int>(active_)}) {
        const double t = seconds_[cursors_[c]];
        if (t < axisX_->min() || t > axisX_->max())
            continue;
        const double x = chart_->mapToPosition(QPointF(t, 0), series_[0]).x();
        QPen pen(kCursorColors[c], c == active_ ? 2 : 1, c == A ? Qt::DashLine : Qt::DashDotLine);
        painter->setPen(pen);
        painter->drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        painter->drawText(QPointF(x + 3, area.top() + 12), c == A ? QStringLiteral("A") : QStringLiteral("B"));
    }
    painter->restore();
}

} // namespace tools700
