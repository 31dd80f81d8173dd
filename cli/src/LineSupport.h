// What the commands of the whole line (scan, address, backup, restore) share: the axes of
// --axes, progress shown as a bar on a terminal and as plain lines otherwise, and SIGINT or
// SIGTERM taken as Cancel, so a backup or restore keeps what it finished.
#pragma once

#include "Command.h"
#include "ProgressBar.h"

#include <optional>
#include <string>
#include <vector>

namespace tools700::cli {

// The addresses of --axes ("1..32", "1,3,5-8"); nothing when the option is not given. A bad
// list is a UsageError.
std::optional<std::vector<int>> AxesOption(const Context &ctx);

class LineProgress {
public:
    LineProgress(const Context &ctx, std::string label);
    // Moves the bar (a terminal only).
    void Fraction(double f);
    // A step worth a line where no bar is drawn (stderr not a terminal).
    void Step(const std::string &text);
    // Prints a result line on stdout, ending the bar's line first.
    void Result(const std::string &text);
    // Ends the bar's line.
    void Done() { bar_.Done(); }

private:
    const Context &ctx_;
    ProgressBar bar_;
};

// While it lives, SIGINT and SIGTERM ask the command to stop at its next step instead of ending
// the tool; a second signal ends the tool at once.
class CancelOnSignal {
public:
    CancelOnSignal();
    ~CancelOnSignal();
    CancelOnSignal(const CancelOnSignal &) = delete;
    CancelOnSignal &operator=(const CancelOnSignal &) = delete;
    bool Requested() const;
};

// The exit code of a command stopped by SIGINT or SIGTERM, as a shell gives it.
constexpr int kInterrupted = 130;

} // namespace tools700::cli
