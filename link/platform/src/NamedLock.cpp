#include "tools700/platform/NamedLock.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <pthread.h>
#include <map>
#include <mutex>
#include <string>

#include <unistd.h>

#include "LockBlock.h"
#include "tools700/platform/SharedRegion.h"

#if defined(__SANITIZE_THREAD__)
#define TOOLS700_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TOOLS700_TSAN 1
#endif
#endif
#if defined(TOOLS700_TSAN)
#include <sanitizer/tsan_interface.h>
#endif

namespace tools700::platform {

namespace {

LockBlock* Block(void* p) { return static_cast<LockBlock*>(p); }

// Mappings of every lock this process has opened, by shared-memory path; never unmapped.
std::mutex g_mapMutex;
std::map<std::string, SharedRegion>& Mappings()
{
    static auto* m = new std::map<std::string, SharedRegion>();  // outlives static destructors
    return *m;
}

// Maps (or finds) the region of a lock and makes sure its mutex is initialised.
LockBlock* MapLock(std::string_view name)
{
    SharedRegion region;
    if (!region.Open(name, sizeof(LockBlock)))
        return nullptr;
    std::lock_guard<std::mutex> guard(g_mapMutex);
    auto& maps = Mappings();
    auto it = maps.find(region.path());
    if (it != maps.end())
        return Block(it->second.data());  // already mapped once: the new mapping goes away
    if (ReadyLockBlock(region) == nullptr)
        return nullptr;
    std::string path = region.path();
    auto& kept = maps[path];
    kept = std::move(region);
    return Block(kept.data());
}

// How often the calling thread holds each lock (by its mutex), so that Unlock can tell a
// wrong-thread release from a real one without looking inside the C library's mutex.
std::map<const void*, int>& HeldByThisThread()
{
    thread_local std::map<const void*, int> held;
    return held;
}

// pthread_mutex_timedlock measures against CLOCK_REALTIME. (pthread_mutex_clocklock would take
// the monotonic clock, but the thread sanitizer does not know that call and then reports every
// unlock as wrong; a wall-clock step during a wait only shortens or lengthens that one wait.)
timespec DeadlineAfter(int ms)
{
    timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    ts.tv_sec += ms / 1000;
    ts.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (ts.tv_nsec >= 1000000000L) {
        ts.tv_sec += 1;
        ts.tv_nsec -= 1000000000L;
    }
    return ts;
}

}  // namespace

bool NamedLock::Open(std::string_view name)
{
    Close();
    block_ = MapLock(name);
    if (block_ == nullptr)
        return false;
    name_ = std::string(name);
    return true;
}

void NamedLock::Close()
{
    block_ = nullptr;
    name_.clear();
}

NamedLock::Result NamedLock::Lock(int timeoutMs)
{
    if (block_ == nullptr)
        return Result::Failed;
    pthread_mutex_t* m = &Block(block_)->mutex;
    int rc;
    if (timeoutMs == 0) {
        rc = pthread_mutex_trylock(m);
    } else if (timeoutMs < 0) {
        rc = pthread_mutex_lock(m);
    } else {
        timespec deadline = DeadlineAfter(timeoutMs);
        rc = pthread_mutex_timedlock(m, &deadline);
    }
    switch (rc) {
    case 0:
        ++HeldByThisThread()[m];
        return Result::Acquired;
    case EOWNERDEAD:
        ++HeldByThisThread()[m];
        // We hold it now; mark it usable again so that a later unlock does not retire it.
        pthread_mutex_consistent(m);
#if defined(TOOLS700_TSAN)
        // The thread sanitizer takes a robust mutex over from a dead owner in its lock and
        // trylock interceptors, but its timedlock interceptor only follows a plain success:
        // tell it that this thread now holds the mutex. (Only the lock annotations: making the
        // mutex anew would race with the other threads of this process trying it meanwhile.)
        if (timeoutMs > 0) {
            __tsan_mutex_pre_lock(m, __tsan_mutex_try_lock);
            __tsan_mutex_post_lock(m, __tsan_mutex_try_lock, 0);
        }
#endif
        return Result::Abandoned;
    case EBUSY:
    case ETIMEDOUT:
        return Result::TimedOut;
    default:
        return Result::Failed;
    }
}

bool NamedLock::Unlock()
{
    if (block_ == nullptr)
        return false;
    pthread_mutex_t* m = &Block(block_)->mutex;
    // Asking our own count first keeps a wrong-thread unlock a plain "no" (the C library would
    // say EPERM, the thread sanitizer would report a misuse).
    auto& held = HeldByThisThread();
    auto it = held.find(m);
    if (it == held.end())
        return false;
    if (--it->second == 0)
        held.erase(it);
    return pthread_mutex_unlock(m) == 0;
}

bool NamedLock::AcquireWithRecovery(int timeoutMs)
{
    auto start = std::chrono::steady_clock::now();
    for (;;) {
        int left = timeoutMs;
        if (timeoutMs > 0) {
            auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start).count();
            left = spent >= timeoutMs ? 0 : timeoutMs - static_cast<int>(spent);
        }
        switch (Lock(left)) {
        case Result::Acquired:
            return true;
        case Result::Abandoned:
            Unlock();  // release the dead holder's claim and wait for the lock again
            continue;
        case Result::TimedOut:
        case Result::Failed:
            return false;
        }
    }
}

bool NamedLock::Exists(std::string_view name) { return SharedRegion::Exists(name); }

bool NamedLock::IsHeldElsewhere(std::string_view name)
{
    if (!Exists(name))
        return false;
    NamedLock probe;
    if (!probe.Open(name))
        return false;
    switch (probe.Lock(0)) {
    case Result::Acquired:
    case Result::Abandoned:
        probe.Unlock();
        return false;
    case Result::TimedOut:
        return true;
    case Result::Failed:
        return false;
    }
    return false;
}

const char* ToString(NamedLock::Result r)
{
    switch (r) {
    case NamedLock::Result::Acquired: return "Acquired";
    case NamedLock::Result::Abandoned: return "Abandoned";
    case NamedLock::Result::TimedOut: return "TimedOut";
    case NamedLock::Result::Failed: return "Failed";
    }
    return "?";
}

}  // namespace tools700::platform
