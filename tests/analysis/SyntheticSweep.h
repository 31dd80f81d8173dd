// Step responses with answers known in closed form: first order (time constant tau) and second
// order (damping zeta, natural frequency omega_n), sampled as the scope samples, with the command
// that stepped; as plain vectors for the step figures and as a sweep for the windows.
#pragma once

#include "tools700/common/Sweep.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace testutil {

struct Sampled {
    std::vector<double> t, y, u;
};

// n samples `dt` apart; the command steps from `from` to `to` at sample `at`, the response is
// from + (to - from) * unit(t - t_at).
inline Sampled Sample(std::size_t n, double dt, std::size_t at, double from, double to,
                      const std::function<double(double)> &unit)
{
    Sampled s;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) * dt;
        const double since = t - static_cast<double>(at) * dt;
        s.t.push_back(t);
        s.u.push_back(i < at ? from : to);
        s.y.push_back(since <= 0 ? from : from + (to - from) * unit(since));
    }
    return s;
}

inline std::function<double(double)> FirstOrder(double tau)
{
    return [tau](double t) { return 1.0 - std::exp(-t / tau); };
}

inline std::function<double(double)> SecondOrder(double zeta, double wn)
{
    return [zeta, wn](double t) {
        const double wd = wn * std::sqrt(1 - zeta * zeta);
        return 1.0 - std::exp(-zeta * wn * t) * (std::cos(wd * t) + zeta / std::sqrt(1 - zeta * zeta) * std::sin(wd * t));
    };
}

// The samples as a sweep: channel 1 the command, channel 2 the response.
inline tools700::Sweep ToSweep(const Sampled &s, const std::string &unit = "Rpm")
{
    tools700::Sweep sweep;
    sweep.seconds = s.t;
    sweep.channels[0] = {"Velocity Command", unit, 200, 0, s.u};
    sweep.channels[1] = {"Velocity Feedback", unit, 200, 0, s.y};
    sweep.timebaseMs = s.t.size() > 1 ? (s.t[1] - s.t[0]) * 1000 : 0;
    sweep.trigger = "None (free-running)";
    return sweep;
}

} // namespace testutil
