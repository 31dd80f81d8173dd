#include "VelocityLoop.h"

#include <algorithm>
#include <cmath>

#include "mdb700.h"

namespace drivesim {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kRpmPerRadS = 60.0 / kTwoPi;
// Torque per amp of a sine-commutated motor: Ke times cos 30 degrees.
constexpr double kTorquePerKe = 0.866025;
// The drive's two sampling lags.
constexpr double kSamplingLagHz = 1500.0;
constexpr double kStepS = 10e-6;   // integration step
constexpr double kStoreMs = 0.1;   // the stored response's resolution
constexpr int kStepsPerStore = 10; // kStoreMs / kStepS
// Each level is simulated this long; the loop has settled by then and holds its state after.
constexpr double kSimulatedMs = 2000.0;
// Cycles run before the stored one: the response is periodic by then.
constexpr int kWarmUpCycles = 2;

enum Code { kVelocityFeedback = 1, kVelocityCommandActual = 2, kVelocityError = 3, kCurrentCommand = 8,
            kCurrentFeedback = 9, kVelocityCommand = 28 };

// A first-order low pass with an optional zero, stepped exactly for an input held over a step.
struct Lag {
    double state = 0;
    double pull = 1;      // 1 - exp(-w dt); 1 passes the input through
    double leadRatio = 0; // pole over zero frequency; 0: no zero

    static Lag At(double poleHz, double zeroHz = 0)
    {
        Lag lag;
        if (poleHz > 0)
            lag.pull = 1.0 - std::exp(-kTwoPi * poleHz * kStepS);
        if (poleHz > 0 && zeroHz > 0)
            lag.leadRatio = poleHz / zeroHz;
        return lag;
    }
    double Step(double input)
    {
        state += (input - state) * pull;
        return state + leadRatio * (input - state);
    }
};

}  // namespace

MotorData MotorOf(const std::string &name)
{
    return {mdb_Ke(name.c_str()), mdb_Inertia(name.c_str()), mdb_Inductance(name.c_str()) / 1000.0};
}

VelocityLoop::VelocityLoop(const StepSetup &setup, std::function<LoopSettings()> settings)
    : setup_(setup), settings_(std::move(settings))
{
}

void VelocityLoop::Prepare()
{
    if (!settings_) return;
    const LoopSettings now = settings_();
    if (!valid_ || !(now == computed_)) Compute(now);
}

double VelocityLoop::CommandRpm(double ms) const
{
    const double cycle = 2 * setup_.periodMs;
    const double phase = ms - std::floor(ms / cycle) * cycle;
    return phase < setup_.periodMs ? setup_.sizeRpm : 0.0;
}

void VelocityLoop::Compute(const LoopSettings &s)
{
    computed_ = s;
    valid_ = true;
    const MotorData motor = MotorOf(s.motor);
    const double totalInertia = (1.0 + setup_.inertiaRatio) * motor.inertia;
    const double torquePerAmp = kTorquePerKe * motor.ke;
    const double currentLoopHz = s.kip > 0 && motor.inductance > 0 ? s.kip / (kTwoPi * motor.inductance) : 0;
    const double simulatedMs = std::min(setup_.periodMs, kSimulatedMs);
    const std::size_t stored = static_cast<std::size_t>(simulatedMs / kStoreMs) + 1;
    for (auto *trace : {&feedback_, &currentCommand_, &currentFeedback_})
        trace->assign(2 * stored, 0.0f);

    Lag arf0 = Lag::At(s.arf0, s.arz0), arf1 = Lag::At(s.arf1, s.arz1), current = Lag::At(currentLoopHz);
    Lag sampling1 = Lag::At(kSamplingLagHz), sampling2 = Lag::At(kSamplingLagHz);
    double w = 0, integral = 0;
    const std::size_t steps = (stored - 1) * kStepsPerStore;
    for (int cycle = 0; cycle <= kWarmUpCycles; ++cycle) {
        const bool keep = cycle == kWarmUpCycles;
        for (std::size_t half = 0; half < 2; ++half) {
            const double command = (half == 0 ? setup_.sizeRpm : 0.0) / kRpmPerRadS;
            for (std::size_t k = 0; k <= steps; ++k) {
                if (keep && k % kStepsPerStore == 0) {
                    const std::size_t at = half * stored + k / kStepsPerStore;
                    feedback_[at] = static_cast<float>(w * kRpmPerRadS);
                    currentCommand_[at] = static_cast<float>(std::clamp(arf1.state, -s.ipeak, s.ipeak));
                    currentFeedback_[at] = static_cast<float>(sampling2.state);
                }
                if (k == steps) break;
                const double error = command - w;
                const double wanted = s.kvp * (error + kTwoPi * s.kvi * integral);
                const double filtered = arf1.Step(arf0.Step(wanted));
                const double limited = std::clamp(filtered, -s.ipeak, s.ipeak);
                // The integral stops while the limit holds the current against the error.
                if (limited == filtered || (filtered > limited) != (error > 0)) integral += error * kStepS;
                const double amps = sampling2.Step(sampling1.Step(current.Step(limited)));
                if (totalInertia > 0) w += torquePerAmp * amps / totalInertia * kStepS;
            }
        }
    }
}

double VelocityLoop::At(const std::vector<float> &trace, double ms) const
{
    if (trace.empty()) return 0.0;
    const std::size_t stored = trace.size() / 2;
    const double cycle = 2 * setup_.periodMs;
    double phase = ms - std::floor(ms / cycle) * cycle;
    std::size_t half = 0;
    if (phase >= setup_.periodMs) {
        half = 1;
        phase -= setup_.periodMs;
    }
    const double position = phase / kStoreMs;
    if (position >= static_cast<double>(stored - 1)) return trace[half * stored + stored - 1];
    const std::size_t i = static_cast<std::size_t>(position);
    const double f = position - static_cast<double>(i);
    return trace[half * stored + i] * (1 - f) + trace[half * stored + i + 1] * f;
}

double VelocityLoop::Value(int code, double ms) const
{
    switch (code) {
    case kVelocityCommand:
    case kVelocityCommandActual: return CommandRpm(ms);
    case kVelocityFeedback: return At(feedback_, ms);
    case kVelocityError: return CommandRpm(ms) - At(feedback_, ms);
    case kCurrentCommand: return At(currentCommand_, ms);
    case kCurrentFeedback: return At(currentFeedback_, ms);
    default: return SignalSource::Value(code, ms);
    }
}

double VelocityLoop::Peak(int code) const
{
    switch (code) {
    case kVelocityCommand:
    case kVelocityCommandActual: return std::max(1.0, std::fabs(setup_.sizeRpm));
    // Room for an overshoot of the whole step.
    case kVelocityFeedback:
    case kVelocityError: return std::max(1.0, 2 * std::fabs(setup_.sizeRpm));
    case kCurrentCommand:
    case kCurrentFeedback: return std::max(1.0, computed_.ipeak);
    default: return SignalSource::Peak(code);
    }
}

}  // namespace drivesim
