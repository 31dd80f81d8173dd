// The program's line: every exchange takes its turn, turns nest, a thread told to stop gets none,
// an axis borrowed with WithAxis is never seen by another thread's exchange, and a drive worker
// runs its jobs in order and drops what a window closed.
#include "SimSupport.h"
#include "comm700.h"
#include "tools700/common/DriveWorker.h"
#include "tools700/common/Line.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

using namespace tools700;
using namespace std::chrono_literals;

namespace {

void WaitForLineWaiters(int n)
{
    while (LineWaiters() < n)
        std::this_thread::sleep_for(1ms);
}

} // namespace

TEST(Line, TurnsNestAndAStoppedThreadGetsNone)
{
    const LineTurn outer;
    ASSERT_TRUE(outer);
    {
        const LineTurn inner;
        EXPECT_TRUE(inner);
    }
    std::atomic<bool> stop{false};
    auto waiting = std::async(std::launch::async, [&] {
        const LineStopWhen when([&] { return stop.load(); });
        double v = 0;
        return line::GetVar700("Model", &v);
    });
    WaitForLineWaiters(1);
    stop = true;
    WakeLineWaiters();
    EXPECT_EQ(waiting.get(), kNoTurn); // no exchange was made
    // A thread already stopped does not even queue.
    const LineStopWhen stopped([] { return true; });
    EXPECT_TRUE(LineStopRequested());
    EXPECT_FALSE(LineTurn());
    EXPECT_EQ(line::UseSerialPort(0), 0);
}

TEST(Line, CallsOnTheUserInterfaceThreadAreCounted)
{
    const long before = UiThreadLineCalls();
    SetUiThread(std::this_thread::get_id());
    double v = 0;
    line::GetVar700("NoSuchName", &v);
    SetUiThread({});
    line::GetVar700("NoSuchName", &v);
    EXPECT_EQ(UiThreadLineCalls(), before + 1);
    EXPECT_EQ(LastUiThreadLineCall(), "GetVar700");
}

TEST(Line, ABorrowedAxisIsNeverSeenByAnotherExchange)
{
    drivesim_test::TempDir dir;
    drivesim_test::SimProcess sim;
    ASSERT_EQ(line::UseSerialPort(0), 0);
    ASSERT_TRUE(sim.Start({"--axes", "1,2"}));
    ASSERT_EQ(line::SetAxis700(1), COMM_OK);
    EXPECT_EQ(SelectedAxis(), 1);
    double attached = 0;
    for (int i = 0; i < 20 && line::GetVar700("AxisAddr", &attached) != COMM_OK; ++i) {
    }
    std::atomic<bool> done{false};
    std::atomic<int> wrong{0}, reads{0};
    std::thread reader([&] {
        while (!done) {
            double axis = 0;
            if (line::GetVar700("AxisAddr", &axis) == COMM_OK) {
                ++reads;
                if (axis != 1)
                    ++wrong;
            }
        }
    });
    for (int i = 0; i < 20; ++i) {
        double axis = 0, model = 0;
        const int status = WithAxis(2, [&] {
            const int st = line::GetVar700("AxisAddr", &axis);
            return st != 0 ? st : line::GetVar700("Model", &model);
        });
        EXPECT_EQ(status, COMM_OK);
        EXPECT_EQ(axis, 2);
    }
    while (reads < 20)
        std::this_thread::sleep_for(1ms);
    done = true;
    reader.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(SelectedAxis(), 1);
    // The axis of a failed sequence is given back too.
    EXPECT_EQ(WithAxis(0, [] { return 0; }), INVALID_AXIS);
    double axis = 0;
    EXPECT_EQ(line::GetVar700("AxisAddr", &axis), COMM_OK);
    EXPECT_EQ(axis, 1);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(DriveWorker, RunsJobsInOrderAndACancelledJobEndsAtItsNextExchange)
{
    DriveWorker worker;
    std::vector<int> ran;
    std::promise<void> first;
    worker.Post([&] { ran.push_back(1); });
    worker.Post([&] {
        ran.push_back(2);
        first.set_value();
    });
    first.get_future().wait();
    while (worker.Busy())
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));

    // Another thread holds the line: the job waits for its turn; cancelling ends the wait, the
    // job's calls get no turn, and the job queued behind it never runs.
    std::promise<void> holding, release;
    std::thread holder([&] {
        const LineTurn turn;
        holding.set_value();
        release.get_future().wait();
    });
    holding.get_future().wait();
    std::atomic<int> status{-1}, afterCancel{-1};
    std::atomic<bool> cancelledSeen{false}, secondRan{false};
    const std::uint64_t ticket = worker.Post([&] {
        double v = 0;
        status = line::GetVar700("Model", &v);
        cancelledSeen = DriveWorker::CurrentJobCancelled();
        afterCancel = line::PutVar700("Kvp", 1);
    });
    worker.Post([&] { secondRan = true; });
    WaitForLineWaiters(1);
    worker.Cancel();
    EXPECT_TRUE(worker.Cancelled(ticket));
    while (worker.Busy())
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(status.load(), kNoTurn);
    EXPECT_EQ(afterCancel.load(), kNoTurn);
    EXPECT_TRUE(cancelledSeen);
    EXPECT_FALSE(secondRan);
    // Work posted afterwards runs again (a window opened again).
    std::promise<bool> again;
    worker.Post([&] { again.set_value(DriveWorker::CurrentJobCancelled()); });
    EXPECT_FALSE(again.get_future().get());

    // Ending the worker while its job waits for the line returns without waiting for the turn.
    worker.Post([] {
        double v = 0;
        line::GetVar700("Model", &v);
    });
    WaitForLineWaiters(1);
    worker.Stop();
    EXPECT_FALSE(worker.Busy());
    worker.Post([&] { secondRan = true; }); // a stopped worker takes no more jobs
    EXPECT_FALSE(secondRan);
    release.set_value();
    holder.join();
}
