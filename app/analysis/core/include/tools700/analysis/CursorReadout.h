// The two cursors A and B of the analysis: each sits on a sample of the sweep; the read-out gives
// each channel's value there, the time between them, its inverse and each channel's difference.
#pragma once

#include "tools700/common/Sweep.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tools700::analysis {

struct CursorReadout {
    double timeA = 0, timeB = 0;
    double deltaT = 0;                   // timeB - timeA, seconds
    std::optional<double> inverseDeltaT; // 1 / |deltaT| in Hz; none when the cursors meet
    std::array<double, 2> atA{}, atB{};  // channel 1, channel 2
    std::array<double, 2> deltaY{};      // atB - atA
};

// The read-out of cursors on samples a and b (clamped to the sweep; an empty sweep reads zeros).
CursorReadout ReadCursors(const Sweep &sweep, std::size_t a, std::size_t b);
// The sample nearest to a time.
std::size_t NearestSample(const Sweep &sweep, double seconds);

// The read-out as lines: "Cursor A: <t>", "Cursor B: <t>", "Δt: ...", "1/Δt: ...", then per
// channel "Ch1 <signal> at A: ...", "at B", "ΔY".
std::vector<std::string> CursorLines(const Sweep &sweep, const CursorReadout &readout);

} // namespace tools700::analysis
