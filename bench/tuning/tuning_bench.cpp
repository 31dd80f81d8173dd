// tuning_bench: how long the tuning wizard's on-line start (LoadTuningData: ten reads) and its
// Apply (four reads, five writes) take against the drive simulator pacing its replies at
// 19200 bit/s, and how long one evaluation of the formulas takes.
//
//   tuning_bench [runs]      (default 5)
#include "comm700.h"
#include "mdb700.h"
#include "support/PacedSim.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/config/Generator.h"
#include "tools700/config/MotorChoice.h"
#include "tools700/tuning/TuningWizard.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace tools700;
using namespace tools700::tuning;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    if (!bench::OwnNamespace("tuning_bench", argv))
        return 1;
    const bench::PacedSim sim("tuning_bench", {"--model", "733", "--configured", "--pace"});
    if (!sim.Up())
        return 1;
    std::string motor;
    for (const std::string &m : MotorNames(false, 320))
        if (mdb_Ke(m.c_str()) > 0 && mdb_Inertia(m.c_str()) > 0 && mdb_Inductance(m.c_str()) > 0) {
            motor = m;
            break;
        }
    PutVar700("Motor1", PackMotorName(motor, 0));
    PutVar700("Motor2", PackMotorName(motor, 1));

    std::printf("tuning_bench: the tuning wizard on line against drivesim --pace (motor %s)\n", motor.c_str());
    std::printf("%5s %10s %10s\n", "run", "load ms", "apply ms");
    double loadSum = 0, applySum = 0;
    int rc = 0;
    for (int r = 0; r < runs; ++r) {
        ScriptedMessages messages({}, Answer::Yes);
        TuningWizard w(messages);
        w.TuningMode = kOnline;
        auto t0 = Clock::now();
        const int problem = w.LoadTuningData();
        const double load = Ms(Clock::now() - t0);
        t0 = Clock::now();
        bool applied = false;
        try {
            applied = ApplyGains({0.2 + 0.01 * r, 5, 150, 750}, messages);
        } catch (const Error &) {
        }
        const double apply = Ms(Clock::now() - t0);
        std::printf("%5d %10.1f %10.1f%s\n", r + 1, load, apply, problem == 0 && applied ? "" : "  (failed)");
        rc |= problem == 0 && applied ? 0 : 1;
        loadSum += load;
        applySum += apply;
    }
    const int rounds = 1000000;
    const LoopSettings loop{5, 150, 750, 0, 0, kTwoPi * 10, 0.01};
    double sink = 0;
    const auto t0 = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        const double bw = 1 + i % 200;
        sink += KvpFromBandwidth(bw, 0.5, 1e-4, 1) + PhaseMargin(bw, loop);
    }
    const double us = Ms(Clock::now() - t0) * 1000.0 / rounds;
    std::printf("load: mean %.1f ms; apply: mean %.1f ms; Kvp and phase margin of one bandwidth: %.3f us (%g)\n",
                loadSum / runs, applySum / runs, us, sink > 0 ? 1.0 : 0.0);
    return rc;
}
