#include "tools700/config/DriveState.h"

#include "comm700.h"
#include "tools700/common/Line.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"

namespace tools700 {

int ReadDriveModel()
{
    double value = 0;
    if (line::GetVar700("Model", &value) != 0)
        return 0;
    return TruncToInt(value);
}

int ReadEnableState()
{
    double value = 0;
    if (line::GetVar700("Enabled", &value) != 0)
        return 2;
    if (value == 1.0)
        return 1;
    if (value == 0.0)
        return 0;
    return 2;
}

int ReadOpMode()
{
    double blk = 0, enc = 0;
    if (line::GetVar700("BlkType", &blk) != 0 || line::GetVar700("EncMode", &enc) != 0)
        return 0;
    return OperatingMode(TruncToInt(blk), TruncToInt(enc));
}

StatusReading ReadStatus(bool connected)
{
    StatusReading r;
    r.connected = connected;
    if (!connected)
        return r;
    r.model = ReadDriveModel();
    if (Is740Family(r.model)) {
        r.mfgLockStatus = line::GetVar700("MfgLock", &r.mfgLock);
        if (r.mfgLockStatus == 0 && r.mfgLock != 0)
            r.opMode = ReadOpMode();
    } else {
        r.opMode = ReadOpMode();
    }
    return r;
}

} // namespace tools700
