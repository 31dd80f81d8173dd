#include "tools700/machine/LineScan.h"

#include <algorithm>

namespace tools700::machine {

namespace {

// Asks one address, again while its replies come back garbled.
Probe AskAddress(LineAccess &line, int axis, bool &lineHad)
{
    Probe p;
    lineHad = true;
    for (int attempt = 0; attempt <= kGarbledRetries; ++attempt) {
        if (!line.OnAxis(axis, [&] { p = ProbeDrive(axis); })) {
            lineHad = false;
            return p;
        }
        if (p.outcome != ProbeOutcome::Garbled)
            break;
    }
    return p;
}

} // namespace

ScanResult ScanLine(LineAccess &line, const std::vector<int> &axes, ScanObserver &observer)
{
    ScanResult result;
    const int total = static_cast<int>(axes.size());
    for (int axis : axes) {
        if (observer.Cancelled()) {
            result.cancelled = true;
            break;
        }
        bool lineHad = true;
        const Probe p = AskAddress(line, axis, lineHad);
        if (!lineHad) {
            result.lineFailed = true;  // the axis could not be set: no port, or the program is ending
            break;
        }
        ++result.asked;
        switch (p.outcome) {
        case ProbeOutcome::Drive: {
            // The automatic axis reaches some drive of the line: one already found at its own
            // address is not listed twice.
            const bool seen = axis == 255 && p.drive.reportedAxis != 255 &&
                              std::any_of(result.drives.begin(), result.drives.end(),
                                          [&](const DriveSummary &d) { return d.axis == p.drive.reportedAxis; });
            if (!seen) {
                result.drives.push_back(p.drive);
                observer.DriveFound(p.drive);
            }
            break;
        }
        case ProbeOutcome::Garbled:
            result.conflicts.push_back(axis);
            observer.ConflictFound(axis);
            break;
        case ProbeOutcome::NoLine:
            result.lineFailed = true;
            result.lineStatus = p.status;
            break;
        case ProbeOutcome::Silent:
            break;
        }
        observer.Progress(result.asked, total);
        if (result.lineFailed)
            break;
    }
    return result;
}

} // namespace tools700::machine
