// tools700-cli watch: the on-line window's poll in a terminal. Up to six variables, the inputs
// and outputs with their mappings, the drive, motor and mode and the fault state, read in one
// exchange per poll and printed as one block per poll (redrawn in place on a terminal).
#pragma once

#include "tools700/online/OnlineDrive.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace tools700::cli {

struct WatchOptions {
    std::vector<std::string> names; // 1..6 variables, as the dictionary spells them
    double intervalSeconds = 1.0;
    std::optional<int> count;       // polls to run; without it until SIGINT or SIGTERM
    bool redraw = false;            // `out` is a terminal: each block replaces the one before
};

// The lines of one block: the state after a poll of the rows named `names`.
std::vector<std::string> WatchBlock(const std::vector<std::string> &names, const online::DriveView &view);

// Runs the polls on the open link; the exit code: 0 when every poll was answered, 4 otherwise.
int Watch(const WatchOptions &options, FILE *out);

} // namespace tools700::cli
