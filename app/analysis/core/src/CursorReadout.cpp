#include "tools700/analysis/CursorReadout.h"

#include "tools700/analysis/FigureTexts.h"

#include <algorithm>
#include <cmath>

namespace tools700::analysis {

namespace {

double At(const std::vector<double> &values, std::size_t i) { return i < values.size() ? values[i] : 0.0; }

} // namespace

CursorReadout ReadCursors(const Sweep &sweep, std::size_t a, std::size_t b)
{
    CursorReadout r;
    if (sweep.empty())
        return r;
    a = std::min(a, sweep.size() - 1);
    b = std::min(b, sweep.size() - 1);
    r.timeA = sweep.seconds[a];
    r.timeB = sweep.seconds[b];
    r.deltaT = r.timeB - r.timeA;
    if (r.deltaT != 0)
        r.inverseDeltaT = 1.0 / std::fabs(r.deltaT);
    for (std::size_t ch = 0; ch < 2; ++ch) {
        r.atA[ch] = At(sweep.channels[ch].values, a);
        r.atB[ch] = At(sweep.channels[ch].values, b);
        r.deltaY[ch] = r.atB[ch] - r.atA[ch];
    }
    return r;
}

std::size_t NearestSample(const Sweep &sweep, double seconds)
{
    std::size_t best = 0;
    for (std::size_t i = 1; i < sweep.size(); ++i)
        if (std::fabs(sweep.seconds[i] - seconds) < std::fabs(sweep.seconds[best] - seconds))
            best = i;
    return best;
}

std::vector<std::string> CursorLines(const Sweep &sweep, const CursorReadout &r)
{
    std::vector<std::string> lines = {
        "Cursor A: " + TimeText(r.timeA), "Cursor B: " + TimeText(r.timeB), "Δt: " + TimeText(r.deltaT),
        "1/Δt: " + (r.inverseDeltaT ? FrequencyText(*r.inverseDeltaT) : std::string("-"))};
    for (int ch = 1; ch <= 2; ++ch) {
        const SweepChannel &c = sweep.Channel(ch);
        const std::size_t k = static_cast<std::size_t>(ch - 1);
        const std::string name = "Ch" + std::to_string(ch) + " " + c.signal;
        lines.push_back(name + " at A: " + ValueText(r.atA[k], c.unit));
        lines.push_back(name + " at B: " + ValueText(r.atB[k], c.unit));
        lines.push_back(name + " ΔY: " + ValueText(r.deltaY[k], c.unit));
    }
    return lines;
}

} // namespace tools700::analysis
