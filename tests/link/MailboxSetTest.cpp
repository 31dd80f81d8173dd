// The mailbox set (sequence numbers, allocation, delivery, late replies) and the R-cal slot.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "MailboxSet.h"
#include "RCalSlot.h"

using namespace tools700::link;
using namespace std::chrono_literals;

namespace {

std::vector<uint16_t> Frame(uint16_t seq, uint16_t n)
{
    std::vector<uint16_t> f(static_cast<std::size_t>(n) + 1, 0x4444);
    f[0] = n;
    if (n >= 1)
        f[1] = seq;
    if (n >= 2)
        f[2] = 0x81;
    return f;
}

}  // namespace

TEST(MailboxSet, SequenceStartsAtTwoAndWrapsPastZero)
{
    MailboxSet set;
    EXPECT_EQ(set.NextSequence(), 2);
    EXPECT_EQ(set.NextSequence(), 3);
    set.SetCounter(65534);
    EXPECT_EQ(set.NextSequence(), 65535);
    EXPECT_EQ(set.NextSequence(), 1);
    EXPECT_EQ(set.NextSequence(), 2);

    MailboxSet fresh;
    uint16_t st = 7;
    uint16_t buf[8] {};
    Mailbox* b = fresh.Allocate(&st, buf, 4, 0);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->seq, 2);  // the first exchange after load
    fresh.AwaitAndRelease(b, 0);
    fresh.SetCounter(65535);
    b = fresh.Allocate(&st, buf, 4, 0);
    EXPECT_EQ(b->seq, 1);
    fresh.AwaitAndRelease(b, 0);
}

TEST(MailboxSet, DeliversByNumberAndCopiesWhatFits)
{
    MailboxSet set;
    uint16_t st1 = 0x5555, st2 = 0x5555;
    uint16_t buf1[8] {}, buf2[8] {};
    Mailbox* a = set.Allocate(&st1, buf1, 4, 0);
    Mailbox* b = set.Allocate(&st2, buf2, 4, 0);
    ASSERT_NE(a, b);
    EXPECT_EQ(set.HeldCount(), 2);
    // Replies in the other order.
    auto fb = Frame(b->seq, 4);
    EXPECT_TRUE(set.Deliver(fb.data()));
    auto fa = Frame(a->seq, 3);
    EXPECT_TRUE(set.Deliver(fa.data()));
    EXPECT_TRUE(set.AwaitAndRelease(a, 0));
    EXPECT_TRUE(set.AwaitAndRelease(b, 0));
    EXPECT_EQ(st1, 0);
    EXPECT_EQ(st2, 0);
    EXPECT_EQ(buf1[0], 3);
    EXPECT_EQ(buf1[3], 0x4444);
    EXPECT_EQ(buf1[4], 0);  // a shorter reply leaves the rest as it was
    EXPECT_EQ(buf2[4], 0x4444);
    EXPECT_EQ(set.HeldCount(), 0);

    // Too long for the box: the waiter wakes without data.
    uint16_t st = 0x5555;
    uint16_t buf[8] {};
    Mailbox* c = set.Allocate(&st, buf, 4, 0);
    auto big = Frame(c->seq, 5);
    EXPECT_TRUE(set.Deliver(big.data()));
    EXPECT_TRUE(set.AwaitAndRelease(c, 0));
    EXPECT_EQ(st, 0);
    EXPECT_EQ(buf[0], 0);
}

TEST(MailboxSet, LateAndStrayRepliesAreDropped)
{
    MailboxSet set;
    uint16_t st = 0;
    uint16_t buf[8] {};
    Mailbox* a = set.Allocate(&st, buf, 4, 0);
    const uint16_t seq = a->seq;
    EXPECT_FALSE(set.AwaitAndRelease(a, 5));  // timed out
    auto late = Frame(seq, 4);
    EXPECT_FALSE(set.Deliver(late.data()));
    EXPECT_EQ(buf[0], 0);
    // Reuse of the same box: no stale signal, the new waiter really waits.
    Mailbox* b = set.Allocate(&st, buf, 4, 0);
    EXPECT_EQ(b, a);
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(set.AwaitAndRelease(b, 30));
    EXPECT_GE(std::chrono::steady_clock::now() - t0, 25ms);
    // Frames without a sequence word, or with 0, match no free box.
    auto empty = Frame(0, 0);
    EXPECT_FALSE(set.Deliver(empty.data()));
    auto zero = Frame(0, 4);
    EXPECT_FALSE(set.Deliver(zero.data()));
    EXPECT_FALSE(set.Deliver(nullptr));
}

TEST(MailboxSet, SixteenInFlightThenWaitForAFreeBox)
{
    MailboxSet set;
    uint16_t st[17] {};
    uint16_t buf[17][8] {};
    std::vector<Mailbox*> held;
    for (int i = 0; i < 16; ++i) {
        held.push_back(set.Allocate(&st[i], buf[i], 4, 0));
        ASSERT_NE(held.back(), nullptr);
    }
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(set.Allocate(&st[16], buf[16], 4, 20), nullptr);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, 15ms);
    std::thread releaser([&] {
        std::this_thread::sleep_for(20ms);
        set.AwaitAndRelease(held[5], 0);
    });
    Mailbox* m = set.Allocate(&st[16], buf[16], 4, 2000);
    releaser.join();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m, held[5]);
    // Numbers in use are never handed out twice, even after the counter wraps.
    set.SetCounter(static_cast<uint16_t>(held[0]->seq - 1));
    set.AwaitAndRelease(held[1], 0);
    Mailbox* n = set.Allocate(&st[1], buf[1], 4, 0);
    ASSERT_NE(n, nullptr);
    for (int i = 0; i < 16; ++i) {
        if (i != 1 && i != 5) {
            EXPECT_NE(held[i]->seq, n->seq);
        }
    }
}

TEST(MailboxSet, WaiterWakesOnDeliveryFromAnotherThreadAndOnTearDown)
{
    MailboxSet set;
    uint16_t st = 0x5555;
    uint16_t buf[8] {};
    Mailbox* a = set.Allocate(&st, buf, 4, 0);
    const uint16_t seq = a->seq;
    std::thread rx([&] {
        auto f = Frame(seq, 4);
        set.Deliver(f.data());
    });
    EXPECT_TRUE(set.AwaitAndRelease(a, 2000));
    rx.join();
    EXPECT_EQ(st, 0);
    EXPECT_EQ(buf[1], seq);

    uint16_t st2 = 0;
    Mailbox* b = set.Allocate(&st2, buf, 4, 0);
    std::thread down([&] { set.TearDown(); });
    EXPECT_TRUE(set.AwaitAndRelease(b, 2000));
    down.join();
    EXPECT_EQ(st2, kMailboxFailure);
    EXPECT_EQ(set.Allocate(&st2, buf, 4, 100), nullptr);
}

TEST(RCalSlot, NewestValueWinsWithOverrun)
{
    RCalSlot slot;
    int v = -1;
    char over = 5;
    EXPECT_EQ(slot.Fetch(&v, &over, 10), 0);
    EXPECT_EQ(v, -1);
    slot.Post(0x14);
    EXPECT_EQ(slot.Fetch(&v, &over, 10), 1);
    EXPECT_EQ(v, 0x14);
    EXPECT_EQ(over, 0);
    slot.Post(1);
    slot.Post(0xFFFF);
    EXPECT_EQ(slot.Fetch(&v, &over, 10), 1);
    EXPECT_EQ(v, 0xFFFF);
    EXPECT_EQ(over, 1);
    EXPECT_EQ(slot.Fetch(&v, &over, 10), 0);
    slot.Post(3);
    EXPECT_EQ(slot.Fetch(nullptr, nullptr, 10), 1);  // consumed even without outputs
    EXPECT_EQ(slot.Fetch(&v, &over, 10), 0);
    std::thread poster([&] {
        std::this_thread::sleep_for(10ms);
        slot.Post(77);
    });
    EXPECT_EQ(slot.Fetch(&v, &over, 2000), 1);
    poster.join();
    EXPECT_EQ(v, 77);
    EXPECT_EQ(over, 0);
}
