#include "ExchangeRecord.h"

#include "comm700.h"

#include <chrono>
#include <dlfcn.h>

namespace responsiveness {

namespace {
using Clock = std::chrono::steady_clock;
const Clock::time_point g_start = Clock::now();
} // namespace

double NowMs() { return std::chrono::duration<double, std::milli>(Clock::now() - g_start).count(); }

std::mutex g_exchangeMutex;
std::vector<Exchange> g_exchanges;
std::thread::id g_uiThread;
std::atomic<double> g_firstFailureMs{-1};

void ClearExchanges()
{
    const std::lock_guard<std::mutex> lock(g_exchangeMutex);
    g_exchanges.clear();
    g_firstFailureMs.store(-1);
}

namespace {

template <class F> int Recorded(const char *kind, F &&call, int names = 0)
{
    const double start = NowMs();
    const int status = call();
    const double end = NowMs();
    const std::lock_guard<std::mutex> lock(g_exchangeMutex);
    g_exchanges.push_back({start, end, status, std::this_thread::get_id() == g_uiThread, kind, names});
    if (status != 0 && g_firstFailureMs.load() < 0)
        g_firstFailureMs.store(end);
    return status;
}

int Count(const char *const *names)
{
    int n = 0;
    while (names != nullptr && n < 32 && names[n] != nullptr)
        ++n;
    return n;
}

template <class F> F Real(const char *name) { return reinterpret_cast<F>(dlsym(RTLD_NEXT, name)); }

} // namespace

} // namespace responsiveness

using responsiveness::Count;
using responsiveness::Real;
using responsiveness::Recorded;

extern "C" {
int GetVar700(const char *name, double *value)
{
    static const auto real = Real<int (*)(const char *, double *)>("GetVar700");
    return Recorded("GetVar700", [&] { return real(name, value); });
}
int GetVars700(const char *const *names, double *values, int *mask)
{
    static const auto real = Real<int (*)(const char *const *, double *, int *)>("GetVars700");
    return Recorded("GetVars700", [&] { return real(names, values, mask); }, Count(names));
}
int PutVar700(const char *name, double value)
{
    static const auto real = Real<int (*)(const char *, double)>("PutVar700");
    return Recorded("PutVar700", [&] { return real(name, value); });
}
int PutVars700(const char *const *names, const double *values, int *result)
{
    static const auto real = Real<int (*)(const char *const *, const double *, int *)>("PutVars700");
    return Recorded("PutVars700", [&] { return real(names, values, result); });
}
int ExeCmd700(const char *name)
{
    static const auto real = Real<int (*)(const char *)>("ExeCmd700");
    return Recorded("ExeCmd700", [&] { return real(name); });
}
int ReadScopeData700(uint16_t op, uint16_t reserved, uint16_t timebase, uint16_t trigger, uint32_t level,
                     uint16_t ch1, uint16_t ch2, double *s1, double *s2, uint16_t *count)
{
    static const auto real =
        Real<int (*)(uint16_t, uint16_t, uint16_t, uint16_t, uint32_t, uint16_t, uint16_t, double *, double *,
                     uint16_t *)>("ReadScopeData700");
    return Recorded("ReadScopeData700", [&] { return real(op, reserved, timebase, trigger, level, ch1, ch2, s1, s2, count); });
}
int ExecLoadSegment(uint16_t count, uint16_t control, uint16_t *replyStatus, uint16_t segment, uint16_t *replyWord,
                    const uint16_t *data)
{
    static const auto real = Real<int (*)(uint16_t, uint16_t, uint16_t *, uint16_t, uint16_t *, const uint16_t *)>(
        "ExecLoadSegment");
    return Recorded("ExecLoadSegment", [&] { return real(count, control, replyStatus, segment, replyWord, data); });
}
int GetUPCRstatus(uint16_t *status)
{
    static const auto real = Real<int (*)(uint16_t *)>("GetUPCRstatus");
    return Recorded("GetUPCRstatus", [&] { return real(status); });
}
int PutUPCRstatus(uint16_t value, uint16_t *status)
{
    static const auto real = Real<int (*)(uint16_t, uint16_t *)>("PutUPCRstatus");
    return Recorded("PutUPCRstatus", [&] { return real(value, status); });
}
} // extern "C"
