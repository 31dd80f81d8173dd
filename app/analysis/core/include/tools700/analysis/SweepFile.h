// Sweep files: the CSV the scope's Save CSV..., `tools700-cli scope` and the sweep analysis write.
//
//   # Timebase: 0.01 sec / div (1 ms per sample)
//   # Trigger: Chnl 1, rising edge, level 10 Rpm
//   Frame,Time (s),Velocity Command (Rpm),Velocity Feedback (Rpm)
//   1,0.000000,500,0
//
// One line a sample pair: its frame (a capture), its time from the start of the capture and both
// channels in their signals' units. Comment lines start with '#'; the analysis adds its own (where
// the sweep came from, each channel's scale and offset, the cursors, the zoom, which figures were shown and
// the figures themselves), which a reader that does not know them skips.
#pragma once

#include "tools700/common/Sweep.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tools700::analysis {

// What the analysis window kept beside a sweep: cursors, zoom and the figures' channels.
struct SweepView {
    struct Range {
        double low = 0, high = 0;
    };
    std::optional<double> cursorA, cursorB; // seconds
    // Time (seconds), channel 1 and channel 2 (their units); none: the whole sweep.
    std::optional<std::array<Range, 3>> zoom;
    int figureChannel = 2;  // the channel the step figures are of
    int commandChannel = 1; // its command channel; 0: its own start and end levels
};

struct SweepFile {
    std::vector<Sweep> frames; // in the order of the file, each with its own times
    SweepView view;
};

// Reads a sweep file. Nothing, with `error` set to a sentence that names the file and the line,
// when it cannot be read or holds no sample.
std::optional<SweepFile> ReadSweepFile(const std::string &path, std::string &error);

// Writes one sweep as frame 1 with the view and, as comment lines, `notes` (the figures); a file
// already there is replaced only once the new one is whole. False, with `error` set, when the file
// cannot be written.
bool WriteSweepFile(const std::string &path, const Sweep &sweep, const SweepView &view,
                    const std::vector<std::string> &notes, std::string &error);

} // namespace tools700::analysis
