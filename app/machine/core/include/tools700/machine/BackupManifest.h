// The manifest of a backup folder ("manifest.ini"): when and from which port the backup was
// made, and per drive its axis, model, versions and file, or why it has no file.
//
//   # 700Tools backup of the drives on one line
//   [backup]
//   date=2026-05-04 10:31:07
//   port=1
//   line=COM1
//   program=700Tools 1.023
//   drives=2
//
//   [axis-03]
//   axis=3
//   model=733
//   drive=SV733
//   firmware=103
//   hardware=2
//   file=axis-03-SV733.cfg
//
//   [axis-05]
//   axis=5
//   model=743
//   drive=SV743
//   result=failed
//   reason=Upload failed, trying to read Kvp (NO RESPONSE)
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tools700::machine {

inline constexpr const char *kManifestName = "manifest.ini";

struct ManifestDrive {
    int axis = 0;
    int model = 0;
    int firmware = 0;
    int hardware = 0;
    std::string file;    // the configuration file, in the folder; empty when the drive failed
    std::string reason;  // why it has no file

    bool BackedUp() const { return !file.empty(); }
};

struct Manifest {
    std::string date;      // local time, "YYYY-MM-DD hh:mm:ss"
    int port = -1;         // 0 the simulator channel, 1..4 COM1..COM4
    std::string program;   // "700Tools <release>"
    std::vector<ManifestDrive> drives;  // by axis

    const ManifestDrive *Find(int axis) const;
};

// The path of a file of the folder.
std::string InFolder(const std::string &folder, const std::string &name);

// "axis-03-SV733.cfg": the axis and the model are seen in the name.
std::string BackupFileName(int axis, int model);
// "COM1", "simulator channel".
std::string PortText(int port);

// The manifest's text, and the manifest read back from a folder. Reading raises
// tools700::Error ("Can't open file ...", "Error reading file ...: <why>") for a missing or
// unusable manifest.
std::string ManifestText(const Manifest &manifest);
void WriteManifest(const std::string &folder, const Manifest &manifest);
Manifest ReadManifest(const std::string &folder);

// The current local time as the manifest writes it.
std::string ManifestDate();

} // namespace tools700::machine
