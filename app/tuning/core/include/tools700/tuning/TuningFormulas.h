// The velocity loop's arithmetic: bandwidth and proportional gain from each other, given the
// motor's voltage constant and rotor inertia and the load-to-motor inertia ratio; the phase margin
// the other loop settings leave; and the roundings the tuning wizard shows its numbers with.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tools700::tuning {

// 1 / (2 pi) to full double precision; the inverse uses the shorter 2 pi below, as the drives'
// own tuning tables were computed with it.
inline constexpr double kInvTwoPi = 0.15915494309644431;
inline constexpr double kTwoPi = 6.283185307;
// The torque per amp of a sine-commutated motor is Ke times cos 30 degrees.
inline constexpr double kCos30 = 0.866025;
inline constexpr double kDegreesPerRadian = 57.29577951471995;

// Bandwidth in Hz from Kvp (amp/rad/sec), Ke (V per rad/s), rotor inertia (kg m^2) and the inertia
// ratio JR.
double BandwidthFromKvp(double kvp, double ke, double inertia, double jr);
double KvpFromBandwidth(double bw, double ke, double inertia, double jr);

// The loop settings besides Kvp that bear on the phase margin.
struct LoopSettings {
    double Kvi = 0;        // Hz
    double ARF0 = 0;       // anti-resonance filter poles, Hz
    double ARF1 = 0;
    double ARZ0 = 0;       // their zeros, Hz; 0 = none
    double ARZ1 = 0;
    double Kip = 0;        // current-loop gain; 0 = no current-loop term, 90 degrees lost
    double Inductance = 0; // winding inductance, henry
};

// Phase margin in degrees at bandwidth `bw` (Hz).
double PhaseMargin(double bw, const LoopSettings &loop);

// x rounded up to `decimals` decimals (ceil(x * 10^n) / 10^n); a value that is already on that
// grid but for the last bits of its binary form stays where it is.
double UpTo(double x, int decimals);
// Rounded to the nearest multiple of 10^-decimals, halves up.
double HalfUp(double x, int decimals = 0);

// Texts in the shortest general number format (numtext::General: at most 15 significant digits),
// with `point` as the decimal separator.
std::string GeneralText(double x, char point = '.');
std::string UpToText(double x, int decimals, char point = '.');
// Kvp as the wizard shows it: to the nearest thousandth, halves up.
std::string KvpText(double kvp, char point = '.');

// The number of a text as the user typed it (numtext::Parse), or tools700::Error with
// numtext::NotANumberText.
double NumberOf(std::string_view text, char point = '.');

} // namespace tools700::tuning
