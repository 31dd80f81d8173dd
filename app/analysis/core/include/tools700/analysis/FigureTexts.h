// The texts of step figures, cursor read-outs and their numbers, as the analysis window, its
// printout, its CSV and `tools700-cli sweep` show them.
#pragma once

#include "tools700/analysis/StepFigures.h"

#include <array>
#include <string>
#include <vector>

namespace tools700::analysis {

// The figures' rows, in order.
inline constexpr std::array<const char *, 10> kFigureLabels = {
    "Step at",         "Initial value",        "Final value",          "Rise time (10-90 %)", "Peak",
    "Peak time",       "Overshoot",            "Settling time (±2 %)", "Settling time (±5 %)",
    "Steady-state error"};

// A time: below a second in milliseconds ("12.3 ms"), else in seconds ("1.25 s").
std::string TimeText(double seconds);
// A value with its unit ("987.65 Rpm").
std::string ValueText(double value, const std::string &unit);
// A frequency ("83.333 Hz").
std::string FrequencyText(double hertz);

// One text a row of kFigureLabels; "-" throughout when the data holds no step.
std::vector<std::string> FigureValues(const StepFigures &figures, const std::string &unit);
// "Not a step: <why>" when the data holds no step, else empty.
std::string NotAStepText(const StepFigures &figures);
// "label: value" a row, or the one "Not a step: ..." line.
std::vector<std::string> FigureLines(const StepFigures &figures, const std::string &unit);

} // namespace tools700::analysis
