// ThreadSafe: the scoped guard of the scope's locks. Created, it takes the lock it is given;
// destroyed, it releases it. The scope and each of its channels own one lock each; where both
// are needed the scope's is taken first, then the channel's.
#pragma once

#include <mutex>

namespace tools700::scope {

using CriticalSection = std::mutex;

class ThreadSafe {
public:
    explicit ThreadSafe(CriticalSection &section) : section_(section) { section_.lock(); }
    ~ThreadSafe() { section_.unlock(); }
    ThreadSafe(const ThreadSafe &) = delete;
    ThreadSafe &operator=(const ThreadSafe &) = delete;

private:
    CriticalSection &section_;
};

} // namespace tools700::scope
