#include "tools700/wizard/SaveWorkflow.h"

#include "comm700.h"
#include "tools700/Line.h"
#include "tools700/Messages.h"
#include "tools700/Session.h"
#include "tools700/config/DriveState.h"
#include "tools700/config/FileDialog.h"
#include "tools700/dictionary/DriveFamily.h"

namespace tools700 {

namespace {

const char *const kRetry = "Can't communicate with the drive!\n\nPress 'Yes' to change the communications setup.\n"
                           "Press 'No' to return to the previous screen.\n";
const char *const kNvQuestion =
    "Your configuration has been downloaded.\n\nDo you want to have it saved in the drive's\nnon-volatile memory?"
    "\n\n(If you answer 'NO', the changes will be lost\nwhen the drive is powered down.)\n";
const char *const kFinishUnsaved =
    "You haven't saved this configuration to a file yet! \nIf you finish without saving, you will lose any changes\n"
    "you have made.\n\nDo you want to return to the previous screen to save\nthis configuration?\n\n\n"
    "Press YES to return to the previous screen.\n\nPress NO to exit without saving your configuration.\n";

} // namespace

SaveWorkflow::SaveWorkflow(Session &session, Messages &messages) : session_(session), messages_(messages) {}

void SaveWorkflow::Open(ValueSet &configuration, const std::string &caption, bool modified)
{
    configuration_ = &configuration;
    caption_ = caption;
    unsaved_ = modified;
}

bool SaveWorkflow::DownloadAllowed() const { return !(session_.ControlSwitchShown && !session_.SerialControl); }

bool SaveWorkflow::Save(FileDialog &dialog)
{
    if (!configuration_)
        return false;
    const int model = TruncToInt(configuration_->Get("Model"));
    std::string chosen;
    // The dialog's choice is needed for the caption: run it here and save to that name.
    int written = 0;
    if (dialog.Execute(chosen))
        written = configuration_->Save(chosen, model);
    if (written == 0) {
        messages_.Message("The file has not been saved properly");
        return false;
    }
    unsaved_ = false;
    caption_ = chosen;
    return true;
}

SaveWorkflow::DownloadResult SaveWorkflow::Download(const ProgressFn &progress,
                                                    const std::function<void(bool)> &showProgress)
{
    DownloadResult result;
    if (!configuration_)
        return result;
    for (;;) {
        double axis = 0;
        if (line::GetVar700("AxisAddr", &axis) == 0)
            break;
        if (!messages_.Confirm(kRetry))
            return result;
        session_.Open(Window::PortAxis);
    }
    if (ReadEnableState() == 1) {
        messages_.Message("The drive is enabled and unabled to write to drive now-- download aborted");
        return result;
    }
    struct HideProgress {
        const std::function<void(bool)> &show;
        ~HideProgress()
        {
            if (show)
                show(false);
        }
    } hide{showProgress};
    if (showProgress)
        showProgress(true);
    // The connection monitor stays out of the transfer: its report would make drive reads of
    // its own inside the progress callback.
    struct PausePolling {
        Session &session;
        ~PausePolling() { session.ResumeStatusPolling(); }
    } pause{session_};
    session_.SuspendStatusPolling();
    if (!configuration_->Download(messages_, progress)) {
        messages_.Message("Unable to write to drive -- download aborted");
        return result;
    }
    if (messages_.Confirm(kNvQuestion)) {
        if (line::ExeCmd700("NVSave") != 0)
            messages_.Message("Unable to complete NVSAVE operation");
        else
            result.savedToNv = true;
    }
    result.downloaded = true;
    return result;
}

bool SaveWorkflow::Finish()
{
    // Only No finishes without saving; Yes, or a box closed without an answer, goes back.
    return !unsaved_ || messages_.Warning(kFinishUnsaved, BtnYes | BtnNo) == Answer::No;
}

} // namespace tools700
