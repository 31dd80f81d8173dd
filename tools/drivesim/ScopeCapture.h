// The drive's oscilloscope: captures of 100 sample pairs of two signals at a timebase, free
// running or started by a trigger edge, and single sweeps armed by the host that fill up in
// the drive's own time.
#pragma once

#include <array>
#include <cstdint>

#include "ScopeSignals.h"

namespace drivesim {

constexpr int kScopeSamples = 100;

// Operations of a scope request (word 3).
enum ScopeOperation { kScopeFetch = 0, kScopeArm = 2 };
// Trigger sources (word 6).
enum TriggerSource { kTriggerNone = 0, kCh1Rising = 1, kCh1Falling = 2, kCh2Rising = 3, kCh2Falling = 4 };

struct ScopeSettings {
    int operation = kScopeFetch;
    int timebaseMs = 1;
    int triggerSource = kTriggerNone;
    float triggerLevel = 0.0f;
    int ch1 = 0;
    int ch2 = 0;
};

struct ScopeFrame {
    int count = 0;
    float scale1 = 1.0f;  // sample = value * scale, as a signed 16-bit word
    float scale2 = 1.0f;
    std::array<std::int16_t, kScopeSamples> ch1{};
    std::array<std::int16_t, kScopeSamples> ch2{};
};

class ScopeCapture {
public:
    // Runs one request at drive time `nowMs`. Returns 0 or a refusal code (bad timebase,
    // trigger source or signal: 0x42; unknown operation: 0x44).
    std::uint8_t Request(const ScopeSettings& s, double nowMs, ScopeFrame& frame);
    bool Armed() const { return armed_; }
    // Where the samples come from (null: the fixed waveforms); the source outlives the capture.
    void SetSource(SignalSource* source) { source_ = source; }

private:
    SignalSource& Signals() const;
    // Sample index of the first trigger edge at or after sample `from`, or -1 when the
    // trigger channel never crosses the level within the search window.
    long long FindTrigger(const ScopeSettings& s, long long from) const;
    void Fill(const ScopeSettings& s, long long first, int count, ScopeFrame& frame) const;
    float ScaleFor(int code) const;

    SignalSource* source_ = nullptr;
    bool armed_ = false;
    double armedAtMs_ = 0.0;
};

}  // namespace drivesim
