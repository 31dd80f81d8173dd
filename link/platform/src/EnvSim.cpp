#include "tools700/platform/EnvSim.h"

#include <chrono>
#include <cstring>
#include <unistd.h>

#include "tools700/platform/Futex.h"
#include "tools700/platform/Process.h"

namespace tools700::platform {

namespace {

constexpr uint32_t kLayoutVersion = 1;

bool QueueSane(const EnvSimQueue& q)
{
    return q.readIndex >= 0 && q.readIndex < kEnvSimQueueSize && q.writeIndex >= 0 &&
           q.writeIndex < kEnvSimQueueSize && q.full <= 1 && q.empty <= 1 && !(q.full && q.empty);
}

}  // namespace

bool EnvSim::Open()
{
    if (IsOpen())
        return true;
    if (!lock_.Open("EnvSim Queue Lock"))
        return false;
    if (!region_.Open("envsim", sizeof(EnvSimRegion))) {
        lock_.Close();
        return false;
    }
    return true;
}

void EnvSim::ResetQueue(EnvSimQueue& q)
{
    q.readIndex = 0;
    q.writeIndex = 0;
    q.full = 0;
    q.empty = 1;
    std::memset(q.data, 0, sizeof q.data);
}

bool EnvSim::LockQueues()
{
    // A holder that died leaves the lock abandoned: we then hold it, and a queue it may have
    // left half-updated is put right by the sanity check of each operation. A holder that is
    // alive but stopped (a debugger, SIGSTOP) would block us for ever: the wait is bounded, the
    // operation then fails like one on a full or empty queue, and while the lock stays stuck
    // later operations only try it, so a frame of 200 bytes does not wait 200 times.
    using clock = std::chrono::steady_clock;
    const long long now = clock::now().time_since_epoch().count();
    const bool stuck = now < stuckUntil_.load(std::memory_order_relaxed);
    switch (lock_.Lock(stuck ? 0 : kEnvSimLockWaitMs)) {
    case NamedLock::Result::Acquired:
    case NamedLock::Result::Abandoned:
        return true;
    case NamedLock::Result::TimedOut:
    case NamedLock::Result::Failed:
        break;
    }
    if (!stuck)
        stuckUntil_.store((clock::now() + std::chrono::milliseconds(kEnvSimLockWaitMs)).time_since_epoch().count(),
                          std::memory_order_relaxed);
    return false;
}

EnvSimQueue& EnvSim::Queue(Direction d)
{
    return d == Direction::HostToDrive ? region()->hostToDrive : region()->driveToHost;
}

std::atomic<uint32_t>& EnvSim::DataBell(Direction d)
{
    return d == Direction::HostToDrive ? region()->hostToDriveBell : region()->driveToHostBell;
}

std::atomic<uint32_t>& EnvSim::SpaceBell(Direction d)
{
    return d == Direction::HostToDrive ? region()->hostToDriveSpace : region()->driveToHostSpace;
}

void EnvSim::Attach()
{
    if (!IsOpen())
        return;
    EnvSimRegion* r = region();
    if (!LockQueues())
        return;
    const pid_t self = getpid();
    int live = 0;
    for (auto& a : r->attached) {
        if (a.pid == 0)
            continue;
        if (a.pid == self || ProcessStartTime(a.pid) != a.startTime) {
            a = {};  // ended without detaching (or our own stale entry): forget it
            continue;
        }
        ++live;
    }
    // The count is rebuilt from the processes that are still alive, so a process killed
    // without detaching no longer counts (a table of 64 is far more than one machine runs).
    r->attachCount = live;
    if (r->attachCount == 0 || r->layoutVersion != kLayoutVersion) {
        ResetQueue(r->hostToDrive);
        ResetQueue(r->driveToHost);
        r->layoutVersion = kLayoutVersion;
    }
    for (auto& a : r->attached) {
        if (a.pid == 0) {
            a.pid = self;
            a.startTime = ProcessStartTime(self);
            break;
        }
    }
    ++r->attachCount;
    UnlockQueues();
}

void EnvSim::Detach()
{
    if (!IsOpen())
        return;
    EnvSimRegion* r = region();
    if (!LockQueues())
        return;
    const pid_t self = getpid();
    for (auto& a : r->attached)
        if (a.pid == self)
            a = {};
    if (r->attachCount > 0)
        --r->attachCount;
    UnlockQueues();
}

int EnvSim::AttachCount()
{
    if (!IsOpen())
        return 0;
    if (!LockQueues())
        return 0;
    int n = region()->attachCount;
    UnlockQueues();
    return n;
}

int EnvSim::Put(Direction d, int byte)
{
    if (!IsOpen())
        return -1;
    const uint8_t b = static_cast<uint8_t>(byte & 0xFF);
    if (!LockQueues())
        return -1;
    EnvSimQueue& q = Queue(d);
    if (!QueueSane(q))
        ResetQueue(q);
    if (q.full) {
        UnlockQueues();
        return -1;
    }
    q.data[q.writeIndex] = b;
    q.writeIndex = (q.writeIndex + 1) % kEnvSimQueueSize;
    if (q.writeIndex == q.readIndex)
        q.full = 1;
    q.empty = 0;
    UnlockQueues();
    std::atomic<uint32_t>& bell = DataBell(d);
    bell.fetch_add(1, std::memory_order_seq_cst);
    if (region()->waiters.load(std::memory_order_seq_cst) != 0)
        FutexWakeAll(&bell);
    return b;
}

int EnvSim::Get(Direction d)
{
    if (!IsOpen())
        return -1;
    if (!LockQueues())
        return -1;
    EnvSimQueue& q = Queue(d);
    if (!QueueSane(q))
        ResetQueue(q);
    if (q.empty) {
        UnlockQueues();
        return -1;
    }
    const bool wasFull = q.full != 0;
    const int b = q.data[q.readIndex];
    q.readIndex = (q.readIndex + 1) % kEnvSimQueueSize;
    if (q.readIndex == q.writeIndex)
        q.empty = 1;
    q.full = 0;
    UnlockQueues();
    if (wasFull) {
        std::atomic<uint32_t>& space = SpaceBell(d);
        space.fetch_add(1, std::memory_order_seq_cst);
        if (region()->waiters.load(std::memory_order_seq_cst) != 0)
            FutexWakeAll(&space);
    }
    return b;
}

void EnvSim::WaitForData(Direction d, int timeoutMs, const std::atomic<bool>* cancel)
{
    if (!IsOpen())
        return;
    EnvSimRegion* r = region();
    std::atomic<uint32_t>& bell = DataBell(d);
    r->waiters.fetch_add(1, std::memory_order_seq_cst);
    const uint32_t seen = bell.load(std::memory_order_seq_cst);
    bool hasData = false;
    if (LockQueues()) {
        hasData = !Queue(d).empty;
        UnlockQueues();
    }
    if (!hasData && !(cancel != nullptr && cancel->load(std::memory_order_seq_cst)))
        FutexWait(&bell, seen, timeoutMs);
    r->waiters.fetch_sub(1, std::memory_order_seq_cst);
}

void EnvSim::WaitForSpace(Direction d, int timeoutMs)
{
    if (!IsOpen())
        return;
    EnvSimRegion* r = region();
    std::atomic<uint32_t>& bell = SpaceBell(d);
    r->waiters.fetch_add(1, std::memory_order_seq_cst);
    const uint32_t seen = bell.load(std::memory_order_seq_cst);
    bool full = false;
    if (LockQueues()) {
        full = Queue(d).full != 0;
        UnlockQueues();
    }
    if (full)
        FutexWait(&bell, seen, timeoutMs);
    r->waiters.fetch_sub(1, std::memory_order_seq_cst);
}

void EnvSim::Wake(Direction d)
{
    if (!IsOpen())
        return;
    RingDoorbell(&DataBell(d));
}

}  // namespace tools700::platform
