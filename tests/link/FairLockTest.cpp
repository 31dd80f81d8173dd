// The in-process lock that serves its waiters in the order they asked (the port's turns and the
// program's line).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "tools700/platform/FairLock.h"

using tools700::platform::FairLock;
using namespace std::chrono_literals;

namespace {

void WaitForWaiters(const FairLock &lock, int n)
{
    while (lock.Waiting() < n)
        std::this_thread::sleep_for(1ms);
}

} // namespace

TEST(FairLock, WaitersGetTheLockInTheOrderTheyAsked)
{
    FairLock lock;
    ASSERT_EQ(lock.Lock(0), FairLock::Result::Acquired);
    std::mutex orderMutex;
    std::vector<int> order;
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&, i] {
            ASSERT_EQ(lock.Lock(10000), FairLock::Result::Acquired);
            {
                const std::lock_guard<std::mutex> g(orderMutex);
                order.push_back(i);
            }
            EXPECT_TRUE(lock.Unlock());
        });
        WaitForWaiters(lock, i + 1);
    }
    EXPECT_TRUE(lock.Unlock());
    for (auto &t : threads)
        t.join();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
}

TEST(FairLock, AThreadThatReleasesAndAsksAgainQueuesBehindTheWaiters)
{
    FairLock lock;
    ASSERT_EQ(lock.Lock(0), FairLock::Result::Acquired);
    std::atomic<bool> waiterHadIt{false};
    std::thread waiter([&] {
        ASSERT_EQ(lock.Lock(10000), FairLock::Result::Acquired);
        std::this_thread::sleep_for(20ms);
        waiterHadIt = true;
        lock.Unlock();
    });
    WaitForWaiters(lock, 1);
    EXPECT_TRUE(lock.Unlock());
    ASSERT_EQ(lock.Lock(10000), FairLock::Result::Acquired);
    EXPECT_TRUE(waiterHadIt);
    lock.Unlock();
    waiter.join();
}

TEST(FairLock, RecursiveForItsHolderTimedAndGivenUpForOthers)
{
    FairLock lock;
    ASSERT_EQ(lock.Lock(0), FairLock::Result::Acquired);
    ASSERT_EQ(lock.Lock(0), FairLock::Result::Acquired);
    EXPECT_TRUE(lock.HeldByThisThread());
    std::thread other([&] {
        EXPECT_FALSE(lock.Unlock()); // not its lock
        EXPECT_FALSE(lock.HeldByThisThread());
        EXPECT_EQ(lock.Lock(0), FairLock::Result::TimedOut);
        EXPECT_EQ(lock.Lock(30), FairLock::Result::TimedOut);
    });
    other.join();
    EXPECT_EQ(lock.Waiting(), 0); // a waiter that timed out left the queue

    std::atomic<bool> stop{false};
    std::thread givingUp([&] { EXPECT_EQ(lock.Lock(-1, [&] { return stop.load(); }), FairLock::Result::GaveUp); });
    WaitForWaiters(lock, 1);
    stop = true;
    lock.Wake();
    givingUp.join();
    EXPECT_EQ(lock.Waiting(), 0);

    EXPECT_TRUE(lock.Unlock());
    EXPECT_TRUE(lock.HeldByThisThread()); // one level left
    EXPECT_TRUE(lock.Unlock());
    EXPECT_FALSE(lock.Unlock());
    std::thread after([&] {
        EXPECT_EQ(lock.Lock(0), FairLock::Result::Acquired);
        lock.Unlock();
    });
    after.join();
}
