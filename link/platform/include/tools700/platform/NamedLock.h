// System-wide named locks: process-shared, robust, recursive pthread mutexes living in a shared
// region of the namespace.
//
//   tools700::platform::NamedLock lock;
//   if (!lock.Open("SingleInstance700Tools")) { ... }
//   switch (lock.Lock(0)) {
//   case NamedLock::Result::Acquired:  break;              // we are the only one
//   case NamedLock::Result::Abandoned: break;              // the last holder died; we hold it now
//   case NamedLock::Result::TimedOut:  /* already running */ break;
//   case NamedLock::Result::Failed:    break;
//   }
//
// A lock is recursive: the thread that holds it may take it again and must release it as often.
// When a holder (thread or process) ends without releasing the lock, the next Lock() reports
// Abandoned: that caller then holds the lock, already marked consistent again, and decides
// whether the data the lock guards needs repair. AcquireWithRecovery() implements the link
// library's rule (an abandoned lock is released and waited for again).
//
// Every lock of one name in a process shares one mapping, kept until the process ends.
// The object itself is not meant to be shared between threads while Open()/Close() run; Lock()
// and Unlock() may be called from any thread once it is open.
#pragma once

#include <string>
#include <string_view>


namespace tools700::platform {

class NamedLock {
public:
    enum class Result { Acquired, Abandoned, TimedOut, Failed };

    NamedLock() = default;
    ~NamedLock() = default;
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

    // Creates the lock "<name>" in the namespace or opens the existing one. Names may hold any
    // character (blanks included); false when the name is empty or too long, or on failure.
    bool Open(std::string_view name);
    void Close();
    bool IsOpen() const { return block_ != nullptr; }
    const std::string& name() const { return name_; }

    // Waits at most timeoutMs (0: just try; negative: without limit).
    Result Lock(int timeoutMs);
    // Releases one level of the calling thread's hold. False when the thread does not hold it.
    bool Unlock();

    // The link library's rule: wait up to timeoutMs; an abandoned lock is released and waited
    // for again (within the same overall time); true when the lock is now held.
    bool AcquireWithRecovery(int timeoutMs);

    // True when a lock of this name exists in the namespace (some process created it).
    static bool Exists(std::string_view name);
    // True when the named lock exists and another thread or process holds it right now.
    // (A lock held by the calling thread counts as not held by someone else.)
    static bool IsHeldElsewhere(std::string_view name);

private:
    // The lock's shared memory stays mapped until the process ends, whatever happens to this
    // object: the kernel marks a robust mutex abandoned through that mapping when its holder
    // thread or process ends, so it must never go away while a thread may hold the lock.
    void* block_ = nullptr;
    std::string name_;
};

const char* ToString(NamedLock::Result r);

}  // namespace tools700::platform
