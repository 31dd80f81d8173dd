// What the windows ask the connected drive (at the link's current axis) before they act on it.
#pragma once

namespace tools700 {

// The drive's Model code truncated toward zero; 0 when the read fails.
int ReadDriveModel();
// 1 when the drive reports Enabled = 1, 0 for Enabled = 0, 2 for any other value or a failed read.
int ReadEnableState();
// The operating mode of the drive's BlkType and EncMode; 0 when either read fails.
int ReadOpMode();

// What the main window's status update shows of the drive besides the connection monitor's poll,
// read in the order the update needs it: Model; for a 740-family drive MfgLock, then under serial
// control the operating mode; for any other drive the operating mode.
struct StatusReading {
    bool connected = false; // the poll reached the drive: the rest was read
    int model = 0;          // ReadDriveModel()
    int mfgLockStatus = 0;  // 740 family: link status of the MfgLock read (not 0: nothing more read)
    double mfgLock = 0;
    int opMode = 0;         // ReadOpMode() where it was read
};
// `connected`: the poll's text was not "No connection" (otherwise nothing is read).
StatusReading ReadStatus(bool connected);

} // namespace tools700
