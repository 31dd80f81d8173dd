// AnalysisGraph: the sweep analysis chart on Qt Charts. The sweep's two channels in the scope's
// colours (channel 1 red, channel 2 blue) against time, in their units (one value axis when both
// share a unit, else one each side), the reference sweep in grey behind them, and the cursors A
// and B on samples.
//
// Mouse: drag a box to zoom into it, the wheel zooms time around the pointer (with Ctrl the
// values), the right or middle button drags the view, a cursor line is dragged with the left
// button and a click puts the active cursor there. Keys (the chart has the focus): Left/Right
// move the active cursor a sample (with Shift ten), Home/End to the first or last sample in view,
// A and B choose the active cursor, + and - zoom time around it, Up and Down zoom the values, Z
// zooms to the time between the cursors (the box of the keyboard), Ctrl with an arrow pans, 0
// resets the zoom.
#pragma once

#include "tools700/common/Sweep.h"
#include "tools700/analysis/SweepFile.h"

#include <QChartView>

#include <array>
#include <optional>

class QChart;
class QLineSeries;
class QRubberBand;
class QValueAxis;

namespace tools700 {

class AnalysisGraph : public QChartView {
    Q_OBJECT
public:
    enum Cursor { A = 0, B = 1 };

    explicit AnalysisGraph(QWidget *parent = nullptr);
    ~AnalysisGraph() override;

    // The sweep and the reference drawn behind it (null: none). The zoom is kept when the new
    // sweep has the same units; otherwise, and with `resetZoom`, the whole sweep is shown.
    void SetSweep(const Sweep &sweep, const Sweep *reference, bool resetZoom);
    bool Empty() const { return seconds_.empty(); }

    // Zoom and pan.
    void ResetZoom();
    // Time around `centre` (seconds; none: the active cursor) by `factor` (above 1 zooms in).
    void ZoomTime(double factor, std::optional<double> centre = std::nullopt);
    void ZoomValues(double factor);
    // To a box given in the chart's widget coordinates.
    void ZoomToBox(const QRect &box);
    // Time to the span between the cursors.
    void ZoomToCursors();
    // By shares of the view's width and height (right and up positive).
    void Pan(double horizontal, double vertical);
    bool Zoomed() const { return zoomed_; }
    // Time, channel 1 and channel 2 ranges in view.
    std::array<analysis::SweepView::Range, 3> Ranges() const;
    void SetRanges(const std::array<analysis::SweepView::Range, 3> &ranges);

    // Cursors on samples.
    void SetCursor(Cursor cursor, std::size_t sample);
    std::size_t CursorSample(Cursor cursor) const { return cursors_[cursor]; }
    void SetActiveCursor(Cursor cursor);
    Cursor ActiveCursor() const { return active_; }
    void MoveActiveCursor(int samples);

    QChart *Chart() const { return chart_; }
    QLineSeries *Trace(int channel) const { return series_[channel == 2 ? 1 : 0]; }
    QLineSeries *ReferenceTrace(int channel) const { return reference_[channel == 2 ? 1 : 0]; }
    bool SharedValueAxis() const { return shared_; }

signals:
    void cursorsMoved();
    void viewChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void drawForeground(QPainter *painter, const QRectF &rect) override;

private:
    double TimeAt(const QPoint &widgetPoint) const;
    // Widget x of a time, and the cursor whose line is within a few pixels of x (none: -1).
    double XOf(double seconds) const;
    int CursorNear(const QPoint &widgetPoint) const;
    std::size_t SampleAt(double seconds) const;
    void SetTimeRange(double low, double high);
    void FitValues();
    void Changed();

    QChart *chart_ = nullptr;
    QValueAxis *axisX_ = nullptr;
    QValueAxis *axisY_[2] = {};
    QLineSeries *series_[2] = {};
    QLineSeries *reference_[2] = {};
    QRubberBand *band_ = nullptr;
    std::vector<double> seconds_;
    std::array<std::pair<double, double>, 2> dataRange_{}; // per channel, with the reference
    std::array<std::string, 2> units_;
    bool shared_ = true;
    bool zoomed_ = false;
    std::size_t cursors_[2] = {0, 0};
    Cursor active_ = A;
    // Mouse gestures.
    enum class Drag { None, Box, Cursor, Pan } drag_ = Drag::None;
    QPoint pressAt_, lastAt_;
    int draggedCursor_ = -1;
};

} // namespace tools700
