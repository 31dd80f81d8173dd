// What diff, send and take share: the file's configuration compared with the drive, with a
// progress bar, the warning for another model on stderr, and the exit code when it fails.
#pragma once

#include "Command.h"
#include "TerminalMessages.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/Comparison.h"

#include <string>
#include <vector>

namespace tools700::cli {

struct FileComparison {
    CfgFromFile file;
    CompareResult result;
    int failure = 0; // an exit code when the comparison could not be made (the message is shown)
};

// Reads FILE (the command's first operand), opens the link and compares.
FileComparison CompareFileWithDrive(const Context &ctx, TerminalMessages &term);

// The variables a send or take works on: the operands after FILE (names checked against the
// comparison, a UsageError for one that is not compared), or else every variable whose value
// differs (`withMissing`: also those the file lacks).
std::vector<std::string> ChosenVariables(const Context &ctx, const Comparison &comparison, bool withMissing);

// "Kvp, Kvi, Kpp".
std::string JoinedNames(const std::vector<std::string> &names);

} // namespace tools700::cli
