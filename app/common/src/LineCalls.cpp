#include "tools700/common/Line.h"

#include "comm700.h"

#include <atomic>

namespace tools700 {

namespace {

std::atomic<int> g_selectedAxis{255};

// One call of the link library as one turn; `noTurn` is its result when no turn was given.
template <class F> int OneTurn(const char *what, int noTurn, F &&call)
{
    NoteLineCall(what);
    const LineTurn turn;
    if (!turn)
        return noTurn;
    return call();
}

} // namespace

int SelectedAxis() { return g_selectedAxis.load(); }

int WithAxis(int axis, const std::function<int()> &exchanges)
{
    NoteLineCall("WithAxis");
    const LineTurn turn;
    if (!turn)
        return kNoTurn;
    const int selected = g_selectedAxis.load();
    if (axis == selected)
        return exchanges();
    if (const int status = ::SetAxis700(axis); status != 0)
        return status;
    int result = 0;
    try {
        result = exchanges();
    } catch (...) {
        ::SetAxis700(selected);
        throw;
    }
    ::SetAxis700(selected);
    return result;
}

namespace line {

int GetVar700(const char *name, double *value)
{
    return OneTurn("GetVar700", kNoTurn, [&] { return ::GetVar700(name, value); });
}

int GetVars700(const char *const *names, double *values, int *validMask)
{
    if (validMask != nullptr)
        *validMask = 0;
    return OneTurn("GetVars700", kNoTurn, [&] { return ::GetVars700(names, values, validMask); });
}

int PutVar700(const char *name, double value)
{
    return OneTurn("PutVar700", kNoTurn, [&] { return ::PutVar700(name, value); });
}

int PutVars700(const char *const *names, const double *values, int *result)
{
    if (result != nullptr)
        *result = 0;
    return OneTurn("PutVars700", kNoTurn, [&] { return ::PutVars700(names, values, result); });
}

int ExeCmd700(const char *name)
{
    return OneTurn("ExeCmd700", kNoTurn, [&] { return ::ExeCmd700(name); });
}

int ReadScopeData700(std::uint16_t operation, std::uint16_t reserved, std::uint16_t timebase,
                     std::uint16_t triggerSource, std::uint32_t triggerLevelBits, std::uint16_t ch1Signal,
                     std::uint16_t ch2Signal, double *ch1Samples, double *ch2Samples, std::uint16_t *count)
{
    return OneTurn("ReadScopeData700", kNoTurn, [&] {
        return ::ReadScopeData700(operation, reserved, timebase, triggerSource, triggerLevelBits, ch1Signal,
                                  ch2Signal, ch1Samples, ch2Samples, count);
    });
}

int ExecLoadSegment(std::uint16_t count, std::uint16_t control, std::uint16_t *replyStatus, std::uint16_t segment,
                    std::uint16_t *replyWord, const std::uint16_t *data)
{
    return OneTurn("ExecLoadSegment", kNoTurn,
                   [&] { return ::ExecLoadSegment(count, control, replyStatus, segment, replyWord, data); });
}

int GetUPCRstatus(std::uint16_t *status)
{
    return OneTurn("GetUPCRstatus", kNoTurn, [&] { return ::GetUPCRstatus(status); });
}

int PutUPCRstatus(std::uint16_t value, std::uint16_t *status)
{
    return OneTurn("PutUPCRstatus", kNoTurn, [&] { return ::PutUPCRstatus(value, status); });
}

int SetAxis700(int axis)
{
    return OneTurn("SetAxis700", kNoTurn, [&] {
        const int status = ::SetAxis700(axis);
        if (status == 0)
            g_selectedAxis.store(axis);
        return status;
    });
}

int SetDriveAdrs700(int address)
{
    return OneTurn("SetDriveAdrs700", kNoTurn, [&] { return ::SetDriveAdrs700(address); });
}

int UseSerialPort(int port)
{
    return OneTurn("UseSerialPort", 0, [&] { return ::UseSerialPort(port); });
}

int InitComPort700(int port)
{
    return OneTurn("InitComPort700", kNoTurn, [&] { return ::InitComPort700(port); });
}

} // namespace line

} // namespace tools700
