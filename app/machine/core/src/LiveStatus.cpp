#include "tools700/machine/LiveStatus.h"

#include "comm700.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace tools700::machine {

double LineMilliseconds(unsigned long long bytes) { return static_cast<double>(bytes) * 10.0 * 1000.0 / 19200.0; }

unsigned long long LineBytesSoFar()
{
    uint64_t c[LINE_STAT_COUNT] = {};
    GetLineStats700(c, LINE_STAT_COUNT);
    return c[LINE_BYTES_SENT] + c[LINE_BYTES_RECEIVED];
}

LiveStatus::LiveStatus(std::vector<int> axes, LivePace pace) : axes_(std::move(axes)), pace_(pace) {}

bool LiveStatus::ReadNext(LineAccess &line, LiveRow &row)
{
    if (axes_.empty())
        return false;
    const int axis = axes_[next_];
    next_ = (next_ + 1) % axes_.size();
    Probe p;
    unsigned long long bytes = 0;
    double tookMs = 0;
    if (!line.OnAxis(axis, [&] {
            const unsigned long long before = LineBytesSoFar();
            const auto start = std::chrono::steady_clock::now();
            p = ProbeDrive(axis);
            tookMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            bytes = LineBytesSoFar() - before;
        }))
        return false;
    row = LiveRow{};
    row.axis = axis;
    row.lineMs = LineMilliseconds(bytes);
    row.answered = p.outcome == ProbeOutcome::Drive;
    if (row.answered) {
        row.drive = p.drive;
        row.stateText = p.drive.StateText();
    } else if (p.outcome == ProbeOutcome::Garbled) {
        row.stateText = "Address conflict";
    } else {
        row.stateText = "No connection";
    }
    // The next read starts no sooner than the list's share of a round after this one started, nor
    // before this read's line time is at most the allowed share of the time between the two. (A
    // silent drive kept the line idle during its reply time-out: only the bytes count.)
    const double perDrive = pace_.minRoundMs / static_cast<double>(axes_.size());
    delayMs_ = std::max(0.0, std::max(perDrive, row.lineMs / pace_.maxLineShare) - tookMs);
    return true;
}

} // namespace tools700::machine
