// ScopeGraph: the scope's chart on Qt Charts. Two traces of 100 points (channel 1 red, channel
// 2 blue) over fixed axes, -5..+5 divisions up and 0..the timebase's ten divisions across, and a
// vertical cursor the user enables by clicking the chart and moves with the arrow keys. Its
// accessible description tells the cursor's place and the values under it. A reference sweep kept
// by the sweep analysis is drawn in grey behind the traces.
#pragma once

#include "tools700/scope/ScopeChart.h"

#include <QChartView>

class QChart;
class QLineSeries;
class QTimer;
class QValueAxis;

namespace tools700 {

// Line types of a trace.
inline constexpr int kNormalLine = 9;
inline constexpr int kThickLine = 10;

class ScopeGraph : public QChartView, public scope::PointChart {
    Q_OBJECT
public:
    explicit ScopeGraph(QWidget *parent = nullptr);
    ~ScopeGraph() override;

    void SetManualMaxX(double seconds) override;
    // The points set since the last redraw go to the traces with the next turn of the event loop
    // (frames arriving faster than the screen is drawn are shown together).
    void Redraw() override;
    // Shows the points at once.
    void Update();

    void SetSubsetLabel(int trace, const QString &label);
    QString SubsetLabel(int trace) const;
    void SetSubsetLineType(int trace, int type);
    int SubsetLineType(int trace) const { return lineTypes_[trace]; }
    QColor SubsetColor(int trace) const;

    bool CursorEnabled() const { return cursorEnabled_; }
    int GetCursorPoint() const { return cursor_; }
    // Enables the cursor and puts it on a point (0..99).
    void SetCursorPoint(int point);
    // Repaints done since creation (the tests wait for frames to be shown).
    int Repaints() const { return repaints_; }

    QChart *Chart() const { return chart_; }

    // The reference sweep's points of a trace, in seconds and divisions (empty: none shown).
    void SetReference(int trace, const QList<QPointF> &points);
    QList<QPointF> Reference(int trace) const;

signals:
    void cursorMoved();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void drawForeground(QPainter *painter, const QRectF &rect) override;

private:
    void Push();

    QChart *chart_ = nullptr;
    QLineSeries *series_[scope::kTraces] = {};
    QLineSeries *reference_[scope::kTraces] = {};
    QValueAxis *axisX_ = nullptr;
    QValueAxis *axisY_ = nullptr;
    QTimer *redraw_ = nullptr;
    int lineTypes_[scope::kTraces] = {kNormalLine, kNormalLine};
    bool cursorEnabled_ = false;
    int cursor_ = 0;
    int repaints_ = 0;
};

} // namespace tools700
