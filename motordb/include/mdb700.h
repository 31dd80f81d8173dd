/* mdb700: the motor and drive model database.
 *
 * Built-in motors compiled into the library, user motors read from extension files (*.MDE),
 * and the table of supported drive models. Every name lookup ignores letter case.
 * Figures are doubles; a name that is not in the database reads as 0.0.
 *
 * Text results go into buffers the caller owns: drive names need 7 bytes, motor names 9,
 * mdb_CompileTime 21 and mdb_Version 27. The library keeps no pointer to caller memory.
 *
 * All functions may be called from any thread. Lookups run side by side; mdb_Extend and
 * mdb_FlushExtensions change the database one motor at a time under a writer lock; the name
 * iteration cursor of mdb_FirstName/mdb_NextName belongs to the calling thread.
 */
#ifndef MDB700_H
#define MDB700_H

#if defined(MDB700_BUILDING)
#define MDB700_API __attribute__((visibility("default")))
#else
#define MDB700_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Export numbers: the program binds some functions by number, so they never change. */
enum mdb700_export {
    MDB700_EXPORT_ddb_BusVoltage = 1,
    MDB700_EXPORT_ddb_Exists = 2,
    MDB700_EXPORT_ddb_IPeak = 3,
    MDB700_EXPORT_ddb_Index = 4,
    MDB700_EXPORT_ddb_Name = 5,
    MDB700_EXPORT_ddb_Number = 6,
    MDB700_EXPORT_mdb_Ave_normT6stp = 7,
    MDB700_EXPORT_mdb_CoilWeight = 8,
    MDB700_EXPORT_mdb_CommOffset = 9,
    MDB700_EXPORT_mdb_CommSrc = 10,
    MDB700_EXPORT_mdb_CompileTime = 11,
    MDB700_EXPORT_mdb_CosHarm = 12,
    MDB700_EXPORT_mdb_CountsPerX = 13,
    MDB700_EXPORT_mdb_EncoderResolution = 14,
    MDB700_EXPORT_mdb_Exists = 15,
    MDB700_EXPORT_mdb_Extend = 16,
    MDB700_EXPORT_mdb_FirstName = 17,
    MDB700_EXPORT_mdb_FlushExtensions = 18,
    MDB700_EXPORT_mdb_HallOffset = 19,
    MDB700_EXPORT_mdb_ICS = 20,
    MDB700_EXPORT_mdb_Inductance = 21,
    MDB700_EXPORT_mdb_Inertia = 22,
    MDB700_EXPORT_mdb_Ke = 23,
    MDB700_EXPORT_mdb_MaxVBus = 24,
    MDB700_EXPORT_mdb_NextName = 25,
    MDB700_EXPORT_mdb_PeakToCont = 26,
    MDB700_EXPORT_mdb_PoleCount = 27,
    MDB700_EXPORT_mdb_PoleSpacing = 28,
    MDB700_EXPORT_mdb_RHot = 29,
    MDB700_EXPORT_mdb_SinHarm = 30,
    MDB700_EXPORT_mdb_ThermalTimeConst = 31,
    MDB700_EXPORT_mdb_Type = 32,
    MDB700_EXPORT_mdb_Version = 33
};

/* Results of mdb_Extend. 1 and 2 are the duplicate handler's own answers. */
enum mdb700_extend_result {
    MDB_EXTEND_OK = 0,          /* read to the end; duplicates, if any, answered 0 */
    MDB_EXTEND_STOP_FILE = 1,   /* a duplicate was answered 1: this file's reading stopped */
    MDB_EXTEND_STOP_ALL = 2,    /* a duplicate was answered 2: the caller stops extending */
    MDB_EXTEND_CANT_OPEN = 3,   /* the file cannot be opened (or is not a regular file) */
    MDB_EXTEND_INVALID = 4      /* an invalid definition line or motor name; reading stopped */
};

/* Called synchronously by mdb_Extend when a motor name is already known. existingSource is the
 * base name of the file that defined the known motor, NULL for a built-in motor. Answer 0 to
 * discard the new definition and go on, 1 to stop reading this file, 2 to stop extending. The
 * handler may call back into the library. */
typedef int (*mdb_DuplicateHandler)(const char *existingSource, const char *path, const char *name);

/* Drive model table */
MDB700_API double ddb_BusVoltage(const char *drive);           /*  1 */
MDB700_API double ddb_Exists(const char *drive);               /*  2 */
MDB700_API double ddb_IPeak(const char *drive);                /*  3 */
MDB700_API int ddb_Index(double number);                       /*  4 */
MDB700_API char *ddb_Name(int index, char *buf);               /*  5 */
MDB700_API double ddb_Number(const char *drive);               /*  6 */

/* Motor database */
MDB700_API double mdb_Ave_normT6stp(const char *m);            /*  7 */
MDB700_API double mdb_CoilWeight(const char *m);               /*  8 */
MDB700_API double mdb_CommOffset(const char *m);               /*  9 */
MDB700_API double mdb_CommSrc(const char *m);                  /* 10 */
MDB700_API char *mdb_CompileTime(char *buf);                   /* 11 */
MDB700_API double mdb_CosHarm(const char *m, int index);       /* 12 */
MDB700_API double mdb_CountsPerX(const char *m);               /* 13 */
MDB700_API double mdb_EncoderResolution(const char *m);        /* 14 */
MDB700_API int mdb_Exists(const char *m);                      /* 15 */
MDB700_API int mdb_Extend(const char *path, mdb_DuplicateHandler h); /* 16 */
MDB700_API char *mdb_FirstName(char *buf);                     /* 17 */
MDB700_API void mdb_FlushExtensions(void);                     /* 18 */
MDB700_API double mdb_HallOffset(const char *m);               /* 19 */
MDB700_API double mdb_ICS(const char *m);                      /* 20 */
MDB700_API double mdb_Inductance(const char *m);               /* 21 */
MDB700_API double mdb_Inertia(const char *m);                  /* 22 */
MDB700_API double mdb_Ke(const char *m);                       /* 23 */
MDB700_API double mdb_MaxVBus(const char *m);                  /* 24 */
MDB700_API char *mdb_NextName(char *buf);                      /* 25 */
MDB700_API double mdb_PeakToCont(const char *m);               /* 26 */
MDB700_API double mdb_PoleCount(const char *m);                /* 27 */
MDB700_API double mdb_PoleSpacing(const char *m);              /* 28 */
MDB700_API double mdb_RHot(const char *m);                     /* 29 */
MDB700_API double mdb_SinHarm(const char *m, int index);       /* 30 */
MDB700_API double mdb_ThermalTimeConst(const char *m);         /* 31 */
MDB700_API double mdb_Type(const char *m);                     /* 32 */
MDB700_API char *mdb_Version(char *buf);                       /* 33 */

#ifdef __cplusplus
}
#endif

#endif /* MDB700_H */
