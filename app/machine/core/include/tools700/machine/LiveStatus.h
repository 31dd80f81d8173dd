// The live status of the drives listed on a line: one batched read per drive, in turn, paced so
// that the whole list is read at most once a second and the reads keep to a share of the line's
// time (40 % by default), which leaves the line to the current axis's connection monitor and to
// the user's own work. A drive that stops answering reads "No connection".
#pragma once

#include "tools700/machine/DriveSummary.h"
#include "tools700/machine/LineAccess.h"

#include <string>
#include <vector>

namespace tools700::machine {

// The line time of `bytes` bytes at 19200 bit/s, ten bits a byte, in milliseconds.
double LineMilliseconds(unsigned long long bytes);
// The bytes sent and received so far by this process (the link's line statistics).
unsigned long long LineBytesSoFar();

struct LivePace {
    double maxLineShare = 0.4;  // of the line's time, over a whole round
    double minRoundMs = 1000;   // the whole list at most once in this time
};

struct LiveRow {
    int axis = 0;
    bool answered = false;
    DriveSummary drive;     // valid when answered
    std::string stateText;  // the drive's state, "No connection", or the address conflict
    double lineMs = 0;      // line time the read took
};

class LiveStatus {
public:
    explicit LiveStatus(std::vector<int> axes, LivePace pace = {});

    const std::vector<int> &Axes() const { return axes_; }
    // Reads the next drive of the list through `line` (false when the line was not had).
    bool ReadNext(LineAccess &line, LiveRow &row);
    // How long to wait after the last read before the next one, in milliseconds.
    double DelayMs() const { return delayMs_; }

private:
    std::vector<int> axes_;
    LivePace pace_;
    std::size_t next_ = 0;
    double delayMs_ = 0;
};

} // namespace tools700::machine
