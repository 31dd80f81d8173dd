#include "ScopeSignals.h"

#include <cmath>

namespace drivesim {

namespace {

enum class Shape { Sine, Square, Triangle, Sawtooth };

struct Waveform {
    Shape shape;
    double offset;     // value around which it moves
    double amplitude;  // half of the peak-to-peak swing (sawtooth: full swing from offset)
    double periodMs;
    double phase;      // fraction of a period
};

// Indexed by signal code. Velocity signals run a 10 Hz sine of 1000 rpm, the currents a 40 Hz
// three-phase set, positions count up as saw-teeth; feedback lags its command slightly.
const Waveform kWaves[kSignalCount] = {
    /* 0 Analog Output            */ {Shape::Sine, 0.0, 2.5, 100.0, 0.0},
    /* 1 Velocity Feedback        */ {Shape::Sine, 0.0, 980.0, 100.0, -0.02},
    /* 2 Velocity Command (actual)*/ {Shape::Sine, 0.0, 1000.0, 100.0, 0.0},
    /* 3 Velocity Error           */ {Shape::Sine, 0.0, 125.0, 100.0, 0.23},
    /* 4 Filtered Velocity Error  */ {Shape::Sine, 0.0, 100.0, 100.0, 0.2},
    /* 5 Position                 */ {Shape::Sawtooth, 0.0, 65536.0, 200.0, 0.0},
    /* 6 Position Error           */ {Shape::Sine, 0.0, 50.0, 100.0, 0.25},
    /* 7 Position Command         */ {Shape::Sawtooth, 0.0, 65536.0, 200.0, 0.01},
    /* 8 Current Command          */ {Shape::Sine, 0.0, 5.0, 50.0, 0.0},
    /* 9 Current Feedback         */ {Shape::Sine, 0.0, 4.9, 50.0, -0.02},
    /*10 Analog Input             */ {Shape::Triangle, 0.0, 5.0, 200.0, 0.0},
    /*11 Encoder Frequency        */ {Shape::Sine, 0.0, 20000.0, 100.0, 0.0},
    /*12 Encoder Position         */ {Shape::Sawtooth, 0.0, 4096.0, 100.0, 0.0},
    /*13 I*t Filtered Current     */ {Shape::Sine, 40.0, 2.0, 500.0, 0.0},
    /*14 HS Temperature           */ {Shape::Sine, 38.5, 0.5, 1000.0, 0.0},
    /*15 Commutation Angle        */ {Shape::Sawtooth, 0.0, 360.0, 25.0, 0.0},
    /*16 IU                       */ {Shape::Sine, 0.0, 4.0, 25.0, 0.0},
    /*17 IV                       */ {Shape::Sine, 0.0, 4.0, 25.0, -1.0 / 3.0},
    /*18 IW                       */ {Shape::Sine, 0.0, 4.0, 25.0, -2.0 / 3.0},
    /*19 VU                       */ {Shape::Sine, 0.0, 150.0, 25.0, 0.0},
    /*20 VV                       */ {Shape::Sine, 0.0, 150.0, 25.0, -1.0 / 3.0},
    /*21 VW                       */ {Shape::Sine, 0.0, 150.0, 25.0, -2.0 / 3.0},
    /*22 VBus                     */ {Shape::Sine, 325.0, 5.0, 10.0, 0.0},
    /*23 Respos                   */ {Shape::Sawtooth, 0.0, 65536.0, 100.0, 0.0},
    /*24 Cmd Non_Trq Current      */ {Shape::Sine, 0.0, 0.2, 50.0, 0.0},
    /*25 Non-Trq IFB              */ {Shape::Sine, 0.0, 0.1, 50.0, 0.1},
    /*26 Trq Voltage Cmd          */ {Shape::Sine, 0.0, 60.0, 25.0, 0.0},
    /*27 Non-Trq Voltage Cmd      */ {Shape::Sine, 0.0, 10.0, 25.0, 0.25},
    /*28 Velocity Command         */ {Shape::Square, 0.0, 1000.0, 200.0, 0.0},
    /*29 Digital Cmd Freq         */ {Shape::Triangle, 0.0, 10000.0, 200.0, 0.0},
    /*30 I^2*t Filtered Current   */ {Shape::Sine, 20.0, 1.0, 500.0, 0.0},
};

constexpr double kTwoPi = 6.283185307179586;

}  // namespace

bool IsSignalCode(int code) { return code >= 0 && code < kSignalCount; }

double SignalValue(int code, double ms)
{
    if (!IsSignalCode(code)) return 0.0;
    const Waveform& w = kWaves[code];
    double cycles = ms / w.periodMs + w.phase;
    double frac = cycles - std::floor(cycles);  // 0..1 within the period
    switch (w.shape) {
    case Shape::Sine:
        return w.offset + w.amplitude * std::sin(kTwoPi * frac);
    case Shape::Square:
        return w.offset + (frac < 0.5 ? w.amplitude : -w.amplitude);
    case Shape::Triangle:
        return w.offset + w.amplitude * (frac < 0.5 ? 4.0 * frac - 1.0 : 3.0 - 4.0 * frac);
    case Shape::Sawtooth:
        return w.offset + w.amplitude * frac;
    }
    return 0.0;
}

double SignalPeak(int code)
{
    if (!IsSignalCode(code)) return 1.0;
    const Waveform& w = kWaves[code];
    return std::fabs(w.offset) + std::fabs(w.amplitude);
}

double SignalPeriodMs(int code) { return IsSignalCode(code) ? kWaves[code].periodMs : 0.0; }

}  // namespace drivesim
