#include "tools700/platform/EnvSim.h"

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

void EnvSim::LockQueues()
{
    // Waited for without limit. A holder that died leaves it abandoned: we then hold it, and a
    // queue it may have left half-updated is put right by the sanity check of each operation.
    lock_.Lock(-1);
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
    LockQueues();
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
    LockQueues();
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
    LockQueues();
    int n = region()->attachCount;
    UnlockQueues();
    return n;
}

int EnvSim::Put(Direction d, int byte)
{
    if (!IsOpen())
        return -1;
    const uint8_t b = static_cast<uint8_t>(byte & 0xFF);
    LockQueues();
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
    LockQueues();
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
    LockQueues();
    const bool hasData = !Queue(d).empty;
    UnlockQueues();
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
    LockQueues();
    const bool full = Queue(d).full != 0;
    UnlockQueues();
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
