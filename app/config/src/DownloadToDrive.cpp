#include "tools700/config/DownloadToDrive.h"

#include "comm700.h"
#include "tools700/common/Line.h"
#include "tools700/common/Messages.h"
#include "tools700/common/Session.h"
#include "tools700/config/DriveState.h"
#include "tools700/dictionary/DriveFamily.h"

namespace tools700 {

const char *const kSercosRefusal =
    "The drive is in SERCOS Control Mode -- download aborted.\nSwitch it to Serial Control Mode first.";

namespace {

const char *const kRetry = "Can't communicate with the drive!\n\nPress 'Yes' to change the communications setup.\n"
                           "Press 'No' to return to the previous screen.\n";
const char *const kNvQuestion =
    "Your configuration has been downloaded.\n\nDo you want to have it saved in the drive's\nnon-volatile memory?"
    "\n\n(If you answer 'NO', the changes will be lost\nwhen the drive is powered down.)\n";

// Until the drive answers: on a failed read, Yes changes the communication setup and tries
// again, No gives up.
bool DriveAnswers(Session &session, Messages &messages, const DownloadOptions &options)
{
    for (;;) {
        double axis = 0;
        if (line::GetVar700("AxisAddr", &axis) == 0)
            return true;
        if (!messages.Confirm(kRetry))
            return false;
        if (options.changeCommunication) {
            if (!options.changeCommunication())
                return false;
        } else {
            session.Open(Window::PortAxis);
        }
    }
}

// A 740-family drive under SERCOS control: MfgLock reads 0. A drive whose model or lock cannot
// be read is left to the checks that follow (the transfer reads the model again).
bool UnderSercosControl()
{
    double model = 0, lock = 0;
    return line::GetVar700("Model", &model) == 0 && Is740Family(TruncToInt(model)) && line::GetVar700("MfgLock", &lock) == 0 &&
           lock == 0;
}

} // namespace

DownloadOutcome DownloadToDrive(Session &session, Messages &messages, const ValueSet &values,
                                const DownloadOptions &options, const ProgressFn &progress)
{
    DownloadOutcome result;
    if (options.only && options.only->empty())
        return result;
    const bool underSercos =
        options.underSercos ? *options.underSercos : session.ControlSwitchShown && !session.SerialControl;
    if (underSercos) {
        messages.Message(kSercosRefusal);
        return result;
    }
    if (!DriveAnswers(session, messages, options))
        return result;
    if (options.readControlMode && UnderSercosControl()) {
        messages.Message(kSercosRefusal);
        return result;
    }
    if (ReadEnableState() == 1) {
        messages.Message("The drive is enabled and unabled to write to drive now-- download aborted");
        return result;
    }
    struct HideProgress {
        const std::function<void(bool)> &show;
        ~HideProgress()
        {
            if (show)
                show(false);
        }
    } hide{options.showProgress};
    if (options.showProgress)
        options.showProgress(true);
    // The connection monitor stays out of the transfer: its report would make drive reads of
    // its own inside the progress callback.
    struct PausePolling {
        Session &session;
        ~PausePolling() { session.ResumeStatusPolling(); }
    } pause{session};
    session.SuspendStatusPolling();
    if (!values.Download(messages, progress, options.only ? &*options.only : nullptr)) {
        messages.Message("Unable to write to drive -- download aborted");
        return result;
    }
    if (options.saveToNv ? *options.saveToNv : messages.Confirm(kNvQuestion)) {
        if (line::ExeCmd700("NVSave") != 0)
            messages.Message("Unable to complete NVSAVE operation");
        else
            result.savedToNv = true;
    }
    result.downloaded = true;
    return result;
}

} // namespace tools700
