// Step figures: how a signal answered a step, from its samples alone or against a command.
//
// Definitions (t the sample times in seconds, y the response, u the command when one is given):
//
// Step instant t0 and the analysed stretch.
//   With a command: the command must be a clean step, every sample within 5 % of its span of its
//   lowest or its highest value. The step is at the first sample on the far side of the middle
//   of that span from the command's first sample; t0 is that sample's time. Where the command
//   steps again later, the stretch ends before that second step. A command that holds one level
//   throughout (the scope triggered on its edge, so the capture starts at the step) puts the
//   step at the first sample.
//   Own levels: the step is at the last sample of the response's first stretch within a band
//   around its first sample (2 % of the change from the first to the final value, at least four
//   times the noise); t0 is that sample's time.
// Final value y1: the mean of the last tenth of the stretch (at least 3 samples).
// Initial value y0: the mean of the response before the step instant, up to and including it
//   (own levels), or before the command's step (with a command); the first sample when the step
//   is at the first sample.
// Change D = y1 - y0; r = (y - y0) / D is the response as a fraction of its change.
// Rise time (10-90 %): from the first time r reaches 0.1 to the first time it reaches 0.9,
//   each found by linear interpolation between samples.
// Peak: the largest r after the step, refined by a parabola through the largest sample and its
//   two neighbours; the peak value is y0 + D * r and its time is counted from t0.
// Overshoot %: 100 * (peak r - 1) when the peak passes the final value, else 0.
// Settling time to +-2 % (+-5 %): from t0 to the time after which |r - 1| stays within 0.02
//   (0.05) up to the end of the stretch, interpolated between the last sample outside the band
//   and the next one. None when the last sample is still outside: "not settled".
// Steady-state error (with a command only): the command's mean over the last tenth of the
//   stretch minus y1, in the response's unit, and as a percentage of the command's step (of the
//   change from y0 to the command's level when the command holds one level throughout).
//
// Not a step: fewer than 8 samples in the stretch; a command with values between its two levels
// (a ramp, noise); a change D within ten times the noise (the scatter of the last fifth of the
// stretch about its straight-line fit); a response that still moves by more than 5 % of D across
// that last fifth (a ramp); a response that never reaches 90 % of its change.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tools700::analysis {

// Fewest samples a stretch needs.
inline constexpr std::size_t kMinStepSamples = 8;

struct StepFigures {
    bool isStep = false;
    // Why the data holds no step (when isStep is false), as a sentence that follows "Not a step: ".
    std::string notAStep;

    bool withCommand = false;   // figures against a command
    double stepTime = 0;        // t0, seconds from the start of the sweep
    double initialValue = 0;    // y0
    double finalValue = 0;      // y1
    double riseTime = 0;        // seconds
    double peakValue = 0;
    double peakTime = 0;        // seconds after t0
    double overshootPercent = 0;
    std::optional<double> settling2; // seconds after t0; none: not settled within the sweep
    std::optional<double> settling5;
    // Against a command only.
    std::optional<double> commandLevel;          // the command's final level
    std::optional<double> steadyStateError;      // commandLevel - y1
    std::optional<double> steadyStateErrorPercent;
};

// The figures of `response` at `seconds` (same length), against `command` when given (same
// length), else against its own start and end levels.
StepFigures ComputeStepFigures(const std::vector<double> &seconds, const std::vector<double> &response,
                               const std::vector<double> *command = nullptr);

} // namespace tools700::analysis
