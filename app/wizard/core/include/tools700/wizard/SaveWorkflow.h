// The save window's workflow, apart from its window: saving the configuration to a file,
// downloading it into the connected drive (DownloadToDrive: the communication retry question, the
// enabled-drive refusal, the non-volatile save question), and the question before finishing with
// changes that are in no file.
#pragma once

#include "tools700/config/DownloadToDrive.h"
#include "tools700/config/ValueSet.h"

#include <functional>
#include <optional>
#include <string>

namespace tools700 {

class Cfg;
class FileDialog;
class Messages;
class Session;

class SaveWorkflow {
public:
    SaveWorkflow(Session &session, Messages &messages);

    // ShowSaveWindow: the configuration (not owned), its name and whether it holds changes that
    // are in no file.
    void Open(ValueSet &configuration, const std::string &caption, bool modified);

    ValueSet *Configuration() const { return configuration_; }
    const std::string &Caption() const { return caption_; }
    bool Unsaved() const { return unsaved_; }
    // Download is offered unless a 740-family drive is connected in SERCOS Control Mode.
    bool DownloadAllowed() const;

    // "Save To &File": true when a file was written (the caption becomes its path); otherwise
    // "The file has not been saved properly" has been shown.
    bool Save(FileDialog &dialog);

    // downloaded: "Done!"; savedToNv: "(saved to NV ram)".
    using DownloadResult = DownloadOutcome;
    // "Download To &Drive". `showProgress` is told when the progress bar appears (true) and goes
    // (false, also when the download ends early or with an error).
    // `downloadAllowed`, when given, is DownloadAllowed() as the caller read it on the windows'
    // thread (the download itself runs on a worker).
    DownloadResult Download(const ProgressFn &progress, const std::function<void(bool)> &showProgress = {},
                            std::optional<bool> downloadAllowed = {});

    // "Co&mpare with Drive...": the Compare window on the configuration, when the program has one.
    // Values it takes from the drive change the configuration, which then holds changes that are
    // in no file. Returns the number of values taken.
    bool CompareAvailable() const;
    int Compare();
    // Values were taken from the drive during this visit (the editor's controls must show them).
    bool ValuesTaken() const { return valuesTaken_; }

    // "&Finish >>": true when the window closes with the Finish result; with unsaved changes the
    // user is asked first, and Yes keeps the window open.
    bool Finish();

private:
    Session &session_;
    Messages &messages_;
    ValueSet *configuration_ = nullptr;
    std::string caption_;
    bool unsaved_ = false;
    bool valuesTaken_ = false;
};

} // namespace tools700
