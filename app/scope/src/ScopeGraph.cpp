#include "tools700/scope/ScopeGraph.h"

#include <QChart>
#include <QKeyEvent>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QValueAxis>

#include <algorithm>

namespace tools700 {

namespace {

const QColor kTraceColors[scope::kTraces] = {Qt::red, Qt::blue};

} // namespace

// The view is made with its chart: one set later would leave the view's own first chart behind.
ScopeGraph::ScopeGraph(QWidget *parent) : QChartView(new QChart, parent)
{
    chart_ = chart();
    chart_->setTitle(QStringLiteral("Korvane Systems DazuDizir"));
    chart_->setAnimationOptions(QChart::NoAnimation);
    chart_->legend()->setAlignment(Qt::AlignBottom);
    axisX_ = new QValueAxis(chart_);
    axisX_->setTitleText(QStringLiteral("Time in seconds"));
    axisX_->setRange(0, 0.1);
    axisX_->setTickCount(11);
    axisX_->setLabelFormat(QStringLiteral("%.3g"));
    axisY_ = new QValueAxis(chart_);
    axisY_->setTitleText(QStringLiteral(" "));
    // A grid line every division, a tick every fifth of one.
    axisY_->setRange(-5, 5);
    axisY_->setTickCount(11);
    axisY_->setMinorTickCount(4);
    axisY_->setLabelFormat(QStringLiteral("%.0f"));
    chart_->addAxis(axisX_, Qt::AlignBottom);
    chart_->addAxis(axisY_, Qt::AlignLeft);
    // The reference first, so that the traces are drawn over it; the legend leaves it out.
    for (int t = 0; t < scope::kTraces; ++t) {
        reference_[t] = new QLineSeries(chart_);
        chart_->addSeries(reference_[t]);
        reference_[t]->attachAxis(axisX_);
        reference_[t]->attachAxis(axisY_);
        reference_[t]->setPen(QPen(QColor(t == 0 ? 150 : 105, t == 0 ? 150 : 105, t == 0 ? 150 : 105), 1,
                                   t == 0 ? Qt::SolidLine : Qt::DashLine));
        for (QLegendMarker *marker : chart_->legend()->markers(reference_[t]))
            marker->setVisible(false);
    }
    for (int t = 0; t < scope::kTraces; ++t) {
        series_[t] = new QLineSeries(chart_);
        series_[t]->setUseOpenGL(false);
        chart_->addSeries(series_[t]);
        series_[t]->attachAxis(axisX_);
        series_[t]->attachAxis(axisY_);
        SetSubsetLineType(t, kNormalLine);
    }
    setRenderHint(QPainter::Antialiasing, false);
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(false);
    redraw_ = new QTimer(this);
    redraw_->setSingleShot(true);
    redraw_->setInterval(15);
    connect(redraw_, &QTimer::timeout, this, [this] { Push(); });
    Push();
}

ScopeGraph::~ScopeGraph() = default;

void ScopeGraph::SetManualMaxX(double seconds)
{
    PointChart::SetManualMaxX(seconds);
    axisX_->setRange(0, seconds);
}

void ScopeGraph::Redraw()
{
    PointChart::Redraw();
    if (!redraw_->isActive())
        redraw_->start();
}

void ScopeGraph::Update()
{
    redraw_->stop();
    Push();
}

void ScopeGraph::Push()
{
    for (int t = 0; t < scope::kTraces; ++t) {
        QList<QPointF> points;
        points.reserve(scope::kPoints);
        for (int i = 0; i < scope::kPoints; ++i)
            points.append(QPointF(GetXData(t, i), GetYData(t, i)));
        series_[t]->replace(points);
    }
    ++repaints_;
    viewport()->update();
}

void ScopeGraph::SetSubsetLabel(int trace, const QString &label)
{
    if (trace >= 0 && trace < scope::kTraces)
        series_[trace]->setName(label);
}

QString ScopeGraph::SubsetLabel(int trace) const
{
    return trace >= 0 && trace < scope::kTraces ? series_[trace]->name() : QString();
}

void ScopeGraph::SetSubsetLineType(int trace, int type)
{
    if (trace < 0 || trace >= scope::kTraces)
        return;
    lineTypes_[trace] = type;
    QPen pen(kTraceColors[trace]);
    pen.setWidth(type == kThickLine ? 3 : 1);
    series_[trace]->setPen(pen);
}

QColor ScopeGraph::SubsetColor(int trace) const
{
    return trace >= 0 && trace < scope::kTraces ? series_[trace]->pen().color() : QColor();
}

void ScopeGraph::SetReference(int trace, const QList<QPointF> &points)
{
    if (trace >= 0 && trace < scope::kTraces)
        reference_[trace]->replace(points);
}

QList<QPointF> ScopeGraph::Reference(int trace) const
{
    return trace >= 0 && trace < scope::kTraces ? reference_[trace]->points() : QList<QPointF>();
}

void ScopeGraph::SetCursorPoint(int point)
{
    cursorEnabled_ = true;
    cursor_ = std::clamp(point, 0, scope::kPoints - 1);
    viewport()->update();
    emit cursorMoved();
}

void ScopeGraph::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    // The point nearest to the click, by its place on the time axis.
    const QPointF value = chart_->mapToValue(chart_->mapFromScene(mapToScene(event->position().toPoint())), series_[0]);
    int nearest = cursor_;
    double best = -1;
    for (int i = 0; i < scope::kPoints; ++i) {
        const double d = std::abs(GetXData(0, i) - value.x());
        if (best < 0 || d < best) {
            best = d;
            nearest = i;
        }
    }
    SetCursorPoint(nearest);
    event->accept();
}

void ScopeGraph::mouseMoveEvent(QMouseEvent *event) { event->accept(); }

void ScopeGraph::keyPressEvent(QKeyEvent *event)
{
    if (cursorEnabled_ && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        SetCursorPoint(cursor_ + (event->key() == Qt::Key_Left ? -1 : 1));
        event->accept();
        return;
    }
    QChartView::keyPressEvent(event);
}

void ScopeGraph::drawForeground(QPainter *painter, const QRectF &rect)
{
    QChartView::drawForeground(painter, rect);
    if (!cursorEnabled_)
        return;
    const QRectF area = chart_->plotArea();
    const QPointF at = chart_->mapToPosition(QPointF(GetXData(0, cursor_), 0), series_[0]);
    const double x = std::clamp(at.x(), area.left(), area.right());
    painter->save();
    painter->setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter->drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    painter->restore();
}

} // namespace tools700
