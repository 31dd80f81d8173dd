// The backup of a machine: the chosen drives of a line, each uploaded with batched reads into the
// same *.cfg file the one-by-one Upload and save write for it ("axis-03-SV733.cfg"), and a
// manifest. A drive that fails mid-way leaves no file and is listed as failed; the others are
// kept; Cancel keeps the drives finished.
#pragma once

#include "tools700/config/Cfg.h"
#include "tools700/config/VariableReader.h"
#include "tools700/machine/BackupManifest.h"
#include "tools700/machine/LineAccess.h"

#include <string>
#include <vector>

namespace tools700::machine {

class BackupObserver {
public:
    virtual ~BackupObserver() = default;
    // Drive `index` of `count` (from 0) starts.
    virtual void DriveStarted(int /*axis*/, int /*index*/, int /*count*/) {}
    // The share of the drive read so far, and of the whole backup.
    virtual void Progress(int /*axis*/, double /*drive*/, double /*overall*/) {}
    // The drive is done: backed up (its file) or failed (its reason).
    virtual void DriveDone(const ManifestDrive &) {}
    // Asked between exchanges; true ends the backup (the drive under way gets no file).
    virtual bool Cancelled() { return false; }
};

struct BackupResult {
    Manifest manifest;  // as written into the folder
    int backedUp = 0;
    int failed = 0;
    bool cancelled = false;
    std::string error;  // the folder or the manifest could not be written; then nothing is kept
};

// Backs up the drives at `axes` into `folder` (created when missing), through `line`. `port` is
// recorded in the manifest.
BackupResult BackupLine(LineAccess &line, const std::string &folder, const std::vector<int> &axes, int port,
                        BackupObserver &observer);

// The drive's firmware and hardware versions (FwV, HwV), 0 when not read.
struct DriveVersions {
    int firmware = 0;
    int hardware = 0;
};

// Reads the configuration of the drive at the link's current axis, whose Model is `model`, into
// `cfg` (of the model's family): batched reads of the family's list, with the drive's versions
// in the same exchanges when `versions` is given. "" when every variable was read, else why not
// ("Upload failed, trying to read Kvp (NO RESPONSE)"; "" and `cancelled` set when it was
// cancelled).
std::string ReadConfiguration(int model, Cfg &cfg, const ProgressFn &progress, const CancelFn &cancel,
                              bool &cancelled, DriveVersions *versions = nullptr);

} // namespace tools700::machine
