// The velocity loop of a drive run with --step: a motor with its load under the drive's loop,
// driven by a velocity command that steps between 0 and the step size, so that the scope's
// Velocity Command and Velocity Feedback show a step response that follows the gains.
//
// The model, in the units of the drive's variables:
//   command   wc: 0 and the step size (rpm) by turns, each for one period; it rises at time 0
//   PI        i1 = Kvp (e + 2 pi Kvi integral e), e = wc - w in rad/s, Kvp in A per rad/s
//   filters   two first-order low passes at ARF0 and ARF1 Hz, each with its zero at ARZ0 / ARZ1
//             Hz (0: none)
//   limit     the current command is held within the drive's Ipeak (the integral stops while
//             it is held)
//   current   the current loop, a first-order lag at Kip / (2 pi L) Hz (L the motor's
//             inductance; none for Kip 0), then the drive's two sampling lags at 1500 Hz
//   motor     torque 0.866025 Ke i on the inertia (1 + load ratio) J
// Those are the terms the tuning wizard's phase margin counts, so the response's bandwidth and
// damping follow the wizard's formulas: with the filters far above it, the rise time is close to
// ln 9 / (2 pi bandwidth).
//
// The response is the loop's periodic steady state with the present gains, computed once for each
// set of gains, so every capture sees the same answer for the same time.
#pragma once

#include "ScopeSignals.h"

#include <functional>
#include <string>
#include <vector>

namespace drivesim {

struct StepSetup {
    double sizeRpm = 0;          // 0: no step, the fixed waveforms
    double periodMs = 1000;      // the command holds each level this long
    std::string motor = "KS082A";
    double inertiaRatio = 1.0;   // load inertia over the motor's
};

// What the loop reads of the drive.
struct LoopSettings {
    double kvp = 0, kvi = 0, arf0 = 0, arf1 = 0, arz0 = 0, arz1 = 0, kip = 0;
    double ipeak = 0;
    std::string motor; // the motor database's name
    bool operator==(const LoopSettings &) const = default;
};

// The motor data the loop needs (from the motor database).
struct MotorData {
    double ke = 0;         // V per rad/s
    double inertia = 0;    // kg m^2
    double inductance = 0; // henry
};
// Looks a motor up in the motor database (zeros for a name it does not know).
MotorData MotorOf(const std::string &name);

class VelocityLoop : public SignalSource {
public:
    // `settings` reads the drive's present gains and motor; called before each capture.
    VelocityLoop(const StepSetup &setup, std::function<LoopSettings()> settings);

    void Prepare() override;
    double Value(int code, double ms) const override;
    double Peak(int code) const override;
    double RepeatMs() const override { return 2 * setup_.periodMs; }

    // The response for these settings (Prepare uses the drive's).
    void Compute(const LoopSettings &settings);
    double CommandRpm(double ms) const;

private:
    double At(const std::vector<float> &trace, double ms) const;

    StepSetup setup_;
    std::function<LoopSettings()> settings_;
    LoopSettings computed_;
    bool valid_ = false;
    // One cycle (two periods) of the periodic response, a sample every kStoreMs.
    std::vector<float> feedback_, currentCommand_, currentFeedback_;
};

}  // namespace drivesim
