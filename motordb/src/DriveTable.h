// The drive models the tools support, in the order the wizards list them.
#pragma once

#include <cstddef>

namespace mdb700 {

struct DriveRecord {
    const char *name;
    double number;     // the drive's Model code
    double iPeak;      // peak current, A
    double busVoltage; // V
};

inline constexpr std::size_t kDriveCount = 10;

extern const DriveRecord kDrives[kDriveCount];

// The row of a drive name (ignoring case), or nullptr.
const DriveRecord *FindDrive(const char *name);

} // namespace mdb700
