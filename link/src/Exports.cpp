// The 24 exported functions of comm700, its one extension (the line statistics) and the
// attach/detach at load and unload.
//
// Nothing here throws across the boundary or keeps a caller's pointer after returning.
// Null output pointers are skipped (the call still runs); null or over-long names are
// "not in the table" (1).
#define COMM700_BUILDING 1
#include "comm700.h"

#include <cstring>
#include <exception>

#include "Library.h"
#include "tools700/wire/Messages.h"
#include "tools700/wire/Protocol.h"
#include "tools700/wire/SymbolTable.h"

using namespace tools700;
using tools700::link::Library;

namespace {

Library* g_library = nullptr;

__attribute__((constructor)) void AttachLibrary()
{
    try {
        g_library = new Library();
    } catch (...) {
        g_library = nullptr;  // every call then reports that it has no port
    }
}

__attribute__((destructor)) void DetachLibrary()
{
    if (g_library != nullptr)
        g_library->Detach();
}

constexpr const char kVersion[] = "COMM700.DLL -- Release 1.03";
constexpr const char kCompileTime[] = __DATE__ " " __TIME__;

// Runs an export body, turning anything unexpected into a status instead of letting it cross
// the C boundary.
template <class F>
int Guard(int onError, F&& body)
{
    try {
        return body();
    } catch (...) {
        return onError;
    }
}

uint8_t Axis() { return g_library->axis(); }

// The lookup of GetVar700/PutVar700: 1 for a name not in the table, 2 for a command,
// 3 when the library did not load; 0 with *sym set otherwise.
int LookupVariable(const char* name, const wire::WireSymbol** sym)
{
    const wire::WireSymbol* s = wire::LookupSymbol(name);
    if (s == nullptr)
        return NO_SUCH_SYMBOL;
    if (s->kind == wire::kSymCmd)
        return TYPE_ERROR;
    if (g_library == nullptr)
        return NO_PORT;
    *sym = s;
    return COMM_OK;
}

}  // namespace

namespace tools700::link {
Library* TheLibrary() { return g_library; }
}  // namespace tools700::link

extern "C" {

COMM700_API char* CommDLLCompileTime700(char* buf)
{
    if (buf != nullptr)
        std::memcpy(buf, kCompileTime, sizeof kCompileTime);
    return buf;
}

COMM700_API char* CommDLLVersion700(char* buf)
{
    if (buf != nullptr)
        std::memcpy(buf, kVersion, sizeof kVersion);
    return buf;
}

COMM700_API int ExeCmd700(const char* name)
{
    const wire::WireSymbol* s = wire::LookupSymbol(name);
    if (s == nullptr)
        return NO_SUCH_SYMBOL;
    if (s->kind != wire::kSymCmd)
        return TYPE_ERROR;
    if (g_library == nullptr)
        return COMM_ERROR;
    return Guard(COMM_ERROR, [&] {
        wire::ExeCmdRequest rq(Axis(), static_cast<uint16_t>(s->id));
        wire::ExeCmdReply rp;
        return g_library->Exchange(rq, rp) == COMM_OK ? COMM_OK : COMM_ERROR;
    });
}

COMM700_API int ExecLoadSegment(uint16_t count, uint16_t control, uint16_t* replyStatus,
                                uint16_t segment, uint16_t* replyWord, const uint16_t* data)
{
    if (g_library == nullptr)
        return NO_PORT;
    return Guard(COMM_ERROR, [&] {
        wire::LoadSegmentRequest rq(Axis(), count, control, segment, data);
        wire::LoadSegmentReply rp;
        const int st = g_library->Exchange(rq, rp);
        if (replyStatus != nullptr)
            *replyStatus = rp.SegmentStatus();
        if (replyWord != nullptr)
            *replyWord = rp.ReplyWord();
        return st;
    });
}

COMM700_API int FetchRCalData(int* value, char* overrun)
{
    if (g_library == nullptr)
        return 0;
    return Guard(0, [&] { return g_library->rcal().Fetch(value, overrun, link::kRCalWaitMs); });
}

namespace {

int Upcr(uint16_t value, uint16_t operation, uint16_t* status)
{
    if (g_library == nullptr)
        return NO_PORT;
    return Guard(COMM_ERROR, [&] {
        wire::UpcrRequest rq(Axis(), value, operation);
        wire::UpcrReply rp;
        int st = g_library->Exchange(rq, rp);
        if (status != nullptr)
            *status = rp.Value();
        if (rp.Status() != 0)
            st = NO_SUCH_SYMBOL;
        return st;
    });
}

// Fills the slots of a GetVars/PutVars request from a name array (at most 32, ending at the
// first null entry). Returns the number of names (non-null entries).
int FillSlots(const char* const* names, uint16_t ids[wire::kVarSlots], uint32_t* intMask,
              const wire::WireSymbol* syms[wire::kVarSlots])
{
    *intMask = 0;
    int n = 0;
    for (int i = 0; i < wire::kVarSlots; ++i) {
        ids[i] = wire::kEmptySlot;
        syms[i] = nullptr;
    }
    if (names == nullptr)
        return 0;
    for (; n < wire::kVarSlots && names[n] != nullptr; ++n) {
        const wire::WireSymbol* s = wire::LookupSymbol(names[n]);
        if (s == nullptr || s->kind == wire::kSymCmd)
            continue;
        syms[n] = s;
        ids[n] = static_cast<uint16_t>(s->id);
        if (s->kind == wire::kSymInt)
            *intMask |= 1u << n;
    }
    return n;
}

}  // namespace

COMM700_API int GetUPCRstatus(uint16_t* status) { return Upcr(0, wire::kUpcrRead, status); }

COMM700_API int PutUPCRstatus(uint16_t value, uint16_t* status)
{
    return Upcr(value, wire::kUpcrWrite, status);
}

COMM700_API int GetVar700(const char* name, double* value)
{
    const wire::WireSymbol* s = nullptr;
    if (const int st = LookupVariable(name, &s); st != COMM_OK)
        return st;
    return Guard(COMM_ERROR, [&] {
        const uint8_t cmd = s->kind == wire::kSymInt ? wire::CMD_GET_INT : wire::CMD_GET_FLOAT;
        wire::GetVarRequest rq(Axis(), cmd, static_cast<uint16_t>(s->id));
        wire::GetVarReply rp(cmd);
        const int st = g_library->Exchange(rq, rp);
        if (st == COMM_OK && value != nullptr)
            *value = rp.Value();
        return st;
    });
}

COMM700_API int GetVars700(const char* const* names, double* values, int* validMask)
{
    if (validMask != nullptr)
        *validMask = 0;
    if (g_library == nullptr)
        return NO_PORT;
    return Guard(COMM_ERROR, [&] {
        uint16_t ids[wire::kVarSlots];
        uint32_t intMask = 0;
        const wire::WireSymbol* syms[wire::kVarSlots];
        const int n = FillSlots(names, ids, &intMask, syms);
        wire::GetVarsRequest rq(Axis(), intMask, ids);
        wire::GetVarsReply rp;
        const int st = g_library->Exchange(rq, rp);
        if (st == COMM_OK) {
            if (validMask != nullptr)
                *validMask = static_cast<int>(rp.ValidMask());
            if (values != nullptr)
                for (int i = 0; i < n; ++i)
                    values[i] = rp.Value(i);
        }
        return st;
    });
}

COMM700_API int HostGetChar(void)
{
    if (g_library == nullptr)
        return -1;
    return Guard(-1, [] { return g_library->transport().HostGet(); });
}

COMM700_API void HostMode700(void)
{
    if (g_library == nullptr)
        return;
    Guard(0, [] {
        g_library->HostMode();
        return 0;
    });
}

COMM700_API int HostPutChar(int byte)
{
    if (g_library == nullptr)
        return -1;
    return Guard(-1, [&] { return g_library->transport().HostPut(byte); });
}

COMM700_API int InitComPort700(int port)
{
    if (g_library == nullptr)
        return NO_PORT;
    return Guard(NO_PORT, [&] { return g_library->InitComPort(port); });
}

COMM700_API int LaunchSimulator(const char* program)
{
    if (g_library == nullptr)
        return 1;
    return Guard(1, [&] { return g_library->simulator().Launch(program); });
}

COMM700_API int PutVar700(const char* name, double value)
{
    const wire::WireSymbol* s = nullptr;
    if (const int st = LookupVariable(name, &s); st != COMM_OK)
        return st;
    return Guard(COMM_ERROR, [&] {
        const uint8_t cmd = s->kind == wire::kSymInt ? wire::CMD_PUT_INT : wire::CMD_PUT_FLOAT;
        wire::PutVarRequest rq(Axis(), cmd, static_cast<uint16_t>(s->id), value);
        wire::PutVarReply rp(cmd);
        return g_library->Exchange(rq, rp);
    });
}

COMM700_API int PutVars700(const char* const* names, const double* values, int* result)
{
    if (result != nullptr)
        *result = 0;
    if (g_library == nullptr)
        return NO_PORT;
    return Guard(COMM_ERROR, [&] {
        uint16_t ids[wire::kVarSlots];
        uint32_t intMask = 0;
        const wire::WireSymbol* syms[wire::kVarSlots];
        FillSlots(names, ids, &intMask, syms);
        double slotValues[wire::kVarSlots] = {};
        for (int i = 0; i < wire::kVarSlots; ++i)
            if (syms[i] != nullptr && values != nullptr)
                slotValues[i] = values[i];
        wire::PutVarsRequest rq(Axis(), intMask, ids, slotValues);
        wire::PutVarsReply rp;
        const int st = g_library->Exchange(rq, rp);
        if (rp.ReplyStatus() == COMM_OK && result != nullptr)
            *result = static_cast<int>(rp.Result());
        return st;
    });
}

COMM700_API int ReadScopeData700(uint16_t operation, uint16_t reserved, uint16_t timebase,
                                 uint16_t triggerSource, uint32_t triggerLevelBits,
                                 uint16_t ch1Signal, uint16_t ch2Signal, double* ch1Samples,
                                 double* ch2Samples, uint16_t* count)
{
    if (g_library == nullptr)
        return NO_PORT;
    return Guard(COMM_ERROR, [&] {
        int which = -1;
        if (!g_library->AcquirePortLock(&which))
            return static_cast<int>(PORT_MUTEX_NOT_AVAILABLE);
        wire::ScopeRequest rq(Axis(), operation, reserved, timebase, triggerSource,
                              triggerLevelBits, ch1Signal, ch2Signal);
        wire::ScopeReply rp;
        const int st = g_library->Exchange(rq, rp);
        g_library->ReleasePortLock(which);
        if (st == COMM_OK) {
            double c1[wire::kScopeSamples], c2[wire::kScopeSamples];
            const uint16_t n = rp.Decode(c1, c2);
            if (ch1Samples != nullptr)
                std::memcpy(ch1Samples, c1, n * sizeof(double));
            if (ch2Samples != nullptr)
                std::memcpy(ch2Samples, c2, n * sizeof(double));
            if (count != nullptr)
                *count = n;
        }
        return st;
    });
}

COMM700_API int SetAxis700(int axis)
{
    if (g_library == nullptr)
        return PORT_MUTEX_NOT_AVAILABLE;
    return Guard(PORT_MUTEX_NOT_AVAILABLE, [&] { return g_library->SetAxis(axis); });
}

COMM700_API int SetDriveAdrs700(int address)
{
    if (g_library == nullptr)
        return PORT_MUTEX_NOT_AVAILABLE;
    return Guard(COMM_ERROR, [&] {
        int which = -1;
        if (!g_library->AcquirePortLock(&which))
            return static_cast<int>(PORT_MUTEX_NOT_AVAILABLE);
        wire::SetDriveAdrsRequest rq(Axis(), static_cast<uint16_t>(address & 0xFFFF));
        wire::SetDriveAdrsReply rp;
        const int st = g_library->Exchange(rq, rp);
        g_library->ReleasePortLock(which);
        return st;
    });
}

COMM700_API int ShootSimulator(void)
{
    if (g_library == nullptr)
        return 0;
    return Guard(0, [] { return g_library->simulator().Shoot(); });
}

COMM700_API int SrlGetChar(void)
{
    if (g_library == nullptr)
        return -1;
    return Guard(-1, [] { return g_library->transport().DriveGet(); });
}

COMM700_API int SrlPutChar(int byte)
{
    if (g_library == nullptr)
        return -1;
    return Guard(-1, [&] { return g_library->transport().DrivePut(byte); });
}

COMM700_API int Sym700(int index, char* name, int* id, int* kind)
{
    const wire::WireSymbol* s = wire::SymbolAt(index);
    if (s == nullptr)
        return 0;
    if (name != nullptr)
        std::memcpy(name, s->name, std::strlen(s->name) + 1);
    if (id != nullptr)
        *id = s->id;
    if (kind != nullptr)
        *kind = s->kind;
    return 1;
}

COMM700_API int UseSerialPort(int port)
{
    if (g_library == nullptr)
        return 0;
    return Guard(0, [&] { return g_library->UseSerialPort(port); });
}

// The extension after the 24: the line statistics (comm700.h, Comm700LineStat).
static_assert(link::LineStatistics::kCount == LINE_STAT_COUNT);
COMM700_API int GetLineStats700(uint64_t* counters, int count)
{
    if (g_library == nullptr)
        return 0;
    if (counters != nullptr && count > 0)
        g_library->statistics().Copy(counters, count);
    return link::LineStatistics::kCount;
}

}  // extern "C"
