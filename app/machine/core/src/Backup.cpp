#include "tools700/machine/Backup.h"

#include "tools700/common/Error.h"
#include "tools700/common/Release.h"
#include "tools700/config/StatusText.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/machine/DriveSummary.h"

#include <filesystem>

namespace tools700::machine {

std::string ReadConfiguration(int model, Cfg &cfg, const ProgressFn &progress, const CancelFn &cancel,
                              bool &cancelled, DriveVersions *versions)
{
    cancelled = false;
    const std::vector<TQX *> &list = cfg.ListForModel(model);
    std::vector<std::string> names;
    names.reserve(list.size() + 2);
    for (TQX *t : list)
        names.push_back(t->VarName());
    if (versions) {
        // The versions ride in the last exchange's free slots.
        names.push_back("FwV");
        names.push_back("HwV");
    }
    const std::vector<VariableReading> readings = ReadVariables(names, progress, cancel);
    if (versions) {
        const VariableReading &fw = readings[list.size()], &hw = readings[list.size() + 1];
        versions->firmware = fw.Read() ? TruncToInt(fw.value) : 0;
        versions->hardware = hw.Read() ? TruncToInt(hw.value) : 0;
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        const VariableReading &r = readings[i];
        if (r.status == VariableReading::kNotRead) {
            cancelled = true;
            return {};
        }
        if (!r.Read())
            return "Upload failed, trying to read " + r.name + " (" + StatusText(r.status) + ")";
        list[i]->Val(r.value);  // straight into the binding, as the upload does
    }
    return {};
}

namespace {

// Reads one drive and saves its file; fills `entry` with what happened.
void BackupDrive(LineAccess &line, const std::string &folder, int axis, ManifestDrive &entry,
                 const ProgressFn &progress, BackupObserver &observer, bool &cancelled)
{
    entry.axis = axis;
    bool had = line.OnAxis(axis, [&] {
        // The model first, as the upload does: it chooses the list to read.
        const Probe p = ProbeModel(axis);
        if (p.outcome == ProbeOutcome::Garbled) {
            entry.reason = "More than one drive answers at axis " + std::to_string(axis);
            return;
        }
        if (p.outcome != ProbeOutcome::Drive || !p.drive.HasModel()) {
            entry.reason = "No drive answers at axis " + std::to_string(axis) + " (" + StatusText(p.status) + ")";
            return;
        }
        entry.model = p.drive.model;
        if (!Is730Family(entry.model) && !Is740Family(entry.model)) {
            entry.reason = "The drive's model " + std::to_string(entry.model) + " belongs to no drive family";
            return;
        }
        Cfg cfg(entry.model);
        DriveVersions versions;
        entry.reason = ReadConfiguration(entry.model, cfg, progress, [&] { return observer.Cancelled(); }, cancelled,
                                         &versions);
        entry.firmware = versions.firmware;
        entry.hardware = versions.hardware;
        if (cancelled || !entry.reason.empty())
            return;
        const std::string name = BackupFileName(axis, entry.model);
        try {
            if (cfg.Save(InFolder(folder, name), entry.model) > 0)
                entry.file = name;
            else
                entry.reason = "The file " + name + " has not been saved properly";
        } catch (const Error &e) {
            entry.reason = e.what();
        }
    });
    if (!had)
        cancelled = true;
}

} // namespace

BackupResult BackupLine(LineAccess &line, const std::string &folder, const std::vector<int> &axes, int port,
                        BackupObserver &observer)
{
    BackupResult result;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec)) {
        result.error = "Can't create folder " + folder;
        return result;
    }
    Manifest &m = result.manifest;
    m.date = ManifestDate();
    m.port = port;
    m.program = std::string("700Tools ") + Release();
    const int count = static_cast<int>(axes.size());
    for (int index = 0; index < count && !result.cancelled; ++index) {
        const int axis = axes[static_cast<std::size_t>(index)];
        if (observer.Cancelled()) {
            result.cancelled = true;
            break;
        }
        observer.DriveStarted(axis, index, count);
        ManifestDrive entry;
        bool cancelled = false;
        BackupDrive(line, folder, axis, entry,
                    [&](double f) { observer.Progress(axis, f, (index + f) / count); }, observer, cancelled);
        if (cancelled) {
            result.cancelled = true;  // the drive under way is not kept
            break;
        }
        if (entry.BackedUp())
            ++result.backedUp;
        else
            ++result.failed;
        m.drives.push_back(entry);
        observer.Progress(axis, 1.0, static_cast<double>(index + 1) / count);
        observer.DriveDone(entry);
    }
    try {
        WriteManifest(folder, m);
    } catch (const Error &e) {
        result.error = e.what();
    }
    return result;
}

} // namespace tools700::machine
