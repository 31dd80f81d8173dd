#include "tools700/scope/ScopeChart.h"

namespace tools700::scope {

bool PointChart::Valid(int trace, int point) { return trace >= 0 && trace < kTraces && point >= 0 && point < kPoints; }

void PointChart::SetXData(int trace, int point, float seconds)
{
    if (Valid(trace, point))
        x_[trace][point] = seconds;
}

void PointChart::SetYData(int trace, int point, float divisions)
{
    if (Valid(trace, point))
        y_[trace][point] = divisions;
}

float PointChart::GetXData(int trace, int point) const { return Valid(trace, point) ? x_[trace][point] : 0.0f; }

float PointChart::GetYData(int trace, int point) const { return Valid(trace, point) ? y_[trace][point] : 0.0f; }

} // namespace tools700::scope
