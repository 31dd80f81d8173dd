/* comm700 -- the drive link library of 700Tools.
 *
 * Every call that talks to a drive returns a link status code (COMM_OK on success).
 * Values cross this boundary as doubles, 16-bit words and zero-terminated strings in
 * buffers the caller owns; the library keeps no pointer to caller memory after a call.
 * All functions may be called from any thread.
 *
 * On Linux: "COMn" (n = 1..4) is the device named by the environment variable COMM700_COMn,
 * else the one stored under Devices\COMn in the program's settings file, else /dev/ttyS<n-1>.
 * A port or the simulator channel is held by one process at a time (see docs/link.md).
 * The named locks and the simulator channel's shared region "envsim" live in POSIX shared
 * memory of the namespace COMM700_NAMESPACE (default "comm700-<uid>"); see docs/link.md.
 *
 * Bad input: null output pointers are skipped (the call still runs), a null, empty or
 * over-long name is not in the table (NO_SUCH_SYMBOL), an integer value beyond 32 bits is
 * clamped, a load-segment count above 64 is taken as 64.
 */
#ifndef COMM700_H
#define COMM700_H

#include <stdint.h>

#if defined(COMM700_BUILDING)
#define COMM700_API __attribute__((visibility("default")))
#else
#define COMM700_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Link status codes. 65..68 (and any other 1..127) are the drive's own refusals, passed through. */
enum Comm700Status {
    COMM_OK = 0,
    NO_SUCH_SYMBOL = 1,
    TYPE_ERROR = 2,
    NO_PORT = 3,
    NO_RESPONSE = 4,
    PORT_MUTEX_NOT_AVAILABLE = 5,
    COMM_ERROR = 6,
    INVALID_AXIS = 7,
    READONLY = 65,
    BOUNDS_ERROR = 66,
    NO_SUCH_COMMAND = 67,
    NOT_IMPLEMENTED = 68
};

/* Kinds of the wire symbol table's entries (Sym700's kind output). */
enum Comm700SymKind { SYM_INT = 0, SYM_FLOAT = 1, SYM_CMD = 2 };

/* Export numbers; the program binds by these. 1..24 are the link's interface; 25 is an
 * extension of this library (see the line statistics below). */
enum Comm700Export {
    EXP_CommDLLCompileTime700 = 1,
    EXP_CommDLLVersion700 = 2,
    EXP_ExeCmd700 = 3,
    EXP_ExecLoadSegment = 4,
    EXP_FetchRCalData = 5,
    EXP_GetUPCRstatus = 6,
    EXP_GetVar700 = 7,
    EXP_GetVars700 = 8,
    EXP_HostGetChar = 9,
    EXP_HostMode700 = 10,
    EXP_HostPutChar = 11,
    EXP_InitComPort700 = 12,
    EXP_LaunchSimulator = 13,
    EXP_PutUPCRstatus = 14,
    EXP_PutVar700 = 15,
    EXP_PutVars700 = 16,
    EXP_ReadScopeData700 = 17,
    EXP_SetAxis700 = 18,
    EXP_SetDriveAdrs700 = 19,
    EXP_ShootSimulator = 20,
    EXP_SrlGetChar = 21,
    EXP_SrlPutChar = 22,
    EXP_Sym700 = 23,
    EXP_UseSerialPort = 24,
    EXP_GetLineStats700 = 25 /* extension */
};

/* Extension: the line statistics, counted by this process since it loaded the library and never
 * reset (callers compare two readings). The receive counters are what the receive thread saw on
 * the line; a damaged frame (bad CRC, a count of 512 or more, cut short by an SOH) and a discarded
 * byte (between frames, starting nothing) are what a NO_RESPONSE alone cannot tell from silence,
 * e.g. two drives answering one address. */
enum Comm700LineStat {
    LINE_BYTES_SENT = 0,        /* request bytes written, escaping and CRC included */
    LINE_FRAMES_SENT = 1,
    LINE_BYTES_RECEIVED = 2,
    LINE_FRAMES_RECEIVED = 3,   /* frames with a good CRC */
    LINE_FRAMES_DAMAGED = 4,
    LINE_BYTES_DISCARDED = 5,
    LINE_REPLIES_UNMATCHED = 6, /* good frames no exchange was waiting for (late replies) */
    LINE_RCAL_VALUES = 7,
    LINE_STAT_COUNT = 8
};

/* 1*/ COMM700_API char *CommDLLCompileTime700(char *buf);
/* 2*/ COMM700_API char *CommDLLVersion700(char *buf);
/* 3*/ COMM700_API int   ExeCmd700(const char *name);
/* 4*/ COMM700_API int   ExecLoadSegment(uint16_t count, uint16_t control, uint16_t *replyStatus,
                                         uint16_t segment, uint16_t *replyWord, const uint16_t *data);
/* 5*/ COMM700_API int   FetchRCalData(int *value, char *overrun);
/* 6*/ COMM700_API int   GetUPCRstatus(uint16_t *status);
/* 7*/ COMM700_API int   GetVar700(const char *name, double *value);
/* 8*/ COMM700_API int   GetVars700(const char *const *names, double *values, int *validMask);
/* 9*/ COMM700_API int   HostGetChar(void);
/*10*/ COMM700_API void  HostMode700(void);
/*11*/ COMM700_API int   HostPutChar(int byte);
/*12*/ COMM700_API int   InitComPort700(int port);
/*13*/ COMM700_API int   LaunchSimulator(const char *program);
/*14*/ COMM700_API int   PutUPCRstatus(uint16_t value, uint16_t *status);
/*15*/ COMM700_API int   PutVar700(const char *name, double value);
/*16*/ COMM700_API int   PutVars700(const char *const *names, const double *values, int *result);
/*17*/ COMM700_API int   ReadScopeData700(uint16_t operation, uint16_t reserved, uint16_t timebase,
                                          uint16_t triggerSource, uint32_t triggerLevelBits,
                                          uint16_t ch1Signal, uint16_t ch2Signal,
                                          double *ch1Samples, double *ch2Samples, uint16_t *count);
/*18*/ COMM700_API int   SetAxis700(int axis);
/*19*/ COMM700_API int   SetDriveAdrs700(int address);
/*20*/ COMM700_API int   ShootSimulator(void);
/*21*/ COMM700_API int   SrlGetChar(void);
/*22*/ COMM700_API int   SrlPutChar(int byte);
/*23*/ COMM700_API int   Sym700(int index, char *name /* >= 21 bytes */, int *id, int *kind);
/*24*/ COMM700_API int   UseSerialPort(int port);

/* Extension (not one of the 24): copies the first `count` line statistics (Comm700LineStat order)
 * into `counters` (skipped when null; at most LINE_STAT_COUNT) and returns how many the library
 * keeps (LINE_STAT_COUNT), so GetLineStats700(NULL, 0) asks for the number. */
/*25*/ COMM700_API int   GetLineStats700(uint64_t *counters, int count);

#ifdef __cplusplus
}
#endif

#endif /* COMM700_H */
