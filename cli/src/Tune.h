// tools700-cli tune: the tuning wizard's conversions in a terminal. From a motor's data and the
// inertia ratio, a bandwidth gives Kvp or Kvp gives the bandwidth, with the phase margin the loop
// settings leave; --apply writes Kvp, Kvi, ARF0 and ARF1 to the drive after the wizard's question.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace tools700 {
class Messages;
}

namespace tools700::cli {

struct TuneOptions {
    std::string motor;                 // off line: required; with --apply: the drive's own motor
    double ratio = 1.0;                // load-to-motor inertia ratio
    std::optional<double> bandwidth;   // Hz; exactly one of bandwidth and kvp
    std::optional<double> kvp;
    // Loop settings; without them off line the wizard's defaults (Kvi 5, ARF0 150, ARF1 750, no
    // zeros, the motor's current loop), with --apply the drive's values.
    std::optional<double> kvi, arf0, arf1, arz0, arz1, kip;
    bool apply = false;
};

// Prints the motor, the ratio, bandwidth, Kvp, the loop and the phase margin on `out`; with
// apply, asks and writes on the open link. Exit codes as the tool's: 2 a value out of its range,
// 4/5 the drive did not answer or refused, 6 the question answered No, 7 a motor without data.
int Tune(const TuneOptions &options, Messages &messages, FILE *out, FILE *err);

} // namespace tools700::cli
