#include "MailboxSet.h"

#include <cassert>
#include <chrono>
#include <cstring>

namespace tools700::link {

uint16_t MailboxSet::NextSequence()
{
    std::lock_guard<std::mutex> lock(mutex_);
    counter_ = static_cast<uint16_t>(counter_ + 1);
    if (counter_ == 0)
        counter_ = 1;
    return counter_;
}

bool MailboxSet::InUseLocked(uint16_t seq) const
{
    for (const Mailbox& b : boxes_)
        if (b.seq == seq)
            return true;
    return false;
}

Mailbox* MailboxSet::Allocate(uint16_t* status, uint16_t* buffer, uint16_t capacity, int waitMs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (tornDown_)
            return nullptr;
        for (Mailbox& b : boxes_) {
            if (b.seq != MBOX_AVAILABLE)
                continue;
            // A number still held by a box (only after 65535 exchanges with one box stuck
            // the whole time) is skipped rather than shared: two waiters on one box would
            // release each other's box.
            do {
                counter_ = static_cast<uint16_t>(counter_ + 1);
                if (counter_ == 0)
                    counter_ = 1;
            } while (InUseLocked(counter_));
            b.seq = counter_;
            b.status = status;
            b.buffer = buffer;
            b.capacity = capacity;
            b.signalled = false;
            return &b;
        }
        // All 16 held: wait for one to be released, bounded by the exchange's own time-out.
        if (freed_.wait_until(lock, deadline) == std::cv_status::timeout) {
            bool anyFree = false;
            for (const Mailbox& b : boxes_)
                anyFree = anyFree || b.seq == MBOX_AVAILABLE;
            if (!anyFree)
                return nullptr;
        }
    }
}

void MailboxSet::SignalLocked(Mailbox& box, uint16_t statusValue, const uint16_t* frame)
{
    if (box.status != nullptr)
        *box.status = statusValue;
    if (frame != nullptr && box.buffer != nullptr && frame[0] <= box.capacity)
        std::memcpy(box.buffer, frame, (static_cast<std::size_t>(frame[0]) + 1) * sizeof(uint16_t));
    box.signalled = true;
    box.cv.notify_all();
}

bool MailboxSet::Deliver(const uint16_t* frame)
{
    if (frame == nullptr || frame[0] < 1 || frame[1] == MBOX_AVAILABLE)
        return false;
    std::lock_guard<std::mutex> lock(mutex_);
    for (Mailbox& b : boxes_) {
        if (b.seq == frame[1]) {
            SignalLocked(b, 0, frame);
            return true;
        }
    }
    return false;
}

bool MailboxSet::AwaitAndRelease(Mailbox* box, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    assert(box->seq != MBOX_AVAILABLE);
    // A time of 0 only looks: a timed wait that is already over still costs a trip through
    // the scheduler.
    if (timeoutMs > 0)
        box->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [box] { return box->signalled; });
    const bool got = box->signalled;
    box->seq = MBOX_AVAILABLE;
    box->status = nullptr;
    box->buffer = nullptr;
    box->capacity = 0;
    box->signalled = false;
    freed_.notify_one();
    return got;
}

void MailboxSet::FailAll(uint16_t status)
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (Mailbox& b : boxes_)
        if (b.seq != MBOX_AVAILABLE)
            SignalLocked(b, status, nullptr);
}

void MailboxSet::TearDown()
{
    std::lock_guard<std::mutex> lock(mutex_);
    tornDown_ = true;
    for (Mailbox& b : boxes_)
        if (b.seq != MBOX_AVAILABLE)
            SignalLocked(b, kMailboxFailure, nullptr);
    freed_.notify_all();
}

int MailboxSet::HeldCount()
{
    std::lock_guard<std::mutex> lock(mutex_);
    int n = 0;
    for (const Mailbox& b : boxes_)
        n += b.seq != MBOX_AVAILABLE;
    return n;
}

uint16_t MailboxSet::counter()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return counter_;
}

void MailboxSet::SetCounter(uint16_t value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    counter_ = value;
}

}  // namespace tools700::link
