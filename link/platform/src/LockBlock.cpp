#include "LockBlock.h"

#include <chrono>
#include <thread>

#include "tools700/platform/SharedRegion.h"

namespace tools700::platform {

namespace {

constexpr uint32_t kFresh = 0;
constexpr uint32_t kInitialising = 1;
constexpr uint32_t kReady = 2;

bool InitMutex(pthread_mutex_t* m)
{
    pthread_mutexattr_t attr;
    if (pthread_mutexattr_init(&attr) != 0)
        return false;
    bool ok = pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_SHARED) == 0 &&
              pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST) == 0 &&
              pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE) == 0 &&
              pthread_mutex_init(m, &attr) == 0;
    pthread_mutexattr_destroy(&attr);
    return ok;
}

}  // namespace

LockBlock* ReadyLockBlock(SharedRegion& region)
{
    auto* b = static_cast<LockBlock*>(region.data());
    if (b == nullptr || region.size() < sizeof(LockBlock))
        return nullptr;
    uint32_t expected = kFresh;
    if (b->state.compare_exchange_strong(expected, kInitialising, std::memory_order_acq_rel)) {
        if (!InitMutex(&b->mutex)) {
            b->state.store(kFresh, std::memory_order_release);
            return nullptr;
        }
        b->state.store(kReady, std::memory_order_release);
        return b;
    }
    // Another process is initialising it; a creator killed half-way leaves the state at 1 for
    // ever, so after a second of waiting the mutex is initialised again here.
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (b->state.load(std::memory_order_acquire) != kReady) {
        if (std::chrono::steady_clock::now() > until) {
            if (!InitMutex(&b->mutex))
                return nullptr;
            b->state.store(kReady, std::memory_order_release);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return b;
}

}  // namespace tools700::platform
