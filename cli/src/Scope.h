// tools700-cli scope: captures of two drive signals without the scope window, through the same
// engine (TScope and its DataPump), saved as CSV. Free running, with a trigger, or one single
// sweep armed on the drive.
#pragma once

#include <cstdio>
#include <string>

namespace tools700::cli {

struct ScopeOptions {
    std::string ch1 = "Analog Input", ch2 = "Analog Input"; // signal names, any letter case
    double timebase = 1;   // sample period in ms: 1, 2, 5, 10, 20, 50 or 100
    int trigger = 0;       // 0 none, 1/2 channel 1 rising/falling, 3/4 channel 2
    double level = 0;      // in the trigger channel's unit
    bool single = false;   // arm one sweep and save it when complete
    int frames = 1;        // frames to save (1..9), newest last
    std::string csv;
    bool quiet = false;
};

// Checks the options; an empty text when they can be used, else what is wrong.
std::string CheckScopeOptions(const ScopeOptions &options);

// Captures on the open link and writes the CSV file. Exit code: 0, 3 (file), 4 (no capture).
int CaptureScope(const ScopeOptions &options, FILE *out, FILE *err);

} // namespace tools700::cli
