#include "tools700/platform/InstanceLock.h"

#include <cerrno>
#include <pthread.h>

#include "LockBlock.h"
#include "tools700/platform/SharedRegion.h"

namespace tools700::platform {

InstanceLock::InstanceLock() : region_(std::make_unique<SharedRegion>()) {}

InstanceLock::~InstanceLock()
{
    if (held_)
        pthread_mutex_unlock(&block_->mutex);
}

InstanceLock::Result InstanceLock::Take(std::string_view name)
{
    if (held_)
        return Result::Taken;
    if (block_ == nullptr) {
        if (!region_->Open(name, sizeof(LockBlock)))
            return Result::Failed;
        block_ = ReadyLockBlock(*region_);
        if (block_ == nullptr) {
            region_->Close();
            return Result::Failed;
        }
    }
    switch (pthread_mutex_trylock(&block_->mutex)) {
    case 0:
        held_ = true;
        return Result::Taken;
    case EOWNERDEAD:
        // An instance that was killed left it: mark it usable again and keep it.
        pthread_mutex_consistent(&block_->mutex);
        held_ = true;
        return Result::Taken;
    case EBUSY:
        return Result::HeldElsewhere;
    default:
        return Result::Failed;
    }
}

}  // namespace tools700::platform
