// The synthetic drive signals the simulated oscilloscope samples: one deterministic waveform
// per monitor signal code (the codes of DM1Map/DM2Map, 0..30), each a function of the drive's
// time, so a capture at a given timebase shows a predictable number of periods.
#pragma once

namespace drivesim {

constexpr int kSignalCount = 31;

// True for the codes 0..30.
bool IsSignalCode(int code);
// The value of signal `code` at time `ms` (milliseconds since the drive started), in the
// signal's own unit (rpm, amps, volts, counts, ...).
double SignalValue(int code, double ms);
// The largest magnitude the signal reaches; the capture scale is chosen from it.
double SignalPeak(int code);
// Period of the signal's waveform in milliseconds.
double SignalPeriodMs(int code);

// Where a capture's samples come from: the fixed waveforms above by default, the velocity loop
// with --step.
class SignalSource {
public:
    virtual ~SignalSource() = default;
    // Before each capture: the source takes up the drive's present settings.
    virtual void Prepare() {}
    virtual double Value(int code, double ms) const { return SignalValue(code, ms); }
    virtual double Peak(int code) const { return SignalPeak(code); }
    // Every signal repeats within this time (a trigger is looked for a few of them ahead).
    virtual double RepeatMs() const { return 1000.0; }
};

}  // namespace drivesim
