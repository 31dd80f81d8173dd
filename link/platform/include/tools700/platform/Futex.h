// A process-shared "doorbell": a 32-bit counter in shared memory that writers ring and readers
// wait on with a time-out (Linux futex, not private, so it works across processes).
#pragma once

#include <atomic>
#include <cstdint>

namespace tools700::platform {

// Waits while *word still equals `expected`, at most timeoutMs milliseconds (negative: no
// limit). Returns at once when the value already differs. Spurious wake-ups are possible:
// callers re-check their condition.
void FutexWait(std::atomic<uint32_t>* word, uint32_t expected, int timeoutMs);

// Wakes every waiter of the word (in any process).
void FutexWakeAll(std::atomic<uint32_t>* word);

// Increments the counter and wakes every waiter.
inline void RingDoorbell(std::atomic<uint32_t>* word)
{
    word->fetch_add(1, std::memory_order_seq_cst);
    FutexWakeAll(word);
}

}  // namespace tools700::platform
