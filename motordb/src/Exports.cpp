// The exported C interface of mdb700.
#include "mdb700.h"

#include "DriveTable.h"
#include "MotorDatabase.h"

#include <cstring>

namespace {

using mdb700::MotorDatabase;
using mdb700::MotorFigures;

// The process's database, built when the library is loaded (see kBuiltAtLoad). It is never
// destroyed: a thread still asking for a motor while the process exits finds it intact.
MotorDatabase &Database()
{
    static MotorDatabase *db = new MotorDatabase;
    return *db;
}

[[maybe_unused]] const bool kBuiltAtLoad = (Database(), true);

// Each thread iterates the names with its own cursor.
thread_local MotorDatabase::Cursor tCursor;

double Figure(const char *m, double MotorFigures::*field) { return Database().Figure(m, field); }

char *CopyText(char *buf, const char *text)
{
    if (!buf)
        return nullptr;
    std::memcpy(buf, text, std::strlen(text) + 1);
    return buf;
}

} // namespace

extern "C" {

double ddb_BusVoltage(const char *drive)
{
    const mdb700::DriveRecord *d = mdb700::FindDrive(drive);
    return d ? d->busVoltage : 0.0;
}

double ddb_Exists(const char *drive) { return mdb700::FindDrive(drive) ? 1.0 : 0.0; }

double ddb_IPeak(const char *drive)
{
    const mdb700::DriveRecord *d = mdb700::FindDrive(drive);
    return d ? d->iPeak : 0.0;
}

int ddb_Index(double number)
{
    for (std::size_t i = 0; i < mdb700::kDriveCount; ++i)
        if (mdb700::kDrives[i].number == number)
            return static_cast<int>(i);
    return -1;
}

char *ddb_Name(int index, char *buf)
{
    if (index < 0 || index >= static_cast<int>(mdb700::kDriveCount))
        return CopyText(buf, "");
    return CopyText(buf, mdb700::kDrives[index].name);
}

double ddb_Number(const char *drive)
{
    const mdb700::DriveRecord *d = mdb700::FindDrive(drive);
    return d ? d->number : 0.0;
}

double mdb_Ave_normT6stp(const char *m) { return Figure(m, &MotorFigures::aveNormT6stp); }
double mdb_CoilWeight(const char *m) { return Figure(m, &MotorFigures::coilWeight); }
double mdb_CommOffset(const char *m) { return Figure(m, &MotorFigures::commOffset); }
double mdb_CommSrc(const char *m) { return Figure(m, &MotorFigures::commSrc); }

char *mdb_CompileTime(char *buf) { return CopyText(buf, __DATE__ " " __TIME__); }

double mdb_CosHarm(const char *m, int index) { return Database().Harmonic(m, index, true); }
double mdb_CountsPerX(const char *m) { return Figure(m, &MotorFigures::countsPerX); }
double mdb_EncoderResolution(const char *m)
{
    return Figure(m, &MotorFigures::encoderResolution);
}

int mdb_Exists(const char *m) { return Database().Exists(m) ? 1 : 0; }

int mdb_Extend(const char *path, mdb_DuplicateHandler h) { return Database().Extend(path, h); }

char *mdb_FirstName(char *buf)
{
    if (!buf)
        return nullptr;
    return Database().First(tCursor, buf) ? buf : nullptr;
}

void mdb_FlushExtensions(void) { Database().Flush(); }

double mdb_HallOffset(const char *m) { return Figure(m, &MotorFigures::hallOffset); }
double mdb_ICS(const char *m) { return Figure(m, &MotorFigures::ics); }
double mdb_Inductance(const char *m) { return Figure(m, &MotorFigures::inductance); }
double mdb_Inertia(const char *m) { return Figure(m, &MotorFigures::inertia); }
double mdb_Ke(const char *m) { return Figure(m, &MotorFigures::ke); }
double mdb_MaxVBus(const char *m) { return Figure(m, &MotorFigures::maxVBus); }

char *mdb_NextName(char *buf)
{
    if (!buf)
        return nullptr;
    return Database().Next(tCursor, buf) ? buf : nullptr;
}

double mdb_PeakToCont(const char *m) { return Figure(m, &MotorFigures::peakToCont); }
double mdb_PoleCount(const char *m) { return Figure(m, &MotorFigures::poleCount); }
double mdb_PoleSpacing(const char *m) { return Figure(m, &MotorFigures::poleSpacing); }
double mdb_RHot(const char *m) { return Figure(m, &MotorFigures::rHot); }
double mdb_SinHarm(const char *m, int index) { return Database().Harmonic(m, index, false); }
double mdb_ThermalTimeConst(const char *m) { return Figure(m, &MotorFigures::thermalTimeConst); }
double mdb_Type(const char *m) { return Figure(m, &MotorFigures::type); }

char *mdb_Version(char *buf) { return CopyText(buf, "MDB700.DLL -- Release 1.03"); }

} // extern "C"
