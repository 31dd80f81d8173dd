#include "ScopeCapture.h"

#include <algorithm>
#include <cmath>

#include "ScopeSignals.h"
#include "SimDrive.h"

namespace drivesim {

namespace {

std::int16_t ToSample(double value, float scale)
{
    double v = std::round(value * scale);
    return static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
}

}  // namespace

SignalSource& ScopeCapture::Signals() const
{
    static SignalSource fixed;
    return source_ ? *source_ : fixed;
}

float ScopeCapture::ScaleFor(int code) const
{
    // Leaves headroom below 32767 so a sample never saturates.
    return static_cast<float>(30000.0 / Signals().Peak(code));
}

long long ScopeCapture::FindTrigger(const ScopeSettings& s, long long from) const
{
    if (s.triggerSource == kTriggerNone) return from;
    int code = (s.triggerSource <= kCh1Falling) ? s.ch1 : s.ch2;
    bool rising = s.triggerSource == kCh1Rising || s.triggerSource == kCh2Rising;
    double level = s.triggerLevel;
    // Every waveform repeats within RepeatMs; look a few periods ahead.
    long long window = std::max<long long>(2000, static_cast<long long>(3 * Signals().RepeatMs() / s.timebaseMs));
    double prev = Signals().Value(code, static_cast<double>(from - 1) * s.timebaseMs);
    for (long long k = from; k < from + window; ++k) {
        double v = Signals().Value(code, static_cast<double>(k) * s.timebaseMs);
        if (rising ? (prev < level && v >= level) : (prev > level && v <= level)) return k;
        prev = v;
    }
    return -1;
}

void ScopeCapture::Fill(const ScopeSettings& s, long long first, int count, ScopeFrame& frame) const
{
    frame.count = count;
    frame.scale1 = ScaleFor(s.ch1);
    frame.scale2 = ScaleFor(s.ch2);
    for (int i = 0; i < count; ++i) {
        double t = static_cast<double>(first + i) * s.timebaseMs;
        frame.ch1[i] = ToSample(Signals().Value(s.ch1, t), frame.scale1);
        frame.ch2[i] = ToSample(Signals().Value(s.ch2, t), frame.scale2);
    }
}

std::uint8_t ScopeCapture::Request(const ScopeSettings& s, double nowMs, ScopeFrame& frame)
{
    frame = ScopeFrame{};
    if (s.operation != kScopeFetch && s.operation != kScopeArm) return kNotImplemented;
    if (s.timebaseMs < 1 || s.timebaseMs > 10000 || s.triggerSource < kTriggerNone ||
        s.triggerSource > kCh2Falling || !IsSignalCode(s.ch1) || !IsSignalCode(s.ch2) ||
        !std::isfinite(s.triggerLevel))
        return kBoundsError;
    Signals().Prepare();
    frame.scale1 = ScaleFor(s.ch1);
    frame.scale2 = ScaleFor(s.ch2);

    if (s.operation == kScopeArm) {
        // A single sweep starts now; its samples come in the drive's own time.
        armed_ = true;
        armedAtMs_ = nowMs;
        return kAccepted;
    }
    if (!armed_) {
        long long start = static_cast<long long>(std::ceil(nowMs / s.timebaseMs));
        long long first = FindTrigger(s, start);
        if (first >= 0) Fill(s, first, kScopeSamples, frame);
        return kAccepted;
    }
    long long start = static_cast<long long>(std::ceil(armedAtMs_ / s.timebaseMs));
    long long first = FindTrigger(s, start);
    if (first < 0) return kAccepted;  // still waiting for the trigger edge
    long long newest = static_cast<long long>(std::floor(nowMs / s.timebaseMs));
    long long available = std::clamp<long long>(newest - first + 1, 0, kScopeSamples);
    Fill(s, first, static_cast<int>(available), frame);
    if (available == kScopeSamples) armed_ = false;  // the sweep is complete
    return kAccepted;
}

}  // namespace drivesim
