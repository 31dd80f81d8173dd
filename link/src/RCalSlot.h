// The R-cal data slot: the receive thread posts values from STX messages, FetchRCalData takes
// the newest one. A post into a full slot replaces the value and sets the overrun flag.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace tools700::link {

class RCalSlot {
public:
    // Receive thread. Drops the value when the slot's lock cannot be had within 10000 ms.
    void Post(uint16_t value);
    // Waits up to waitMs for a value; 1 with value/overrun written (each when not null),
    // 0 when none arrived.
    int Fetch(int* value, char* overrun, int waitMs);

private:
    // The slot's lock, taken with the 10000 ms rule (a flag under a mutex and a condition, so
    // the wait is bounded and every tool understands it).
    class TimedLock {
    public:
        bool TryLockFor(int ms);
        void Unlock();

    private:
        std::mutex m_;
        std::condition_variable cv_;
        bool held_ = false;
    };

    TimedLock lock_;
    uint16_t value_ = 0;
    bool pending_ = false;
    bool overrun_ = false;

    // The semaphore (count 0 or 1) that tells a fetcher a value is pending.
    std::mutex semMutex_;
    std::condition_variable semCv_;
    bool semCount_ = false;
};

}  // namespace tools700::link
