#include "tools700/analysis/FigureTexts.h"

#include "Printed.h"

#include <cmath>

namespace tools700::analysis {

std::string TimeText(double seconds)
{
    if (std::fabs(seconds) < 1.0)
        return Printed("%.4g ms", seconds * 1000.0);
    return Printed("%.4g s", seconds);
}

std::string ValueText(double value, const std::string &unit)
{
    // A value that prints as "-0" is 0.
    if (std::fabs(value) < 5e-13)
        value = 0;
    const std::string number = Printed("%.6g", value);
    return unit.empty() ? number : number + " " + unit;
}

std::string FrequencyText(double hertz) { return Printed("%.5g Hz", hertz); }

std::vector<std::string> FigureValues(const StepFigures &f, const std::string &unit)
{
    if (!f.isStep)
        return std::vector<std::string>(kFigureLabels.size(), "-");
    auto settling = [](const std::optional<double> &s) { return s ? TimeText(*s) : std::string("not settled"); };
    std::string error = "needs a command";
    if (f.steadyStateError) {
        error = ValueText(*f.steadyStateError, unit);
        if (f.steadyStateErrorPercent)
            error += Printed(" (%.3g %%)", *f.steadyStateErrorPercent);
    }
    return {TimeText(f.stepTime),
            ValueText(f.initialValue, unit),
            ValueText(f.finalValue, unit),
            TimeText(f.riseTime),
            ValueText(f.peakValue, unit),
            TimeText(f.peakTime),
            Printed("%.1f %%", f.overshootPercent),
            settling(f.settling2),
            settling(f.settling5),
            error};
}

std::string NotAStepText(const StepFigures &f) { return f.isStep ? std::string() : "Not a step: " + f.notAStep; }

std::vector<std::string> FigureLines(const StepFigures &f, const std::string &unit)
{
    if (!f.isStep)
        return {NotAStepText(f)};
    const std::vector<std::string> values = FigureValues(f, unit);
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < kFigureLabels.size(); ++i)
        lines.push_back(std::string(kFigureLabels[i]) + ": " + values[i]);
    return lines;
}

} // namespace tools700::analysis
