#include "DriveTable.h"

#include "HashName.h"

namespace mdb700 {

const DriveRecord kDrives[kDriveCount] = {
    {"SV732", 732, 7.5, 300},    {"SV733", 733, 15, 300},     {"SV734", 734, 30, 300},
    {"SV742", 742, 7.5, 300},    {"SV743", 743, 15, 300},     {"SV744", 744, 30, 300},
    {"SVE733", 1733, 10.6, 600}, {"SVE735", 1735, 31.8, 600}, {"SVE743", 1743, 10.6, 600},
    {"SVE745", 1745, 31.8, 600},
};

const DriveRecord *FindDrive(const char *name)
{
    if (!name)
        return nullptr;
    for (const DriveRecord &d : kDrives)
        if (tools700::NamesEqual(d.name, name))
            return &d;
    return nullptr;
}

} // namespace mdb700
