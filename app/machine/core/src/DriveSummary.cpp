#include "tools700/machine/DriveSummary.h"

#include "comm700.h"
#include "tools700/Line.h"
#include "tools700/config/StatusText.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"

#include <cstdint>
#include <cstring>

namespace tools700::machine {

namespace {

enum Slot { kAxisAddr, kDriveStatus, kFaultCode, kExtFault, kModel, kBlkType, kEncMode, kMfgLock, kFwV, kHwV };

bool Has(unsigned mask, Slot s) { return (mask >> s) & 1u; }

struct LineCounts {
    uint64_t v[LINE_STAT_COUNT] = {};
};

LineCounts ReadCounts()
{
    LineCounts c;
    GetLineStats700(c.v, LINE_STAT_COUNT);
    return c;
}

} // namespace

const char *const DriveSummaryNames[kSummaryNames + 1] = {
    "AxisAddr", "DriveStatus", "FaultCode", "ExtFault", "Model", "BlkType", "EncMode", "MfgLock", "FwV", "HwV",
    nullptr};

unsigned SummaryBit(const char *name)
{
    int slot = 0;
    while (slot < kSummaryNames && std::strcmp(DriveSummaryNames[slot], name) != 0)
        ++slot;
    return 1u << slot;
}

std::string DriveSummary::ModelName() const { return Has(validMask, kModel) ? ModelText(model) : std::string(); }

std::string DriveSummary::OperatingModeText() const
{
    if (!Has(validMask, kBlkType) || !Has(validMask, kEncMode))
        return {};
    return EnumText("OpMode730", OperatingMode(blkType, encMode));
}

std::string DriveSummary::ControlModeText() const
{
    if (!Has(validMask, kModel) || !Is740Family(model) || !Has(validMask, kMfgLock))
        return {};
    return serialControl ? "Serial Control Mode" : "SERCOS Control Mode";
}

std::string DriveSummary::StatusLine() const
{
    const double values[4] = {static_cast<double>(reportedAxis), static_cast<double>(driveStatus),
                              static_cast<double>(faultCode), static_cast<double>(extFault)};
    return ConnectionStatusText(0, values, static_cast<int>(validMask));
}

std::string DriveSummary::StateText() const
{
    const std::string line = StatusLine();
    // "Status: Axis <a>  <state>...": the state starts after the two blanks.
    const auto blanks = line.find("  ");
    return blanks == std::string::npos ? line : line.substr(blanks + 2);
}

bool DriveSummary::HasModel() const { return Has(validMask, kModel); }

bool DriveSummary::Complete() const { return validMask == (1u << kSummaryNames) - 1; }

bool LineUnavailable(int status)
{
    return status == NO_PORT || status == PORT_MUTEX_NOT_AVAILABLE || status == COMM_ERROR;
}

namespace {

// What a failed exchange met: silence, or bytes that made no good reply (two drives answering at
// once), told apart by the link's line statistics since `before`.
ProbeOutcome FailedOutcome(int status, const LineCounts &before)
{
    if (LineUnavailable(status))
        return ProbeOutcome::NoLine;
    const LineCounts after = ReadCounts();
    auto delta = [&](int i) { return after.v[i] - before.v[i]; };
    const bool garbled = delta(LINE_FRAMES_DAMAGED) > 0 || delta(LINE_BYTES_DISCARDED) > 0 ||
                         (delta(LINE_BYTES_RECEIVED) > 0 && delta(LINE_FRAMES_RECEIVED) == 0);
    return garbled ? ProbeOutcome::Garbled : ProbeOutcome::Silent;
}

// A reply, values or the drive's refusal of them: a drive is there.
bool Answered(int status) { return status == COMM_OK || (status >= READONLY && status <= 127); }

} // namespace

Probe ProbeDrive(int axis)
{
    Probe p;
    p.drive.axis = axis;
    const LineCounts before = ReadCounts();
    double values[kSummaryNames] = {};
    int mask = 0;
    p.status = tools700::line::GetVars700(DriveSummaryNames, values, &mask);
    p.drive.status = p.status;
    if (!Answered(p.status)) {
        p.outcome = FailedOutcome(p.status, before);
        return p;
    }
    p.outcome = ProbeOutcome::Drive;
    DriveSummary &d = p.drive;
    d.validMask = p.status == COMM_OK ? static_cast<unsigned>(mask) & ((1u << kSummaryNames) - 1) : 0;
    d.reportedAxis = TruncToInt(values[kAxisAddr]);
    d.driveStatus = TruncToInt(values[kDriveStatus]);
    d.faultCode = TruncToInt(values[kFaultCode]);
    d.extFault = TruncToInt(values[kExtFault]);
    d.model = TruncToInt(values[kModel]);
    d.blkType = TruncToInt(values[kBlkType]);
    d.encMode = TruncToInt(values[kEncMode]);
    d.serialControl = values[kMfgLock] != 0;
    d.firmware = TruncToInt(values[kFwV]);
    d.hardware = TruncToInt(values[kHwV]);
    return p;
}

Probe ProbeModel(int axis)
{
    Probe p;
    p.drive.axis = axis;
    const LineCounts before = ReadCounts();
    double model = 0;
    p.status = tools700::line::GetVar700("Model", &model);
    p.drive.status = p.status;
    if (!Answered(p.status)) {
        p.outcome = FailedOutcome(p.status, before);
        return p;
    }
    p.outcome = ProbeOutcome::Drive;
    if (p.status == COMM_OK) {
        p.drive.model = TruncToInt(model);
        p.drive.validMask = 1u << kModel;
    }
    return p;
}

} // namespace tools700::machine
