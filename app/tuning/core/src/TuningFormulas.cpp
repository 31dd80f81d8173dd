#include "tools700/tuning/TuningFormulas.h"

#include "tools700/Error.h"

#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

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

std::string GeneralText(double x, char point)
{
    if (x == 0)
        x = 0; // no "-0"
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", x);
    std::string text = buf;
    // snprintf follows the C locale, which the program never changes from "C".
    for (char &c : text)
        if (c == '.')
            c = point;
    return text;
}

std::string UpToText(double x, int decimals, char point) { return GeneralText(UpTo(x, decimals), point); }

std::string KvpText(double kvp, char point) { return GeneralText(HalfUp(kvp, 3), point); }

std::optional<double> ParseNumber(std::string_view text, char point)
{
    std::size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1])))
        --e;
    std::string s(text.substr(b, e - b));
    if (s.empty())
        return std::nullopt;
    // Only a plain decimal number: no hexadecimal, no "inf" or "nan".
    for (char &c : s) {
        if (c == point)
            c = '.';
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.' && c != '+' && c != '-' && c != 'e' && c != 'E')
            return std::nullopt;
    }
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    char *end = nullptr;
    const double v = strtod_l(s.c_str(), &end, c);
    if (end != s.c_str() + s.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::string NotANumberText(std::string_view text)
{
    return "'" + std::string(text) + "' is not a valid floating point value";
}

double NumberOf(std::string_view text, char point)
{
    const std::optional<double> v = ParseNumber(text, point);
    if (!v)
        throw Error(NotANumberText(text));
    return *v;
}

} // namespace tools700::tuning
