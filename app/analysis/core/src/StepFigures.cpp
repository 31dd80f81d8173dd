#include "tools700/analysis/StepFigures.h"

#include "tools700/common/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tools700::analysis {

namespace {

constexpr double kSettleBand2 = 0.02;
constexpr double kSettleBand5 = 0.05;
// A command sample belongs to one of its two levels when it lies this close (share of the span).
constexpr double kCommandLevelTolerance = 0.05;
// A command whose span is at most this share of the larger of its level and the response's
// span holds one level.
constexpr double kFlatCommand = 0.02;
// The change must stand this far above the noise.
constexpr double kNoiseFactor = 10.0;
// The largest share of the change the response may still move across the last fifth.
constexpr double kDriftLimit = 0.05;

double Mean(const std::vector<double> &v, std::size_t from, std::size_t to)
{
    double sum = 0;
    for (std::size_t i = from; i < to; ++i)
        sum += v[i];
    return to > from ? sum / static_cast<double>(to - from) : 0.0;
}

// The straight line through samples from..to by least squares: its change across the stretch,
// the scatter about it (root mean square) and the uncertainty of that change.
struct LineFit {
    double drift = 0;
    double scatter = 0;
    double driftUncertainty = 0;
};

LineFit FitLine(const std::vector<double> &t, const std::vector<double> &y, std::size_t from, std::size_t to)
{
    const double n = static_cast<double>(to - from);
    const double tm = Mean(t, from, to), ym = Mean(y, from, to);
    double stt = 0, sty = 0;
    for (std::size_t i = from; i < to; ++i) {
        stt += (t[i] - tm) * (t[i] - tm);
        sty += (t[i] - tm) * (y[i] - ym);
    }
    const double slope = stt > 0 ? sty / stt : 0.0;
    double sse = 0;
    for (std::size_t i = from; i < to; ++i) {
        const double e = y[i] - (ym + slope * (t[i] - tm));
        sse += e * e;
    }
    LineFit fit;
    const double span = t[to - 1] - t[from];
    fit.drift = slope * span;
    fit.scatter = std::sqrt(sse / n);
    fit.driftUncertainty = stt > 0 && n > 2 ? std::sqrt(sse / (n - 2) / stt) * span : 0.0;
    return fit;
}

// The first time at or after sample `from` where r reaches `level`, interpolated linearly.
std::optional<double> FirstReach(const std::vector<double> &t, const std::vector<double> &r, std::size_t from,
                                 std::size_t to, double level)
{
    for (std::size_t i = from; i < to; ++i) {
        if (r[i] < level)
            continue;
        if (i == from)
            return t[i];
        const double f = (level - r[i - 1]) / (r[i] - r[i - 1]);
        return t[i - 1] + f * (t[i] - t[i - 1]);
    }
    return std::nullopt;
}

// Time after which |r - 1| stays within `band` to sample `to`; none when the last sample is out.
std::optional<double> SettledFrom(const std::vector<double> &t, const std::vector<double> &r, std::size_t from,
                                  std::size_t to, double band)
{
    std::size_t last = to;
    for (std::size_t i = to; i-- > from;)
        if (std::fabs(r[i] - 1.0) > band) {
            last = i;
            break;
        }
    if (last == to)
        return t[from];
    if (last + 1 >= to)
        return std::nullopt;
    // Between the last sample outside and the first inside: where |r - 1| meets the band.
    const double outside = std::fabs(r[last] - 1.0) - band, inside = band - std::fabs(r[last + 1] - 1.0);
    const double f = outside + inside > 0 ? outside / (outside + inside) : 0.0;
    return t[last] + f * (t[last + 1] - t[last]);
}

std::string Number(double v)
{
    const numtext::CNotation cNotation;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4g", v);
    return buf;
}

StepFigures NotAStep(std::string why)
{
    StepFigures f;
    f.notAStep = std::move(why);
    return f;
}

// Where a command steps: its step index, where the stretch ends (before a second step), its level
// before the step, and whether it holds one level throughout.
struct CommandStep {
    std::size_t step = 0;
    std::size_t end = 0;
    double before = 0;
    bool oneLevel = false;
};

std::optional<CommandStep> FindCommandStep(const std::vector<double> &u, const std::vector<double> &y,
                                           std::string &why)
{
    const auto [ulo, uhi] = std::minmax_element(u.begin(), u.end());
    const auto [ylo, yhi] = std::minmax_element(y.begin(), y.end());
    const double span = *uhi - *ulo;
    CommandStep c;
    c.end = u.size();
    const double scale = std::max({std::fabs(*uhi), std::fabs(*ulo), *yhi - *ylo});
    if (span <= kFlatCommand * scale) {
        c.oneLevel = true;
        return c;
    }
    const double tolerance = kCommandLevelTolerance * span;
    for (double v : u)
        if (std::fabs(v - *ulo) > tolerance && std::fabs(v - *uhi) > tolerance) {
            why = "the command holds values between its two levels (a ramp or noise, not a step)";
            return std::nullopt;
        }
    const double middle = (*ulo + *uhi) / 2;
    const bool startsHigh = u.front() > middle;
    auto crosses = [&](std::size_t from, bool high) {
        for (std::size_t i = from; i < u.size(); ++i)
            if ((u[i] > middle) != high)
                return i;
        return u.size();
    };
    c.step = crosses(0, startsHigh);
    c.end = crosses(c.step, !startsHigh);
    c.before = Mean(u, 0, c.step);
    return c;
}

} // namespace

StepFigures ComputeStepFigures(const std::vector<double> &t, const std::vector<double> &y,
                               const std::vector<double> *command)
{
    if (y.size() != t.size() || (command && command->size() != t.size()))
        return NotAStep("the channels hold different numbers of samples");
    if (y.size() < kMinStepSamples)
        return NotAStep("the sweep holds only " + std::to_string(y.size()) + " samples");
    auto finite = [](const std::vector<double> &v) {
        return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
    };
    if (!finite(t) || !finite(y) || (command && !finite(*command)))
        return NotAStep("the samples hold values that are not numbers");

    // The stretch: from the first sample (its start gives the initial value) to its end.
    std::size_t step = 0, end = y.size();
    std::optional<CommandStep> cmd;
    if (command) {
        std::string why;
        cmd = FindCommandStep(*command, y, why);
        if (!cmd)
            return NotAStep(why);
        step = cmd->step;
        end = cmd->end;
    }
    if (end - step < kMinStepSamples)
        return NotAStep("only " + std::to_string(end - step) + " samples follow the step");

    if (const auto [low, high] = std::minmax_element(y.begin(), y.begin() + static_cast<std::ptrdiff_t>(end));
        *low == *high)
        return NotAStep("the signal does not change");

    const std::size_t tenth = std::max<std::size_t>(3, (end - step) / 10);
    const std::size_t fifth = std::max<std::size_t>(4, (end - step) / 5);
    const double finalValue = Mean(y, end - tenth, end);
    const LineFit fit = FitLine(t, y, end - fifth, end);

    auto withinNoise = [&](double change) {
        return NotAStep("its change of " + Number(change) + " is within the noise (scatter " + Number(fit.scatter) + ")");
    };
    double initialValue = y[step];
    if (cmd) {
        initialValue = step > 0 ? Mean(y, 0, step) : y.front();
    } else {
        if (std::fabs(finalValue - y.front()) <= kNoiseFactor * fit.scatter)
            return withinNoise(finalValue - y.front());
        // The first stretch within a band around the first sample: the level before the step.
        const double band = std::max(kSettleBand2 * std::fabs(finalValue - y.front()), 4 * fit.scatter);
        std::size_t last = 0;
        while (last + 1 < end && std::fabs(y[last + 1] - y.front()) <= band)
            ++last;
        step = last;
        initialValue = Mean(y, 0, last + 1);
        if (end - step < kMinStepSamples)
            return NotAStep("the signal keeps its first level up to the last " + std::to_string(end - step) +
                            " samples");
    }

    const double change = finalValue - initialValue;
    if (change == 0)
        return NotAStep("the signal does not change");
    if (std::fabs(change) <= kNoiseFactor * fit.scatter)
        return withinNoise(change);
    if (std::fabs(fit.drift) > kDriftLimit * std::fabs(change) && std::fabs(fit.drift) > 3 * fit.driftUncertainty)
        return NotAStep("it still moves by " + Number(100 * std::fabs(fit.drift / change)) +
                        " % of its change across the last fifth of the sweep (a ramp?)");

    std::vector<double> r(y.size());
    for (std::size_t i = 0; i < y.size(); ++i)
        r[i] = (y[i] - initialValue) / change;
    const std::optional<double> t10 = FirstReach(t, r, step, end, 0.1);
    const std::optional<double> t90 = t10 ? FirstReach(t, r, step, end, 0.9) : std::nullopt;
    if (!t90)
        return NotAStep("it never reaches 90 % of its change");

    StepFigures f;
    f.isStep = true;
    f.withCommand = cmd.has_value();
    f.stepTime = t[step];
    f.initialValue = initialValue;
    f.finalValue = finalValue;
    f.riseTime = *t90 - *t10;

    // The peak: the largest sample, refined by the parabola through it and its neighbours.
    std::size_t p = step;
    for (std::size_t i = step; i < end; ++i)
        if (r[i] > r[p])
            p = i;
    double peak = r[p], peakTime = t[p];
    if (p > step && p + 1 < end) {
        const double a = r[p - 1], b = r[p], c = r[p + 1];
        const double curvature = a - 2 * b + c;
        if (curvature < 0) {
            const double shift = 0.5 * (a - c) / curvature;
            peak = b - 0.25 * (a - c) * shift;
            peakTime = t[p] + shift * (shift < 0 ? t[p] - t[p - 1] : t[p + 1] - t[p]);
        }
    }
    f.peakValue = initialValue + change * peak;
    f.peakTime = peakTime - f.stepTime;
    f.overshootPercent = peak > 1.0 ? 100.0 * (peak - 1.0) : 0.0;
    if (const auto s = SettledFrom(t, r, step, end, kSettleBand2))
        f.settling2 = *s - f.stepTime;
    if (const auto s = SettledFrom(t, r, step, end, kSettleBand5))
        f.settling5 = *s - f.stepTime;

    if (cmd) {
        const double level = Mean(*command, end - tenth, end);
        f.commandLevel = level;
        f.steadyStateError = level - finalValue;
        const double commandStep = level - (cmd->oneLevel ? initialValue : cmd->before);
        if (commandStep != 0)
            f.steadyStateErrorPercent = 100.0 * *f.steadyStateError / std::fabs(commandStep);
    }
    return f;
}

} // namespace tools700::analysis
