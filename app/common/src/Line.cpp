#include "tools700/common/Line.h"

#include "tools700/platform/FairLock.h"

#include <atomic>
#include <mutex>

namespace tools700 {

namespace {

platform::FairLock &Gate()
{
    static auto *gate = new platform::FairLock; // outlives the threads that end after main
    return *gate;
}

thread_local std::function<bool()> t_stopped;

std::atomic<std::thread::id> g_uiThread{};
std::atomic<long> g_uiCalls{0};
std::mutex g_lastUiCallMutex;
std::string g_lastUiCall;
} // namespace

void NoteLineCall(const char *what)
{
    if (std::this_thread::get_id() != g_uiThread.load())
        return;
    g_uiCalls.fetch_add(1);
    const std::lock_guard<std::mutex> lock(g_lastUiCallMutex);
    g_lastUiCall = what;
}

LineTurn::LineTurn()
{
    const std::function<bool()> &stopped = t_stopped;
    if (stopped && stopped())
        return;
    held_ = Gate().Lock(kTurnWaitMs, stopped) == platform::FairLock::Result::Acquired;
}

LineTurn::~LineTurn()
{
    if (held_)
        Gate().Unlock();
}

LineStopWhen::LineStopWhen(std::function<bool()> stopped) : previous_(std::move(t_stopped))
{
    t_stopped = std::move(stopped);
}

LineStopWhen::~LineStopWhen() { t_stopped = std::move(previous_); }

bool LineStopRequested() { return t_stopped && t_stopped(); }

void WakeLineWaiters() { Gate().Wake(); }

int LineWaiters() { return Gate().Waiting(); }

void SetUiThread(std::thread::id id) { g_uiThread.store(id); }

long UiThreadLineCalls() { return g_uiCalls.load(); }

std::string LastUiThreadLineCall()
{
    const std::lock_guard<std::mutex> lock(g_lastUiCallMutex);
    return g_lastUiCall;
}

} // namespace tools700
