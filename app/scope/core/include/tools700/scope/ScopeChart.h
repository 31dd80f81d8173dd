// What the scope engine needs of the chart it feeds: two traces of 100 points set point by
// point in single precision, a fixed horizontal maximum and a redraw request once a frame is in.
// The window's chart implements it on Qt Charts; the command-line tool records the points.
#pragma once

namespace tools700::scope {

inline constexpr int kTraces = 2;
inline constexpr int kPoints = 100;

class ScopeChart {
public:
    virtual ~ScopeChart() = default;
    // Horizontal position (seconds) and vertical position (divisions) of one point of a trace.
    virtual void SetXData(int trace, int point, float seconds) = 0;
    virtual void SetYData(int trace, int point, float divisions) = 0;
    virtual float GetXData(int trace, int point) const = 0;
    virtual float GetYData(int trace, int point) const = 0;
    // The fixed right end of the horizontal axis, in seconds.
    virtual void SetManualMaxX(double seconds) = 0;
    // The points set since the last redraw are shown.
    virtual void Redraw() = 0;
};

// A chart that keeps its points: the command-line tool's, and what the window's chart draws from.
class PointChart : public ScopeChart {
public:
    void SetXData(int trace, int point, float seconds) override;
    void SetYData(int trace, int point, float divisions) override;
    float GetXData(int trace, int point) const override;
    float GetYData(int trace, int point) const override;
    void SetManualMaxX(double seconds) override { maxX_ = seconds; }
    void Redraw() override { ++redraws_; }

    double ManualMaxX() const { return maxX_; }
    int Redraws() const { return redraws_; }

private:
    static bool Valid(int trace, int point);
    float x_[kTraces][kPoints] = {};
    float y_[kTraces][kPoints] = {};
    double maxX_ = 0;
    int redraws_ = 0;
};

} // namespace tools700::scope
