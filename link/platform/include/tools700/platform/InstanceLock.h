// A named lock a process takes once and holds until it ends, such as the program's
// single-instance lock. It is the same lock object in the namespace as a NamedLock of that name
// (one layout, made ready one way), without the link library's process-wide table of mappings and
// per-thread hold counts: a program takes it without carrying a second copy of the library's
// lock state beside the one inside libcomm700.
#pragma once

#include <memory>
#include <string_view>

namespace tools700::platform {

class SharedRegion;
struct LockBlock;

class InstanceLock {
public:
    enum class Result {
        Taken,        // this process holds it now (also after an owner that died without releasing)
        HeldElsewhere,  // another process (or another thread of this one) holds it
        Failed          // the lock could not be made or opened
    };

    InstanceLock();
    ~InstanceLock();  // releases the lock when this object took it
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Creates the lock "<name>" in the namespace or opens it, and takes it without waiting.
    Result Take(std::string_view name);
    bool Held() const { return held_; }

private:
    std::unique_ptr<SharedRegion> region_;  // mapped for as long as the lock may be held
    LockBlock* block_ = nullptr;
    bool held_ = false;
};

}  // namespace tools700::platform
