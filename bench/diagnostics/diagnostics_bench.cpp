// diagnostics_bench: how long the diagnostics window's upload of its 25 values takes against the
// drive simulator pacing its replies at 19200 bit/s, and how long the 18 checks take on them.
//
//   diagnostics_bench [runs]      (default 5)
//
// The upload is the checklist's own (diagnostics::UploadValues: one GetVar700 per value, as the
// window reads them). The checks run on the values in memory.
#include "comm700.h"
#include "support/PacedSim.h"
#include "tools700/diagnostics/Checklist.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace tools700;
using Clock = std::chrono::steady_clock;

namespace {

struct Silent : diagnostics::RunView {
    bool Progress(int) override { return true; }
    void AddLine(const std::string &) override {}
    bool Failed(const diagnostics::FailedCheck &) override { return true; }
    bool Dial(int) override { return true; }
    void UploadFailed() override {}
};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    if (!bench::OwnNamespace("diagnostics_bench", argv))
        return 1;
    const bench::PacedSim sim("diagnostics_bench", {"--model", "733", "--configured", "--pace"});
    if (!sim.Up())
        return 1;
    std::printf("diagnostics_bench: the checklist's upload of %zu values (one read each) against drivesim --pace\n",
                diagnostics::kValueCount);
    std::printf("%5s %12s %14s\n", "run", "upload ms", "ms per value");
    Silent view;
    double sum = 0, worst = 0;
    int rc = 0;
    diagnostics::DiagnosticValues values;
    for (int r = 0; r < runs; ++r) {
        const auto t0 = Clock::now();
        const bool ok = diagnostics::UploadValues(values, view) == diagnostics::RunEnd::Completed;
        const double ms = Ms(Clock::now() - t0);
        std::printf("%5d %12.1f %14.2f%s\n", r + 1, ms, ms / diagnostics::kValueCount, ok ? "" : "  (failed)");
        rc |= ok ? 0 : 1;
        sum += ms;
        worst = std::max(worst, ms);
    }
    const int rounds = 100000;
    std::size_t failures = 0;
    const auto t0 = Clock::now();
    for (int i = 0; i < rounds; ++i)
        failures += diagnostics::RunChecks(values).failures.size();
    const double checkUs = Ms(Clock::now() - t0) * 1000.0 / rounds;
    std::printf("upload: mean %.1f ms, max %.1f ms; the 18 checks on the values: %.2f us (%zu failed)\n",
                sum / runs, worst, checkUs, failures / rounds);
    return rc;
}
