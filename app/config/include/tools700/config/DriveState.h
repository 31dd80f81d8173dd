// What the windows ask the connected drive (at the link's current axis) before they act on it.
#pragma once

namespace tools700 {

// The drive's Model code truncated toward zero; 0 when the read fails.
int ReadDriveModel();
// 1 when the drive reports Enabled = 1, 0 for Enabled = 0, 2 for any other value or a failed read.
int ReadEnableState();
// The operating mode of the drive's BlkType and EncMode; 0 when either read fails.
int ReadOpMode();

} // namespace tools700
