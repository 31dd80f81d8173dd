#include "tools700/tuning/TuningFormulas.h"

#include "tools700/common/Error.h"
#include "tools700/common/NumberText.h"

#include <cmath>

namespace tools700::tuning {

double BandwidthFromKvp(double kvp, double ke, double inertia, double jr)
{
    return kvp * ke * kCos30 * kInvTwoPi / ((jr + 1) * inertia);
}

double KvpFromBandwidth(double bw, double ke, double inertia, double jr)
{
    return (jr + 1) * inertia * kTwoPi * bw / (ke * kCos30);
}

namespace {

double Deg(double radians) { return radians * kDegreesPerRadian; }

double Scale(int decimals) { return std::pow(10.0, decimals); }

// x * scale, snapped to the nearest integer when it differs from it only by the rounding of the
// multiplication (2.35 * 100 is 235.00000000000003).
double Scaled(double x, double scale)
{
    const double s = x * scale;
    const double nearest = std::nearbyint(s);
    return std::fabs(s - nearest) <= 1e-9 * std::fmax(1.0, std::fabs(s)) ? nearest : s;
}

} // namespace

double PhaseMargin(double bw, const LoopSettings &loop)
{
    const double fifteenHundredth = 1.0 / 1500;
    double pm = 90 - Deg(std::atan(loop.Kvi / bw) + std::atan(bw / loop.ARF0) + std::atan(bw / loop.ARF1) +
                         2 * std::atan(bw * fifteenHundredth));
    if (loop.ARZ0 != 0)
        pm += Deg(std::atan(bw / loop.ARZ0));
    if (loop.ARZ1 != 0)
        pm += Deg(std::atan(bw / loop.ARZ1));
    if (loop.Kip != 0)
        pm -= Deg(std::atan(kTwoPi * bw * loop.Inductance / loop.Kip));
    else
        pm -= 90;
    return pm;
}

double UpTo(double x, int decimals)
{
    const double scale = Scale(decimals);
    return std::ceil(Scaled(x, scale)) / scale;
}

double HalfUp(double x, int decimals)
{
    const double scale = Scale(decimals);
    return std::floor(Scaled(x, scale) + 0.5) / scale;
}

std::string GeneralText(double x, char point) { return numtext::General(x, point); }

std::string UpToText(double x, int decimals, char point) { return GeneralText(UpTo(x, decimals), point); }

std::string KvpText(double kvp, char point) { return GeneralText(HalfUp(kvp, 3), point); }

double NumberOf(std::string_view text, char point)
{
    const std::optional<double> v = numtext::Parse(text, point);
    if (!v)
        throw Error(numtext::NotANumberText(text));
    return *v;
}

} // namespace tools700::tuning
