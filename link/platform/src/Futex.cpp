#include "tools700/platform/Futex.h"

#include <ctime>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tools700::platform {

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t) &&
              std::atomic<uint32_t>::is_always_lock_free,
              "the doorbell word must be a plain 32-bit word in shared memory");

void FutexWait(std::atomic<uint32_t>* word, uint32_t expected, int timeoutMs)
{
    timespec rel {};
    timespec* prel = nullptr;
    if (timeoutMs >= 0) {
        rel.tv_sec = timeoutMs / 1000;
        rel.tv_nsec = static_cast<long>(timeoutMs % 1000) * 1000000L;
        prel = &rel;
    }
    // Not FUTEX_PRIVATE: the word may be shared with other processes.
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAIT, expected, prel, nullptr, 0);
}

void FutexWakeAll(std::atomic<uint32_t>* word)
{
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAKE, 0x7fffffff, nullptr, nullptr, 0);
}

}  // namespace tools700::platform
