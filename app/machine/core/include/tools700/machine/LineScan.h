// The scan of the line: asks each address of a list for the drive's summary (one batched read
// each), reports every drive as it answers, and tells an address conflict (two drives
// answering one address, which garbles their replies) apart from an empty address. An address
// with no drive costs one reply time-out and nothing more.
#pragma once

#include "tools700/machine/DriveSummary.h"
#include "tools700/machine/LineAccess.h"

#include <vector>

namespace tools700::machine {

class ScanObserver {
public:
    virtual ~ScanObserver() = default;
    virtual void DriveFound(const DriveSummary &) {}
    virtual void ConflictFound(int /*axis*/) {}
    // After each address: `done` of `total` addresses asked.
    virtual void Progress(int /*done*/, int /*total*/) {}
    // Asked before each address; true ends the scan there.
    virtual bool Cancelled() { return false; }
};

struct ScanResult {
    std::vector<DriveSummary> drives;  // in the order they answered
    std::vector<int> conflicts;        // addresses two or more drives answer
    int asked = 0;                     // addresses asked
    bool cancelled = false;
    bool lineFailed = false;  // the link had no line (no port, lost device): the scan stopped
    int lineStatus = 0;       // the status that stopped it (0: the axis could not be set)
};

// A garbled reply is asked again this many times before the address counts as a conflict,
// so one reply damaged by noise does not hide a drive.
constexpr int kGarbledRetries = 2;

ScanResult ScanLine(LineAccess &line, const std::vector<int> &axes, ScanObserver &observer);

} // namespace tools700::machine
