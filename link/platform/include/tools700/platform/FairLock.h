// FairLock: a recursive lock of one process that serves its waiters in the order they asked.
//
// A plain mutex lets the thread that has just released it take it again at once, ahead of a
// thread that has been waiting for seconds: a loop of exchanges on one thread can starve every
// other thread of the line. Here each waiter draws a ticket; the lock, once free, goes to the
// oldest ticket, so a thread that releases and asks again queues behind those already waiting.
//
//   FairLock lock;
//   if (lock.Lock(10000) == FairLock::Result::Acquired) { ...; lock.Unlock(); }
//
// A waiter may give up early: `giveUp` is asked whenever the waiter wakes, and Wake() wakes every
// waiter at once (a thread that is told to stop calls it). `giveUp` runs under the lock's own
// mutex, so it must only read atomics and never take another lock.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tools700::platform {

class FairLock {
public:
    enum class Result { Acquired, TimedOut, GaveUp };

    FairLock() = default;
    FairLock(const FairLock &) = delete;
    FairLock &operator=(const FairLock &) = delete;

    // Waits at most timeoutMs (negative: without limit) for the lock; the thread that holds it
    // takes it again at once (and must release it as often).
    Result Lock(int timeoutMs, const std::function<bool()> &giveUp = {});
    // Releases one level of the calling thread's hold; false when the thread does not hold it.
    bool Unlock();
    // Makes every waiter look at its give-up condition now.
    void Wake();

    bool HeldByThisThread() const;
    // Threads waiting for the lock now (for tests and statistics).
    int Waiting() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::uint64_t> queue_; // tickets of the waiting threads, oldest first
    std::uint64_t nextTicket_ = 0;
    std::thread::id owner_{};
    int depth_ = 0;
};

} // namespace tools700::platform
