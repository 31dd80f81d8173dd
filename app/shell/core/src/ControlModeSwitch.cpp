#include "tools700/shell/ControlModeSwitch.h"

#include "tools700/common/Error.h"
#include "tools700/common/Line.h"
#include "tools700/common/Messages.h"
#include "tools700/config/DriveState.h"
#include "tools700/config/StatusText.h"

namespace tools700 {

namespace {

// The value of MfgLock that hands the drive to the serial link.
constexpr double kSerialUnlock = 584219637;

void Put(const char *name, double value)
{
    if (const int status = line::PutVar700(name, value); status != 0)
        throw Error(StatusText(status));
}

double ReadMfgLock()
{
    double value = 0;
    if (const int status = line::GetVar700("MfgLock", &value); status != 0)
        throw Error(StatusText(status));
    return value;
}

} // namespace

SwitchOutcome SwitchControlMode(bool serialControl, Messages &messages)
{
    SwitchOutcome out;
    const int enabled = ReadEnableState();
    if (enabled == 1) {
        messages.Message("The drive is enabled, so we can't switch the control mode now");
        return out;
    }
    if (enabled == 2) {
        messages.Message("There are some communication problems, so we can't switch the control mode now");
        return out;
    }
    if (serialControl) {
        if (!messages.Confirm(" Switching to SERCOS Control will disable the Serial Control. Are you sure to do it? ")) {
            out.end = SwitchOutcome::End::NotConfirmed;
            return out;
        }
        Put("Enable", 0);
        Put("MfgLock", 1);
        if (ReadMfgLock() != 0) {
            messages.Information("Drive is still controlled by 700tools. The action is failed");
            out.end = SwitchOutcome::End::ModeKept;
            out.switchOn = true;
            return out;
        }
        out.end = SwitchOutcome::End::Switched;
        out.switchOn = false;
        out.serialControl = false;
        out.modePanel = " SERCOS Control Mode";
        return out;
    }
    if (!messages.Confirm(" Switching to Serial Control will disable the SERCOS Control. Are you sure to do it? ")) {
        out.end = SwitchOutcome::End::NotConfirmed;
        return out;
    }
    Put("MfgLock", kSerialUnlock);
    if (ReadMfgLock() == 0) {
        messages.Information(" Drive is still controlled by SERCOS. The action is failed");
        out.end = SwitchOutcome::End::ModeKept;
        out.switchOn = false;
        return out;
    }
    Put("Enable", 0);
    Put("BlkType", 8);
    out.end = SwitchOutcome::End::Switched;
    out.switchOn = true;
    out.serialControl = true;
    out.modePanel = "Serial Control Mode";
    return out;
}

} // namespace tools700
