#include "RCalSlot.h"

#include <chrono>

namespace tools700::link {

namespace {
constexpr int kLockWaitMs = 10000;
}

bool RCalSlot::TimedLock::TryLockFor(int ms)
{
    std::unique_lock<std::mutex> g(m_);
    if (!cv_.wait_for(g, std::chrono::milliseconds(ms), [this] { return !held_; }))
        return false;
    held_ = true;
    return true;
}

void RCalSlot::TimedLock::Unlock()
{
    {
        std::lock_guard<std::mutex> g(m_);
        held_ = false;
    }
    cv_.notify_one();
}

void RCalSlot::Post(uint16_t value)
{
    if (!lock_.TryLockFor(kLockWaitMs))
        return;
    overrun_ = overrun_ || pending_;
    value_ = value;
    const bool wasPending = pending_;
    pending_ = true;
    lock_.Unlock();
    if (!wasPending) {
        std::lock_guard<std::mutex> g(semMutex_);
        semCount_ = true;
        semCv_.notify_one();
    }
}

int RCalSlot::Fetch(int* value, char* overrun, int waitMs)
{
    {
        std::unique_lock<std::mutex> g(semMutex_);
        if (waitMs <= 0 ? !semCount_ : !semCv_.wait_for(g, std::chrono::milliseconds(waitMs), [this] { return semCount_; }))
            return 0;
        semCount_ = false;
    }
    if (!lock_.TryLockFor(kLockWaitMs))
        return 0;
    if (overrun != nullptr)
        *overrun = overrun_ ? 1 : 0;
    overrun_ = false;
    pending_ = false;
    if (value != nullptr)
        *value = value_;
    lock_.Unlock();
    return 1;
}

}  // namespace tools700::link
