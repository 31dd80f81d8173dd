#include "tools700/machine/AddressChange.h"

#include "comm700.h"
#include "tools700/common/Line.h"
#include "tools700/config/StatusText.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/machine/DriveSummary.h"

namespace tools700::machine {

namespace {

AddressChangeResult Fail(AddressOutcome outcome, std::string message)
{
    AddressChangeResult r;
    r.outcome = outcome;
    r.message = std::move(message);
    return r;
}

std::string Axis(int a) { return "axis " + std::to_string(a); }

} // namespace

std::string NvSaveAddressQuestion(int to)
{
    return "The drive answers at its new address " + std::to_string(to) +
           ".\n\nDo you want to have the address saved in the drive's\nnon-volatile memory?\n\n"
           "(If you answer 'NO', the drive returns to its old address\nwhen it is powered down.)\n";
}

AddressChangeResult ChangeDriveAddress(LineAccess &line, int from, int to, NvSaveChoice nvSave, Messages &messages)
{
    if (to < kFirstDriveAddress || to > kLastDriveAddress)
        return Fail(AddressOutcome::BadAddress, "The new address must be from " + std::to_string(kFirstDriveAddress) +
                                                    " to " + std::to_string(kLastDriveAddress) +
                                                    " (255 is the automatic axis)");
    if (to == from)
        return Fail(AddressOutcome::BadAddress, "The drive already has the address " + std::to_string(to));

    // Another drive at the new address, or two of them (a garbled reply), keeps it taken.
    Probe there;
    if (!line.OnAxis(to, [&] { there = ProbeDrive(to); }))
        return Fail(AddressOutcome::LineFailed, "The line is not available");
    if (there.outcome == ProbeOutcome::NoLine)
        return Fail(AddressOutcome::LineFailed, StatusText(there.status));
    if (there.outcome == ProbeOutcome::Drive)
        return Fail(AddressOutcome::Taken, "Axis " + std::to_string(to) + " is already taken on this line by an " +
                                               there.drive.ModelName() + "; choose a free address");
    if (there.outcome == ProbeOutcome::Garbled)
        return Fail(AddressOutcome::Taken, "Axis " + std::to_string(to) +
                                               " is already taken on this line (more than one drive answers "
                                               "there); choose a free address");

    Probe here;
    int setStatus = COMM_OK;
    if (!line.OnAxis(from, [&] {
            here = ProbeDrive(from);
            if (here.outcome == ProbeOutcome::Drive && here.status == COMM_OK)
                setStatus = tools700::line::SetDriveAdrs700(to);
        }))
        return Fail(AddressOutcome::LineFailed, "The line is not available");
    if (here.outcome == ProbeOutcome::NoLine)
        return Fail(AddressOutcome::LineFailed, StatusText(here.status));
    if (here.outcome == ProbeOutcome::Garbled)
        return Fail(AddressOutcome::NoDrive, "More than one drive answers at " + Axis(from) +
                                                 "; nothing was changed (switch all but one off first)");
    if (here.outcome != ProbeOutcome::Drive || here.status != COMM_OK)
        return Fail(AddressOutcome::NoDrive, "No drive answers at " + Axis(from) + "; nothing was changed");
    if (setStatus >= READONLY && setStatus <= 127) {
        AddressChangeResult r = Fail(AddressOutcome::Refused, "The drive at " + Axis(from) + " refused the address " +
                                                                  std::to_string(to) + " (" + StatusText(setStatus) + ")");
        r.model = here.drive.model;
        return r;
    }
    if (LineUnavailable(setStatus))
        return Fail(AddressOutcome::LineFailed, StatusText(setStatus));

    // A lost reply may still have moved the drive: the new address decides.
    Probe moved;
    line.OnAxis(to, [&] { moved = ProbeDrive(to); });
    if (moved.outcome != ProbeOutcome::Drive || moved.status != COMM_OK) {
        AddressChangeResult r =
            Fail(AddressOutcome::LostAtNew, "The drive does not answer at its new address " + std::to_string(to) +
                                                " (it was told the address: " + StatusText(setStatus) +
                                                "); nothing else was changed. Scan the line to find it.");
        r.model = here.drive.model;
        return r;
    }
    AddressChangeResult r;
    r.outcome = AddressOutcome::Changed;
    r.model = moved.drive.model;
    r.message = "The " + moved.drive.ModelName() + " moved from " + Axis(from) + " to " + Axis(to);
    const bool save = nvSave == NvSaveChoice::Always ||
                      (nvSave == NvSaveChoice::Ask && messages.Confirm(NvSaveAddressQuestion(to)));
    if (save) {
        int st = COMM_OK;
        line.OnAxis(to, [&] { st = tools700::line::ExeCmd700("NVSave"); });
        if (st == COMM_OK) {
            r.saved = true;
            r.message += " and saved it in its non-volatile memory";
        } else {
            r.saveFailed = true;
            messages.Message("Unable to complete NVSAVE operation");
            r.message += "; the address was not saved in its non-volatile memory";
        }
    }
    return r;
}

} // namespace tools700::machine
