// The motor database's extension files (*.MDE) for the commands that name motors.
#pragma once

#include "Command.h"

namespace tools700::cli {

// Reads the extension files of --mde-dir, else TOOLS700_MDE_DIR, else the program folder
// (beside a build-tree program, the user's data folder for an installed one) with the program's
// loader (tools700/motors/MotorExtensions.h): the same files in the same order. A duplicate keeps the
// first definition; a file that cannot be read is reported on standard error, in the program's
// words on one line, and skipped.
void LoadExtensions(const Context &ctx);

} // namespace tools700::cli
