#include "tools700/platform/FairLock.h"

#include <algorithm>
#include <chrono>

namespace tools700::platform {

FairLock::Result FairLock::Lock(int timeoutMs, const std::function<bool()> &giveUp)
{
    const std::thread::id me = std::this_thread::get_id();
    std::unique_lock<std::mutex> lock(mutex_);
    if (owner_ == me) {
        ++depth_;
        return Result::Acquired;
    }
    if (owner_ == std::thread::id{} && queue_.empty()) {
        owner_ = me;
        depth_ = 1;
        return Result::Acquired;
    }
    const std::uint64_t ticket = nextTicket_++;
    queue_.push_back(ticket);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    auto leave = [&](Result why) {
        queue_.erase(std::find(queue_.begin(), queue_.end(), ticket));
        // The next waiter may be at the front now.
        changed_.notify_all();
        return why;
    };
    for (;;) {
        if (owner_ == std::thread::id{} && queue_.front() == ticket) {
            queue_.pop_front();
            owner_ = me;
            depth_ = 1;
            return Result::Acquired;
        }
        if (giveUp && giveUp())
            return leave(Result::GaveUp);
        if (timeoutMs < 0) {
            changed_.wait(lock);
        } else if (changed_.wait_until(lock, deadline) == std::cv_status::timeout) {
            if (owner_ == std::thread::id{} && queue_.front() == ticket)
                continue;
            return leave(Result::TimedOut);
        }
    }
}

bool FairLock::Unlock()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (owner_ != std::this_thread::get_id() || depth_ <= 0)
        return false;
    if (--depth_ == 0) {
        owner_ = std::thread::id{};
        changed_.notify_all();
    }
    return true;
}

void FairLock::Wake()
{
    { const std::lock_guard<std::mutex> lock(mutex_); }
    changed_.notify_all();
}

bool FairLock::HeldByThisThread() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return owner_ == std::this_thread::get_id();
}

int FairLock::Waiting() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(queue_.size());
}

} // namespace tools700::platform
