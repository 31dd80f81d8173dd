// A progress bar for long transfers, drawn on a terminal only.
#pragma once

#include <cstdio>
#include <string>

namespace tools700::cli {

class ProgressBar {
public:
    // Draws on `out` only when `enabled` (the caller checks that it is a terminal).
    ProgressBar(FILE *out, bool enabled, std::string label);
    ~ProgressBar();
    void operator()(double fraction);
    void Done();

private:
    FILE *out_;
    bool enabled_;
    std::string label_;
    int lastPercent_ = -1;
    bool drawn_ = false;
};

} // namespace tools700::cli
