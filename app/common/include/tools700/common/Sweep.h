// A sweep: the samples of the scope's two channels over one capture, with what the samples mean
// (signal, unit, the scale and offset the scope drew them with, the sample period and the
// trigger). The scope hands its history over as sweeps, the analysis window shows them and keeps
// one as its reference, and a sweep file holds them; none of them needs the others' classes.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace tools700 {

struct SweepChannel {
    std::string signal;          // "Velocity Feedback"
    std::string unit;            // "Rpm"
    double scale = 1.0;          // units per division on the scope
    double offset = 0.0;         // units
    std::vector<double> values;  // in the signal's unit, one a sample
};

struct Sweep {
    std::vector<double> seconds;          // each sample's time from the start of the capture
    std::array<SweepChannel, 2> channels; // channel 1, channel 2
    double timebaseMs = 0.0;              // sample period in ms; 0 when not known
    std::string trigger;                  // the trigger as the scope names it, with its level
    std::string origin;                   // where the sweep came from ("scope frame 3 of 9", a file)

    std::size_t size() const { return seconds.size(); }
    bool empty() const { return seconds.empty(); }
    // Channel 1 or 2.
    const SweepChannel &Channel(int channel) const { return channels[channel == 2 ? 1 : 0]; }
};

} // namespace tools700
