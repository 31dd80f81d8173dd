// The memory of a named lock in its shared region, and the one way it is made ready: shared by
// the link's named locks and by a process's instance lock, so both see the same lock object in
// the namespace.
#pragma once

#include <atomic>
#include <cstdint>
#include <pthread.h>

namespace tools700::platform {

class SharedRegion;

// Layout of a lock's region. `state` makes sure exactly one process initialises the mutex and
// that nobody uses it before that has finished.
struct LockBlock {
    std::atomic<uint32_t> state;  // 0 fresh, 1 being initialised, 2 ready
    uint32_t reserved;
    pthread_mutex_t mutex;  // process-shared, robust, recursive
};

// The lock block of an open region (of at least sizeof(LockBlock) bytes), its mutex initialised
// by whichever process comes first; nullptr when the mutex cannot be initialised.
LockBlock* ReadyLockBlock(SharedRegion& region);

}  // namespace tools700::platform
