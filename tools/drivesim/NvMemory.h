// The drives' non-volatile memory: one image of saved values per drive, kept in a text file
// (--nvfile) so that it survives a restart of the simulator, or only in memory.
//
// File format, one section per drive, named by the drive's address on the command line (the
// second drive of --conflict N by 256 + N):
//   # drivesim non-volatile memory
//   [drive 1]
//   Model=733
//   CfgD=1
//   AccelLmt=1000000000
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace drivesim {

struct NvImage {
    std::vector<std::pair<std::string, double>> values;  // in the order they were saved
    std::optional<double> Get(const std::string& name) const;
};

class NvMemory {
public:
    // `path` empty: the memory lives only as long as the process.
    explicit NvMemory(std::string path);

    // Reads the file. False (with `error`) when it exists but cannot be read or parsed; the
    // sections that could not be read are then absent. A missing file is an empty memory.
    bool Load(std::string& error);
    // The image of a drive, or nullopt when none was saved.
    std::optional<NvImage> Image(int slot) const;
    // Stores a drive's image and writes the whole file (to a temporary file first, then
    // renamed over the old one, so a failed write never leaves a half-written memory).
    bool Store(int slot, NvImage image, std::string& error);
    // Forgets a drive's image (the firmware upgrade's non-volatile erase).
    bool Erase(int slot, std::string& error);

    const std::string& Path() const { return path_; }
    // False after a Load that failed: the file is then left as it is, never overwritten.
    bool Usable() const { return usable_; }

private:
    bool Write(std::string& error) const;

    std::string path_;
    std::map<int, NvImage> images_;
    bool usable_ = true;
};

}  // namespace drivesim
