// The step figures against sweeps whose answers are known in closed form: first-order responses
// (rise time tau ln 9, settling tau ln 50 and tau ln 20, no overshoot) and second-order ones of
// given damping (overshoot exp(-pi zeta / sqrt(1 - zeta^2)), peak time pi / omega_d, rise and
// settling times from the exact response), within 1 %; steps down, steps at the first sample,
// a command that steps twice, steady-state errors, and ramps and noise that are no steps.
#include "tools700/analysis/FigureTexts.h"
#include "tools700/analysis/StepFigures.h"

#include "SyntheticSweep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

using namespace tools700::analysis;
using namespace testutil;

namespace {

constexpr double kPi = 3.14159265358979323846;

// The first time the exact unit response reaches `level` (it rises monotonically up to its peak).
double Reach(const std::function<double(double)> &unit, double level, double upTo)
{
    double lo = 0, hi = upTo;
    for (int i = 0; i < 200; ++i) {
        const double mid = (lo + hi) / 2;
        (unit(mid) >= level ? hi : lo) = mid;
    }
    return hi;
}

// The last time the exact response is outside 1 +- band, scanned finely up to `end`.
double SettledAfter(const std::function<double(double)> &unit, double band, double end)
{
    double last = 0;
    for (double t = 0; t < end; t += end / 4e5)
        if (std::fabs(unit(t) - 1) > band)
            last = t;
    return last;
}

void ExpectWithin(double actual, double expected, double relative, const char *what)
{
    EXPECT_NEAR(actual, expected, std::fabs(expected) * relative) << what;
}

TEST(StepFiguresTest, FirstOrderResponsesMeetTheClosedFormWithinOnePercent)
{
    // A 100-sample sweep of 1 ms samples, the step at sample 10, as the scope captures one; the
    // 90 samples after the step span ten time constants and more.
    for (double tau : {0.003, 0.005, 0.008}) {
        SCOPED_TRACE(tau);
        const Sampled s = Sample(100, 0.001, 10, 0, 500, FirstOrder(tau));
        for (const bool withCommand : {true, false}) {
            SCOPED_TRACE(withCommand);
            const StepFigures f = ComputeStepFigures(s.t, s.y, withCommand ? &s.u : nullptr);
            ASSERT_TRUE(f.isStep) << f.notAStep;
            EXPECT_NEAR(f.stepTime, 0.010, 1e-12);
            EXPECT_DOUBLE_EQ(f.initialValue, 0);
            EXPECT_NEAR(f.finalValue, 500, 500 * std::exp(-0.080 / tau) + 1e-9);
            ExpectWithin(f.riseTime, tau * std::log(9.0), 0.01, "rise time");
            // What the last tenth still lacks of the final value shows as the slightest overshoot.
            EXPECT_NEAR(f.overshootPercent, 0, 0.01);
            ASSERT_TRUE(f.settling2 && f.settling5);
            ExpectWithin(*f.settling2, tau * std::log(50.0), 0.01, "settling 2 %");
            ExpectWithin(*f.settling5, tau * std::log(20.0), 0.01, "settling 5 %");
            EXPECT_EQ(f.steadyStateError.has_value(), withCommand);
        }
    }
}

TEST(StepFiguresTest, SecondOrderResponsesOfGivenDampingMeetTheClosedFormWithinOnePercent)
{
    for (double zeta : {0.2, 0.3, 0.5, 0.7, 0.9}) {
        SCOPED_TRACE(zeta);
        const double wn = 50.0; // rad/s, sampled every millisecond: the rise spans 20 samples and more
        const auto unit = SecondOrder(zeta, wn);
        const Sampled s = Sample(800, 0.001, 20, -200, 800, unit);
        const double wd = wn * std::sqrt(1 - zeta * zeta);
        const double overshoot = 100 * std::exp(-kPi * zeta / std::sqrt(1 - zeta * zeta));
        const double rise = Reach(unit, 0.9, kPi / wd) - Reach(unit, 0.1, kPi / wd);
        for (const bool withCommand : {true, false}) {
            SCOPED_TRACE(withCommand);
            const StepFigures f = ComputeStepFigures(s.t, s.y, withCommand ? &s.u : nullptr);
            ASSERT_TRUE(f.isStep) << f.notAStep;
            ExpectWithin(f.riseTime, rise, 0.01, "rise time");
            ExpectWithin(f.overshootPercent, overshoot, 0.01, "overshoot");
            ExpectWithin(f.peakValue, 800 + 1000 * overshoot / 100, 0.001, "peak");
            ExpectWithin(f.peakTime + f.stepTime - 0.020, kPi / wd, 0.01, "peak time");
            ASSERT_TRUE(f.settling2 && f.settling5);
            // Settling counts from the sample the step is put at: within one sample period.
            EXPECT_NEAR(*f.settling2 + f.stepTime - 0.020, SettledAfter(unit, 0.02, 0.78), 0.001);
            EXPECT_NEAR(*f.settling5 + f.stepTime - 0.020, SettledAfter(unit, 0.05, 0.78), 0.001);
        }
    }
}

TEST(StepFiguresTest, AStepDownGivesTheFiguresOfTheStepUp)
{
    const Sampled up = Sample(300, 0.001, 10, 200, 1000, SecondOrder(0.5, 60));
    const Sampled down = Sample(300, 0.001, 10, 1000, 200, SecondOrder(0.5, 60));
    const StepFigures a = ComputeStepFigures(up.t, up.y, &up.u);
    const StepFigures b = ComputeStepFigures(down.t, down.y, &down.u);
    ASSERT_TRUE(a.isStep && b.isStep);
    EXPECT_NEAR(a.riseTime, b.riseTime, 1e-12);
    EXPECT_NEAR(a.overshootPercent, b.overshootPercent, 1e-9);
    EXPECT_NEAR(b.peakValue, 1200 - a.peakValue, 1e-9);
    EXPECT_NEAR(b.initialValue, 1000, 1e-9);
}

TEST(StepFiguresTest, ACaptureStartingAtTheCommandsEdgePutsTheStepAtTheFirstSample)
{
    // Triggered on the command's edge: the command holds its new level throughout.
    Sampled s = Sample(100, 0.002, 0, 0, 500, FirstOrder(0.01));
    ASSERT_EQ(s.u.front(), 500);
    const StepFigures f = ComputeStepFigures(s.t, s.y, &s.u);
    ASSERT_TRUE(f.isStep) << f.notAStep;
    EXPECT_DOUBLE_EQ(f.stepTime, 0);
    EXPECT_DOUBLE_EQ(f.initialValue, 0);
    ExpectWithin(f.riseTime, 0.01 * std::log(9.0), 0.01, "rise time");
    ASSERT_TRUE(f.commandLevel && f.steadyStateError && f.steadyStateErrorPercent);
    EXPECT_DOUBLE_EQ(*f.commandLevel, 500);
    EXPECT_NEAR(*f.steadyStateError, 0, 0.01);
}

TEST(StepFiguresTest, AProportionalLoopLeavesASteadyStateError)
{
    // The response settles at 90 % of the command: 10 % of the step is left.
    Sampled s = Sample(200, 0.001, 20, 100, 600, FirstOrder(0.005));
    for (double &v : s.y)
        v = 100 + (v - 100) * 0.9;
    const StepFigures f = ComputeStepFigures(s.t, s.y, &s.u);
    ASSERT_TRUE(f.isStep);
    EXPECT_NEAR(*f.steadyStateError, 50, 1e-6);
    EXPECT_NEAR(*f.steadyStateErrorPercent, 10, 1e-6);
    EXPECT_EQ(FigureValues(f, "Rpm").back(), "50 Rpm (10 %)");
    // Against its own levels the same response has no error to show.
    const StepFigures own = ComputeStepFigures(s.t, s.y);
    EXPECT_FALSE(own.steadyStateError);
    EXPECT_EQ(FigureValues(own, "Rpm").back(), "needs a command");
    EXPECT_NEAR(own.riseTime, f.riseTime, 1e-12);
}

TEST(StepFiguresTest, ACommandThatStepsBackEndsTheStretchBeforeIt)
{
    // A square wave: up at sample 10, down at 110; the figures are those of the first step alone.
    const auto unit = SecondOrder(0.6, 80);
    Sampled s = Sample(200, 0.001, 10, 0, 400, unit);
    const Sampled single = Sample(110, 0.001, 10, 0, 400, unit);
    for (std::size_t i = 110; i < 200; ++i) {
        s.u[i] = 0;
        s.y[i] = 400 * (1 - unit(static_cast<double>(i - 110) * 0.001));
    }
    const StepFigures f = ComputeStepFigures(s.t, s.y, &s.u);
    const StepFigures g = ComputeStepFigures(single.t, single.y, &single.u);
    ASSERT_TRUE(f.isStep && g.isStep);
    EXPECT_DOUBLE_EQ(f.riseTime, g.riseTime);
    EXPECT_DOUBLE_EQ(f.overshootPercent, g.overshootPercent);
    EXPECT_DOUBLE_EQ(f.finalValue, g.finalValue);
}

TEST(StepFiguresTest, AStepInModestNoiseKeepsItsFigures)
{
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 5); // 1 % of the step
    Sampled s = Sample(100, 0.001, 10, 0, 500, FirstOrder(0.008));
    for (double &v : s.y)
        v += noise(random);
    const StepFigures f = ComputeStepFigures(s.t, s.y, &s.u);
    ASSERT_TRUE(f.isStep) << f.notAStep;
    ExpectWithin(f.riseTime, 0.008 * std::log(9.0), 0.1, "rise time");
    EXPECT_NEAR(f.finalValue, 500, 10);
}

TEST(StepFiguresTest, RampsAndNoiseAreNotSteps)
{
    Sampled ramp = Sample(100, 0.001, 10, 0, 500, [](double t) { return t / 0.089; });
    const StepFigures r1 = ComputeStepFigures(ramp.t, ramp.y);
    EXPECT_FALSE(r1.isStep);
    EXPECT_NE(r1.notAStep.find("a ramp"), std::string::npos) << r1.notAStep;
    // A ramp answering a step command is no step response either.
    EXPECT_FALSE(ComputeStepFigures(ramp.t, ramp.y, &ramp.u).isStep);
    // A ramp as the command.
    EXPECT_EQ(ComputeStepFigures(ramp.t, ramp.u, &ramp.y).notAStep,
              "the command holds values between its two levels (a ramp or noise, not a step)");

    std::mt19937 random(3);
    std::normal_distribution<double> noise(0, 1);
    Sampled n = Sample(100, 0.001, 0, 0, 0, FirstOrder(1));
    for (double &v : n.y)
        v = noise(random);
    const StepFigures own = ComputeStepFigures(n.t, n.y);
    EXPECT_FALSE(own.isStep);
    EXPECT_NE(own.notAStep.find("within the noise"), std::string::npos) << own.notAStep;
    EXPECT_EQ(NotAStepText(own).rfind("Not a step: ", 0), 0u);
    EXPECT_EQ(FigureLines(own, "Rpm"), std::vector<std::string>{NotAStepText(own)});
    // Noise against a clean step command, and noise as the command.
    Sampled step = Sample(100, 0.001, 30, 0, 1, FirstOrder(0.001));
    EXPECT_FALSE(ComputeStepFigures(step.t, n.y, &step.u).isStep);
    EXPECT_FALSE(ComputeStepFigures(step.t, step.y, &n.y).isStep);
    // A flat signal.
    EXPECT_EQ(ComputeStepFigures(n.t, std::vector<double>(100, 3.0)).notAStep, "the signal does not change");
}

TEST(StepFiguresTest, SweepsTooShortOrMalformedAreNotSteps)
{
    const Sampled s = Sample(7, 0.001, 2, 0, 1, FirstOrder(0.001));
    EXPECT_EQ(ComputeStepFigures(s.t, s.y).notAStep, "the sweep holds only 7 samples");
    Sampled late = Sample(100, 0.001, 95, 0, 1, FirstOrder(0.001));
    EXPECT_EQ(ComputeStepFigures(late.t, late.y, &late.u).notAStep, "only 5 samples follow the step");
    std::vector<double> shorter(late.y.begin(), late.y.end() - 1);
    EXPECT_EQ(ComputeStepFigures(late.t, shorter).notAStep, "the channels hold different numbers of samples");
    late.y[50] = std::nan("");
    EXPECT_EQ(ComputeStepFigures(late.t, late.y).notAStep, "the samples hold values that are not numbers");
}

TEST(StepFiguresTest, FigureTextsNameEachRowWithItsUnit)
{
    const Sampled s = Sample(300, 0.001, 10, 0, 1000, SecondOrder(0.5, 60));
    const StepFigures f = ComputeStepFigures(s.t, s.y, &s.u);
    const std::vector<std::string> lines = FigureLines(f, "Rpm");
    ASSERT_EQ(lines.size(), kFigureLabels.size());
    EXPECT_EQ(lines[0], "Step at: 10 ms");
    EXPECT_EQ(lines[1], "Initial value: 0 Rpm");
    EXPECT_EQ(lines[6], "Overshoot: 16.3 %");
    EXPECT_EQ(lines[3].rfind("Rise time (10-90 %): ", 0), 0u);
    EXPECT_EQ(TimeText(1.25), "1.25 s");
    EXPECT_EQ(TimeText(0.0123), "12.3 ms");
    EXPECT_EQ(ValueText(-0.0, "Rpm"), "0 Rpm");
    EXPECT_EQ(FrequencyText(1000.0 / 12), "83.333 Hz");
}

} // namespace
