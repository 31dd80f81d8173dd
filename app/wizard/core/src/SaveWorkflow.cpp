#include "tools700/wizard/SaveWorkflow.h"

#include "tools700/common/Messages.h"
#include "tools700/common/Session.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/DownloadToDrive.h"
#include "tools700/config/FileDialog.h"
#include "tools700/dictionary/DriveFamily.h"

#include <algorithm>

namespace tools700 {

namespace {

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
    valuesTaken_ = false;
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
                                                    const std::function<void(bool)> &showProgress,
                                                    std::optional<bool> downloadAllowed)
{
    if (!configuration_)
        return {};
    DownloadOptions options;
    options.showProgress = showProgress;
    if (downloadAllowed)
        options.underSercos = !*downloadAllowed;
    return DownloadToDrive(session_, messages_, *configuration_, options, progress);
}

bool SaveWorkflow::CompareAvailable() const { return session_.ComparerAvailable(); }

int SaveWorkflow::Compare()
{
    // The editor's configuration is always a Cfg; anything else cannot be compared.
    Cfg *cfg = dynamic_cast<Cfg *>(configuration_);
    if (!cfg)
        return 0;
    const int taken = session_.CompareWithDrive(cfg, caption_);
    if (taken > 0) {
        unsaved_ = true;
        valuesTaken_ = true;
    }
    return std::max(taken, 0);
}

bool SaveWorkflow::Finish()
{
    // Only No finishes without saving; Yes, or a box closed without an answer, goes back.
    return !unsaved_ || messages_.Warning(kFinishUnsaved, BtnYes | BtnNo) == Answer::No;
}

} // namespace tools700
