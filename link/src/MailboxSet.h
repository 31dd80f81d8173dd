// Mailboxes: each exchange in flight holds one, under its sequence number; the receive thread
// delivers every good frame to the box whose number the frame's word 1 carries.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace tools700::link {

constexpr uint16_t MBOX_AVAILABLE = 0;
constexpr int kMailboxCount = 16;
constexpr uint16_t kMailboxFailure = 0xFFFF;
// The news status of an exchange whose line went away (an unplugged adapter).
constexpr uint16_t kMailboxLineLost = 0xFFFE;

struct Mailbox {
    uint16_t* buffer = nullptr;      // the reply message's word area
    uint16_t capacity = 0;           // largest N that fits
    uint16_t seq = MBOX_AVAILABLE;   // the exchange's sequence number, 0 when free
    uint16_t* status = nullptr;      // where the news status goes: 0 reply, 0xFFFF failure
    bool signalled = false;          // the box's semaphore (count 0 or 1)
    std::condition_variable cv;
};

// All operations run under one lock that is held only for the short table work; a waiter
// sleeps on its own box's condition (which releases the lock while it waits).
class MailboxSet {
public:
    MailboxSet() = default;
    MailboxSet(const MailboxSet&) = delete;
    MailboxSet& operator=(const MailboxSet&) = delete;

    // Counter + 1, wrapping at 16 bits and skipping 0. The first number after load is 2.
    uint16_t NextSequence();

    // Takes a free box for a new exchange, with a fresh sequence number that no held box
    // carries. When all 16 are held it waits up to waitMs for one to come free; nullptr then.
    // Any signal left in the box from an earlier holder is cleared.
    Mailbox* Allocate(uint16_t* status, uint16_t* buffer, uint16_t capacity, int waitMs);

    // A frame with a good CRC: frame[0] = N, frame[1] = sequence number. Frames whose number
    // matches no held box (late replies) and frames without a sequence word are dropped.
    // Returns true when a box took it.
    bool Deliver(const uint16_t* frame);

    // Waits up to timeoutMs for news in the box, then releases the box. True when the box was
    // signalled (a reply that arrives just as the time runs out still counts).
    bool AwaitAndRelease(Mailbox* box, int timeoutMs);

    // Every held box is signalled with `status` and no frame (their waiters end at once).
    void FailAll(uint16_t status);

    // Library unload: every held box is signalled with the failure status; later allocations
    // fail at once.
    void TearDown();

    // Inspection for tests.
    int HeldCount();
    uint16_t counter();
    void SetCounter(uint16_t value);

private:
    void SignalLocked(Mailbox& box, uint16_t statusValue, const uint16_t* frame);
    bool InUseLocked(uint16_t seq) const;

    std::mutex mutex_;
    std::condition_variable freed_;
    Mailbox boxes_[kMailboxCount];
    uint16_t counter_ = 1;
    bool tornDown_ = false;
};

}  // namespace tools700::link
