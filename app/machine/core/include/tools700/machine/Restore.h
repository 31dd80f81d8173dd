// The restore of a machine from a backup folder: each drive's file downloaded to its axis with
// every check and question of Download To Drive (connection, enabled drive, model, SERCOS
// control, each refusal asked, TableGen, Enable). A drive whose model differs from the manifest's
// is skipped with nothing written to it. The NV save is asked once for all (or per drive, or
// decided beforehand). A dry run writes nothing and lists per drive the variables whose values
// differ from the file's.
#pragma once

#include "tools700/common/Messages.h"
#include "tools700/machine/BackupManifest.h"
#include "tools700/machine/LineAccess.h"

#include <string>
#include <vector>

namespace tools700::machine {

enum class RestoreNvSave {
    AskOnce,  // one question after all drives are restored
    AskEach,  // Download To Drive's own question after each drive
    Always,
    Never,
};

struct RestoreOptions {
    std::vector<int> axes;  // the drives of the manifest to restore; all when empty
    RestoreNvSave nvSave = RestoreNvSave::AskOnce;
    bool dryRun = false;
};

enum class RestoreOutcome {
    Restored,
    Skipped,    // nothing was written (another model, not in the backup, no file)
    Failed,     // the drive did not answer, refused, or the download stopped
    Unchanged,  // dry run: the drive holds the file's values
    Differs,    // dry run: see `differences`
};

// What kept a drive from being restored.
enum class RestoreProblem {
    None,
    NotInBackup,  // skipped: the backup holds no file for the axis
    OtherModel,   // skipped: the drive is of another model than the manifest's
    File,         // failed: the file could not be read or holds another model
    NoDrive,      // failed: nothing (or more than one drive) answers at the axis
    Stopped,      // failed: the download refused the drive or stopped at a variable
};

struct RestoreDrive {
    int axis = 0;
    int model = 0;  // the manifest's
    std::string file;
    RestoreOutcome outcome = RestoreOutcome::Failed;
    std::string reason;  // skipped or failed: why
    RestoreProblem problem = RestoreProblem::None;
    bool saved = false;  // stored in the drive's non-volatile memory
    std::vector<std::string> differences;  // dry run: "Kvp: file 2.5, drive 3"

    // One line of the final report: "axis 3 SV733: restored and saved".
    std::string ReportLine() const;
};

struct RestoreResult {
    std::vector<RestoreDrive> drives;
    bool cancelled = false;
    std::string error;  // the backup folder's manifest could not be read: nothing was done
    int Count(RestoreOutcome outcome) const;
};

class RestoreObserver {
public:
    virtual ~RestoreObserver() = default;
    virtual void DriveStarted(int /*axis*/, int /*index*/, int /*count*/) {}
    virtual void Progress(int /*axis*/, double /*drive*/, double /*overall*/) {}
    virtual void DriveDone(const RestoreDrive &) {}
    // Asked before each drive; true ends the restore there (a drive under way is finished).
    virtual bool Cancelled() { return false; }
};

// The question of RestoreNvSave::AskOnce, after `restored` drives were restored.
std::string NvSaveAllQuestion(int restored);

RestoreResult RestoreLine(LineAccess &line, const std::string &folder, const RestoreOptions &options,
                          Messages &messages, RestoreObserver &observer);

} // namespace tools700::machine
