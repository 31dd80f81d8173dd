// The command-line tool: parses the arguments and runs one command. Exit codes: see ExitCode.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace tools700::cli {

enum ExitCode {
    kOk = 0,
    kDifferences = 1,   // diff: the drive holds other values than the file
    kNotAStep = 1,      // sweep: the data holds no step
    kUsage = 2,         // bad command line
    kFileError = 3,     // a file cannot be read or written
    kCommError = 4,     // the drive does not answer, or the port cannot be used
    kRefused = 5,       // the drive refused a value or command; download aborted; model mismatch
    kDeclined = 6,      // a question was answered No
    kUnknownName = 7,   // no such variable, command, motor, drive or mode
};

// Runs the tool with argv[1..]; normal output goes to `out`, messages and questions to `err`,
// answers are read from `in` when `interactive` (a terminal) is true.
int Run(const std::vector<std::string> &args, FILE *in, FILE *out, FILE *err, bool interactive,
        bool progressOnErr);

std::string HelpText();
// "<program> (700Tools) <release>" and the versions of the two libraries, one per line.
std::string VersionText(const std::string &program);

// The exit code of a failed link call: unknown name, refused by the drive, or no answer.
int ExitForStatus(int status);

} // namespace tools700::cli
