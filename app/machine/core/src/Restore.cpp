#include "tools700/machine/Restore.h"

#include "comm700.h"
#include "tools700/common/Line.h"
#include "tools700/common/Error.h"
#include "tools700/common/Session.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/Comparison.h"
#include "tools700/config/DownloadToDrive.h"
#include "tools700/config/StatusText.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/machine/DriveSummary.h"

#include <algorithm>

namespace tools700::machine {

namespace {

// Passes the boxes on and keeps their texts, to say where a download stopped.
class RecordingMessages : public Messages {
public:
    explicit RecordingMessages(Messages &inner) : inner_(inner) {}
    Answer Show(BoxKind kind, const std::string &text, unsigned buttons) override
    {
        texts.push_back(text);
        return inner_.Show(kind, text, buttons);
    }
    std::vector<std::string> texts;

private:
    Messages &inner_;
};

const char *const kAborted = "Unable to write to drive -- download aborted";

// Why a download stopped, from the boxes it showed: the refusal that was not accepted
// ("Warning: Kvp BOUNDS_ERROR\n Continue?" gives "stopped at Kvp (BOUNDS_ERROR)"), or the
// check that refused the drive.
std::string StopReason(const std::vector<std::string> &texts)
{
    for (auto it = texts.rbegin(); it != texts.rend(); ++it) {
        const std::string &t = *it;
        if (t.rfind("Warning: ", 0) == 0) {
            const std::string rest = t.substr(9, t.find('\n') - 9);
            const auto blank = rest.find(' ');
            return "stopped at " + rest.substr(0, blank) + " (" + rest.substr(blank + 1) + ")";
        }
    }
    for (const std::string &t : texts)
        if (t != kAborted && t.find('?') == std::string::npos) {
            std::string line = t.substr(0, t.find('\n'));
            return line;
        }
    return "the drive does not answer";
}

std::string DriveAt(int axis) { return "axis " + std::to_string(axis); }

// The dry run of one drive: its values compared with the file's, as tools700-cli diff does.
void CompareDrive(const Cfg &cfg, const std::vector<std::string> &held, const ProgressFn &progress, RestoreDrive &out)
{
    DriveReadings readings;
    if (!ReadDriveConfiguration(readings, progress)) {
        out.problem = RestoreProblem::NoDrive;
        out.reason = "the drive stopped answering";
        return;
    }
    const Comparison c = Compare(cfg, &held, readings);
    for (const ComparedVariable &v : c.variables)
        if (v.Differs())
            out.differences.push_back(v.name + ": file " + v.fileText + ", drive " + v.driveText);
    out.outcome = out.differences.empty() ? RestoreOutcome::Unchanged : RestoreOutcome::Differs;
}

// Restores one drive whose file is loaded into `cfg` (or compares it, in a dry run).
void RestoreDriveOnAxis(const ManifestDrive &m, const Cfg &cfg, const std::vector<std::string> &held,
                        const RestoreOptions &restore, Messages &messages, const ProgressFn &progress,
                        RestoreDrive &out)
{
    const Probe p = ProbeDrive(m.axis);
    if (p.outcome == ProbeOutcome::Garbled) {
        out.problem = RestoreProblem::NoDrive;
        out.reason = "more than one drive answers at " + DriveAt(m.axis) + "; nothing written";
        return;
    }
    if (p.outcome != ProbeOutcome::Drive || p.status != COMM_OK || !p.drive.Complete()) {
        out.problem = RestoreProblem::NoDrive;
        out.reason = "no drive answers at " + DriveAt(m.axis) + " (" + StatusText(p.status) + "); nothing written";
        return;
    }
    if (p.drive.model != m.model) {
        out.problem = RestoreProblem::OtherModel;
        out.outcome = RestoreOutcome::Skipped;
        out.reason = "the drive at " + DriveAt(m.axis) + " is an " + ModelText(p.drive.model) + ", the backup's an " +
                     ModelText(m.model) + "; nothing written";
        return;
    }
    if (restore.dryRun) {
        CompareDrive(cfg, held, progress, out);
        return;
    }
    const RestoreNvSave nvSave = restore.nvSave;
    // A session of its own: the program's view of its connected drive says nothing of this one,
    // whose control mode is read from it instead.
    Session drive;
    DownloadOptions options;
    options.readControlMode = true;
    options.changeCommunication = [] { return true; };  // Yes to the retry question asks the drive again
    if (nvSave != RestoreNvSave::AskEach)
        options.saveToNv = nvSave == RestoreNvSave::Always;
    RecordingMessages recording(messages);
    const DownloadOutcome done = DownloadToDrive(drive, recording, cfg, options, progress);
    if (!done.downloaded) {
        out.problem = RestoreProblem::Stopped;
        out.reason = StopReason(recording.texts);
        return;
    }
    out.outcome = RestoreOutcome::Restored;
    out.saved = done.savedToNv;
}

} // namespace

std::string RestoreDrive::ReportLine() const
{
    std::string line = DriveAt(axis) + (model ? " " + ModelText(model) : std::string()) + ": ";
    switch (outcome) {
    case RestoreOutcome::Restored:
        return line + (saved ? "restored and saved" : "restored");
    case RestoreOutcome::Skipped:
        return line + "skipped, " + reason;
    case RestoreOutcome::Failed:
        return line + "failed, " + reason;
    case RestoreOutcome::Unchanged:
        return line + "holds the backup's values";
    case RestoreOutcome::Differs:
        return line + std::to_string(differences.size()) + " value(s) differ";
    }
    return line;
}

int RestoreResult::Count(RestoreOutcome outcome) const
{
    return static_cast<int>(std::count_if(drives.begin(), drives.end(),
                                          [&](const RestoreDrive &d) { return d.outcome == outcome; }));
}

std::string NvSaveAllQuestion(int restored)
{
    return std::to_string(restored) + (restored == 1 ? " drive has" : " drives have") +
           " been restored.\n\nDo you want to have the configurations saved in the drives'\nnon-volatile memory?"
           "\n\n(If you answer 'NO', the changes will be lost\nwhen the drives are powered down.)\n";
}

RestoreResult RestoreLine(LineAccess &line, const std::string &folder, const RestoreOptions &options,
                          Messages &messages, RestoreObserver &observer)
{
    RestoreResult result;
    Manifest manifest;
    try {
        manifest = ReadManifest(folder);
    } catch (const Error &e) {
        result.error = e.what();
        return result;
    }
    std::vector<int> axes = options.axes;
    if (axes.empty())
        for (const ManifestDrive &d : manifest.drives)
            axes.push_back(d.axis);
    const int count = static_cast<int>(axes.size());
    for (int index = 0; index < count; ++index) {
        const int axis = axes[static_cast<std::size_t>(index)];
        if (observer.Cancelled()) {
            result.cancelled = true;
            break;
        }
        observer.DriveStarted(axis, index, count);
        RestoreDrive out;
        out.axis = axis;
        const ManifestDrive *m = manifest.Find(axis);
        if (m)
            out.model = m->model;
        out.file = m ? m->file : std::string();
        Cfg cfg(m ? m->model : 730);
        std::vector<std::string> held;  // the names the file holds
        if (!m) {
            out.outcome = RestoreOutcome::Skipped;
            out.problem = RestoreProblem::NotInBackup;
            out.reason = DriveAt(axis) + " is not in this backup";
        } else if (!m->BackedUp()) {
            out.outcome = RestoreOutcome::Skipped;
            out.problem = RestoreProblem::NotInBackup;
            out.reason = "the backup holds no file for it (" + m->reason + ")";
        } else {
            int read = 0;
            try {
                read = cfg.Load(InFolder(folder, m->file), &held);
            } catch (const Error &e) {
                out.reason = e.what();
            }
            if (out.reason.empty() && read == 0)
                out.reason = "no value could be read from " + m->file;
            else if (out.reason.empty() && TruncToInt(cfg.Get("Model")) != m->model)
                out.reason = m->file + " holds an " + ModelText(TruncToInt(cfg.Get("Model"))) +
                             " configuration, the manifest an " + ModelText(m->model);
            if (!out.reason.empty())
                out.problem = RestoreProblem::File;
        }
        if (m && m->BackedUp() && out.reason.empty()) {
            const ProgressFn progress = [&](double f) { observer.Progress(axis, f, (index + f) / count); };
            if (!line.OnAxis(axis, [&] { RestoreDriveOnAxis(*m, cfg, held, options, messages, progress, out); })) {
                result.cancelled = true;
                break;
            }
        }
        observer.Progress(axis, 1.0, static_cast<double>(index + 1) / count);
        result.drives.push_back(out);
        observer.DriveDone(result.drives.back());
    }
    const int restored = result.Count(RestoreOutcome::Restored);
    if (!options.dryRun && options.nvSave == RestoreNvSave::AskOnce && restored > 0 &&
        messages.Confirm(NvSaveAllQuestion(restored))) {
        bool failed = false;
        for (RestoreDrive &d : result.drives) {
            if (d.outcome != RestoreOutcome::Restored)
                continue;
            int st = COMM_OK;
            line.OnAxis(d.axis, [&] { st = tools700::line::ExeCmd700("NVSave"); });
            d.saved = st == COMM_OK;
            failed = failed || !d.saved;
        }
        if (failed)
            messages.Message("Unable to complete NVSAVE operation");
    }
    return result;
}

} // namespace tools700::machine
