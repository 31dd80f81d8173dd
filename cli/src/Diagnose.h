// tools700-cli diagnose: the diagnostics window's checklist in a terminal. The drive's 25 values
// are read, and each failed check is printed with its explanation, then the summary.
#pragma once

#include <cstdio>

namespace tools700::cli {

// Runs the checklist on the open link. Exit code: 0 when every check passed, 1 when one failed
// (or the drive is faulted), 4 when the drive does not answer.
int Diagnose(FILE *out, FILE *err);

} // namespace tools700::cli
