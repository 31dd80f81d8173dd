// What a drive on the line tells about itself in one batched read (one GetVars700 exchange):
// its model, address, versions, operating and control mode, and the connection monitor's
// status values. The scan, the live table and the backup's manifest are built from it.
#pragma once

#include <string>

namespace tools700::machine {

struct DriveSummary {
    int axis = 0;          // the address it was asked at
    int reportedAxis = 0;  // its AxisAddr
    int model = 0;
    int driveStatus = 0;
    int faultCode = 0;
    int extFault = 0;
    int blkType = 0;
    int encMode = 0;
    bool serialControl = false;  // 740 family: MfgLock not 0
    int firmware = 0;            // FwV
    int hardware = 0;            // HwV
    int status = 0;              // link status of the read (0, or the drive's refusal)
    unsigned validMask = 0;      // which of the read's values arrived (DriveSummaryNames order)

    // "SV733", "SVE735"; "" when the model did not arrive.
    std::string ModelName() const;
    // The operating mode of BlkType and EncMode ("Velocity Mode -- Analog Command").
    std::string OperatingModeText() const;
    // 740 family: "Serial Control Mode" or "SERCOS Control Mode"; "" for any other drive.
    std::string ControlModeText() const;
    // The drive's state as the connection monitor words it, without its "Status: Axis N  "
    // ("Disabled", "Fault (Cause: ...)"); "CommError?" when not every status value arrived.
    std::string StateText() const;
    // The connection monitor's line for this drive ("Status: Axis 3  Disabled").
    std::string StatusLine() const;
    bool Complete() const;  // every value arrived
    bool HasModel() const;  // the model arrived
};

// The names of the batched read, in slot order: the connection monitor's four first.
constexpr int kSummaryNames = 10;
extern const char *const DriveSummaryNames[kSummaryNames + 1];
// The bit of `validMask` that says the value of `name` (one of DriveSummaryNames) arrived.
unsigned SummaryBit(const char *name);

// What one read at an address found.
enum class ProbeOutcome {
    Drive,    // a drive answered (its values, or its refusal)
    Silent,   // nothing came back within the reply time-out
    Garbled,  // bytes came back but no reply: damaged frames where a drive should be
    NoLine,   // the link has no line (no port, port lock, lost device)
};

struct Probe {
    ProbeOutcome outcome = ProbeOutcome::Silent;
    int status = 0;  // the link status of the read
    DriveSummary drive;
};

// One GetVars700 of DriveSummaryNames at the link's current axis, which the caller has set to
// `axis`. The link's line statistics tell a garbled reply from silence.
Probe ProbeDrive(int axis);
// The same for the model alone (one GetVar700, a tenth of the line time): where a workflow reads
// the rest itself. Only `model` of the summary is filled.
Probe ProbeModel(int axis);

// True when a link status says the line itself failed (no port, port lock, lost device) rather
// than that a drive did not answer.
bool LineUnavailable(int status);

} // namespace tools700::machine
