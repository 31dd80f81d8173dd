// The simulator channel's shared region "envsim": two byte queues between a host (the program)
// and a drive simulator, and the count of processes that have the link library loaded.
//
// The link library uses this class for HostPutChar/HostGetChar/SrlPutChar/SrlGetChar. A drive
// simulator that loads the library talks through those exports; it may also open an EnvSim of
// its own (same namespace) just to wait for the host's bytes instead of polling:
//
//   tools700::platform::EnvSim sim;
//   sim.Open();                          // no Attach(): the loaded library counts this process
//   for (;;) { int b = SrlGetChar(); if (b < 0) { sim.WaitHostToDrive(6); continue; } ... }
//
// Every queue operation takes the system-wide lock "EnvSim Queue Lock", waiting at most
// kEnvSimLockWaitMs (the operation then fails as on a full or empty queue). Each queue holds at
// most 128 bytes; a put into a full queue drops the byte and reports -1.
#pragma once

#include <atomic>
#include <cstdint>
#include <sys/types.h>

#include "tools700/platform/NamedLock.h"
#include "tools700/platform/SharedRegion.h"

namespace tools700::platform {

constexpr int kEnvSimQueueSize = 128;
constexpr int kEnvSimMaxProcesses = 64;
// The longest wait for "EnvSim Queue Lock": a peer stopped while holding it cannot block us.
constexpr int kEnvSimLockWaitMs = 1000;

// One ring queue, in this order of fields.
struct EnvSimQueue {
    int32_t readIndex;   // 0..127, next byte to read
    int32_t writeIndex;  // 0..127, next free place
    uint8_t full;        // write index caught up with the read index
    uint8_t empty;       // read index caught up with the write index
    uint8_t data[kEnvSimQueueSize];
};

// The region's layout. The first three fields are the channel proper; the rest lets a process
// wait for bytes (doorbells) and lets the attach count survive processes that were killed.
struct EnvSimRegion {
    EnvSimQueue hostToDrive;
    EnvSimQueue driveToHost;
    int32_t attachCount;
    uint32_t layoutVersion;
    std::atomic<uint32_t> hostToDriveBell;   // rung after every put into hostToDrive
    std::atomic<uint32_t> driveToHostBell;   // rung after every put into driveToHost
    std::atomic<uint32_t> hostToDriveSpace;  // rung when a get frees room in a full hostToDrive
    std::atomic<uint32_t> driveToHostSpace;  // rung when a get frees room in a full driveToHost
    std::atomic<uint32_t> waiters;           // processes' threads currently waiting on a bell
    uint32_t reserved;
    struct Attached {
        int32_t pid;
        uint32_t pad;
        uint64_t startTime;  // with the pid, names the process even after pid reuse
    } attached[kEnvSimMaxProcesses];
};

enum class Direction { HostToDrive, DriveToHost };

class EnvSim {
public:
    // Maps the region "envsim" and opens "EnvSim Queue Lock". False on failure.
    bool Open();
    bool IsOpen() const { return region_.IsOpen() && lock_.IsOpen(); }

    // Counts this process in. Processes that ended without detaching are dropped from the
    // count first; when no live process remains, both queues are reset (the first process).
    void Attach();
    void Detach();
    int AttachCount();

    // Queue operations: the byte 0..255, or -1 (full on put, empty on get).
    int Put(Direction d, int byte);
    int Get(Direction d);

    // Waits until the queue may have a byte, at most timeoutMs (returns at once when it has).
    // A wait also ends on Wake(d); `cancel`, when given, is looked at after the doorbell has
    // been read, so a Wake() that follows setting it can never be missed.
    void WaitForData(Direction d, int timeoutMs, const std::atomic<bool>* cancel = nullptr);
    // Waits until a full queue may have room, at most timeoutMs.
    void WaitForSpace(Direction d, int timeoutMs);
    void WaitHostToDrive(int timeoutMs) { WaitForData(Direction::HostToDrive, timeoutMs); }
    void WaitDriveToHost(int timeoutMs) { WaitForData(Direction::DriveToHost, timeoutMs); }
    // Wakes every waiter on the data doorbell of d (used to end a wait early).
    void Wake(Direction d);

    // Resets a queue to its empty state (both indexes 0, full false, empty true, data zero).
    static void ResetQueue(EnvSimQueue& q);

    EnvSimRegion* region() const { return static_cast<EnvSimRegion*>(region_.data()); }

private:
    // False when the lock could not be had (held by a stopped peer): the operation fails.
    bool LockQueues();
    void UnlockQueues() { lock_.Unlock(); }
    EnvSimQueue& Queue(Direction d);
    std::atomic<uint32_t>& DataBell(Direction d);
    std::atomic<uint32_t>& SpaceBell(Direction d);

    SharedRegion region_;
    NamedLock lock_;
    std::atomic<long long> stuckUntil_ {0};  // steady-clock ticks until which waits are skipped
};

}  // namespace tools700::platform
