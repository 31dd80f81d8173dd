// The scope's data thread against a scripted link and against drivesim: the hand-off of each
// frame to the drawing thread, free running, single sweeps, failed fetches, the ending of the
// thread while a frame waits, and the arguments of ReadScopeData700 as the drive sees them.
#include "ScriptedScopeLink.h"
#include "SimProcess.h"
#include "tools700/scope/DataPump.h"
#include "tools700/scope/TScope.h"

#include "../support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

using namespace tools700::scope;
using testutil::ScopeReply;

namespace {

constexpr int kWaitMs = 10000;

class DataPumpTest : public ::testing::Test {
protected:
    std::string Dir() const { return dir.Path().string() + "/"; }

    // Serves frames on this thread until `done` holds; false after kWaitMs without it.
    bool ServeUntil(DataPump &pump, const std::function<bool()> &done)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            pump.WaitAndServe(20);
        }
        return true;
    }

    testsupport::TempDir dir;
    PointChart chart;
};

TEST_F(DataPumpTest, FreeRunningFramesAreDrawnOneByOneAndEmptyOnesNotAtAll)
{
    testutil::ScriptedScopeLink link(ScopeReply{0, 100, 7});
    link.Queue({0, 0, 0});
    link.Queue({0, 0, 0});
    TScope scope(chart, nullptr, Dir());
    DataPump pump(scope, nullptr, link.Reader());
    pump.Resume();
    pump.Start();
    EXPECT_TRUE(ServeUntil(pump, [&] { return pump.Fetches() >= 2; }));
    EXPECT_EQ(chart.Redraws(), 0);
    EXPECT_TRUE(scope.History().empty());
    ASSERT_TRUE(ServeUntil(pump, [&] { return chart.Redraws() >= 3; }));
    pump.Stop();
    // The pump waited for each frame to be drawn: every fetch after the empty ones was drawn
    // before the next one, so none is lost (one more may be waiting to be served).
    pump.WaitAndServe(0);
    EXPECT_EQ(pump.Fetches(), static_cast<std::uint64_t>(chart.Redraws()) + 2);
    EXPECT_FLOAT_EQ(chart.GetYData(0, 0), 7.0f);
    EXPECT_FLOAT_EQ(chart.GetYData(1, 99), -7.0f);
    EXPECT_TRUE(pump.ReadOk());
}

TEST_F(DataPumpTest, ASingleSweepDrawsShortFramesAndEndsWithTheFirstFullOne)
{
    testutil::ScriptedScopeLink link(ScopeReply{0, 100, 9});
    TScope scope(chart, nullptr, Dir());
    DataPump pump(scope, nullptr, link.Reader());
    pump.SetSingleSweep(true);
    EXPECT_TRUE(pump.SweepDone());
    pump.Resume();
    pump.Start();
    // Waiting: nothing is fetched.
    EXPECT_FALSE(pump.WaitAndServe(300));
    EXPECT_EQ(link.Fetches(), 0);

    link.Queue({0, 0, 0}); // the arm request's reply, not drawn
    link.Queue({0, 30, 1});
    link.Queue({0, 60, 2});
    link.Queue({0, 100, 3});
    pump.Arm();
    ASSERT_TRUE(ServeUntil(pump, [&] { return pump.State() == SweepState::Waiting; }));
    EXPECT_TRUE(pump.SweepDone());
    EXPECT_EQ(chart.Redraws(), 3);
    EXPECT_EQ(scope.History().size(), 190u);
    EXPECT_FLOAT_EQ(chart.GetYData(0, 99), 3.0f);
    // Waiting again: no more fetches.
    EXPECT_FALSE(pump.WaitAndServe(300));
    const std::vector<testutil::ScopeCall> calls = link.Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].kind, kArmRequest);
    for (std::size_t i = 1; i < calls.size(); ++i)
        EXPECT_EQ(calls[i].kind, kFetchRequest);
    // Arm acts only while Waiting.
    pump.Stop();
    pump.SetSingleSweep(false);
    pump.Arm();
    EXPECT_EQ(link.Calls().size(), 4u);
}

TEST_F(DataPumpTest, NoFetchGoesOutBeforeTheArmRequestHasBeenAnswered)
{
    testutil::ScriptedScopeLink link(ScopeReply{0, 100, 1});
    TScope scope(chart, nullptr, Dir());
    DataPump pump(scope, nullptr, link.Reader());
    pump.SetSingleSweep(true);
    pump.Resume();
    pump.Start();
    std::atomic<int> fetchesDuringArm{-1};
    link.DuringArm([&] {
        // The line time of the arm request: the pump must not fetch meanwhile.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        fetchesDuringArm = link.Fetches();
    });
    pump.Arm();
    EXPECT_EQ(fetchesDuringArm.load(), 0);
    EXPECT_EQ(pump.State(), SweepState::Acquiring);
    ASSERT_TRUE(ServeUntil(pump, [&] { return pump.State() == SweepState::Waiting; }));
}

TEST_F(DataPumpTest, AnArmRequestedByTheWindowIsMadeOnThePumpsThread)
{
    testutil::ScriptedScopeLink link(ScopeReply{0, 100, 4});
    TScope scope(chart, nullptr, Dir());
    DataPump pump(scope, nullptr, link.Reader());
    pump.SetSingleSweep(true);
    pump.Resume();
    pump.Start();
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<bool> onCaller{true};
    std::atomic<int> fetchesDuringArm{-1};
    link.DuringArm([&] {
        onCaller = std::this_thread::get_id() == caller;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        fetchesDuringArm = link.Fetches();
    });
    pump.RequestArm();
    // The sweep counts as not done from the request on, and the caller never waits for the drive.
    EXPECT_FALSE(pump.SweepDone());
    ASSERT_TRUE(ServeUntil(pump, [&] { return pump.State() == SweepState::Waiting && pump.SweepDone(); }));
    EXPECT_FALSE(onCaller.load());
    EXPECT_EQ(fetchesDuringArm.load(), 0) << "no fetch before the arm request has been answered";
    const std::vector<testutil::ScopeCall> calls = link.Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0].kind, kArmRequest);
    // Only while Waiting.
    pump.SetSingleSweep(false);
    pump.RequestArm();
    EXPECT_EQ(pump.State(), SweepState::Continuous);
}

TEST_F(DataPumpTest, SingleSweepTurnedOffDuringTheLastFetchKeepsTheScopeRunning)
{
    testutil::ScriptedScopeLink link(ScopeReply{0, 100, 1});
    TScope scope(chart, nullptr, Dir());
    DataPump pump(scope, nullptr, link.Reader());
    pump.SetSingleSweep(true);
    pump.Resume();
    pump.Start();
    std::atomic<bool> once{false};
    link.DuringFetch([&] {
        if (!once.exchange(true))
            pump.SetSingleSweep(false);
    });
    pump.Arm();
    ASSERT_TRUE(ServeUntil(pump, [&] { return chart.Redraws() >= 3; }));
    EXPECT_EQ(pump.State(), SweepState::Continuous);
}

TEST_F(DataPumpTest, AFailedFetchClearsReadOkUntilTheNextOneSucceeds)
{
    testutil::ScriptedScopeLink link(ScopeReply{0, 100, 1});
    link.Queue({4, 0, 0});
    link.Queue({4, 0, 0});
    TScope scope(chart, nullptr, Dir());
    std::atomic<bool> sawFailure{false};
    DataPump *p = nullptr;
    link.DuringFetch([&] {
        if (p && !p->ReadOk())
            sawFailure = true;
    });
    DataPump pump(scope, nullptr, link.Reader());
    p = &pump;
    pump.Resume();
    pump.Start();
    ASSERT_TRUE(ServeUntil(pump, [&] { return chart.Redraws() >= 1; }));
    EXPECT_TRUE(sawFailure.load());
    EXPECT_EQ(pump.FailedFetches(), 2u);
    EXPECT_TRUE(pump.ReadOk());
    // A failed arm request clears it too and leaves the sweep acquiring.
    pump.SetSingleSweep(true);
    ASSERT_TRUE(ServeUntil(pump, [&] { return pump.State() == SweepState::Waiting; }));
    link.Queue({4, 0, 0});
    link.DuringFetch(nullptr);
    link.DuringArm([] {});
    pump.Stop();
    pump.WaitAndServe(0);
    pump.Arm();
    EXPECT_FALSE(pump.ReadOk());
    EXPECT_EQ(pump.State(), SweepState::Acquiring);
}

TEST_F(DataPumpTest, EndsWhileAFrameWaitsToBeDrawn)
{
    testutil::ScriptedScopeLink link(ScopeReply{0, 100, 1});
    TScope scope(chart, nullptr, Dir());
    std::atomic<int> notified{0};
    {
        DataPump pump(scope, [&] { ++notified; }, link.Reader());
        pump.Resume();
        pump.Start();
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
        while (notified == 0 && std::chrono::steady_clock::now() < end)
            std::this_thread::yield();
        ASSERT_EQ(notified.load(), 1);
        // Destroyed without serving the frame: the thread is told to end and joined.
    }
    EXPECT_EQ(chart.Redraws(), 0);
    EXPECT_EQ(notified.load(), 1);
}

TEST_F(DataPumpTest, AStoppedPumpFetchesNothingAndStartsAtOnce)
{
    testutil::ScriptedScopeLink link(ScopeReply{0, 100, 1});
    TScope scope(chart, nullptr, Dir());
    DataPump pump(scope, nullptr, link.Reader());
    pump.Resume();
    EXPECT_FALSE(pump.WaitAndServe(300));
    EXPECT_EQ(link.Fetches(), 0);
    const auto started = std::chrono::steady_clock::now();
    pump.Start();
    ASSERT_TRUE(ServeUntil(pump, [&] { return chart.Redraws() >= 1; }));
    (void)started;
}

// The scope against the drive simulator on the link's simulator channel.
class DataPumpSimTest : public DataPumpTest {
protected:
    std::unique_ptr<testutil::SimProcess> sim =
        testutil::StartTraced({"--model", "733"}, dir.File("trace.txt"));

    std::vector<testutil::TraceLine> ScopeRequests() const
    {
        std::vector<testutil::TraceLine> out;
        for (const testutil::TraceLine &t : sim->Trace())
            if (t.command == "READ_SCOPE")
                out.push_back(t);
        return out;
    }
};

TEST_F(DataPumpSimTest, TheDriveSeesTimebaseTriggerLevelAndBothSignals)
{
    TScope scope(chart, nullptr, Dir());
    scope.SetSource(1, "Velocity Feedback");
    scope.SetSource(2, "Current Command");
    scope.SetTimebase(5);
    scope.SetTriggerSource(kCh1Rising);
    scope.SetTriggerLevel(2.5);
    DataPump pump(scope, nullptr);
    pump.Resume();
    pump.Start();
    ASSERT_TRUE(ServeUntil(pump, [&] { return chart.Redraws() >= 2; }));
    pump.Stop();
    pump.WaitAndServe(0);
    EXPECT_TRUE(pump.ReadOk());
    const auto requests = ScopeRequests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[0].name, "fetch");
    EXPECT_EQ(requests[0].value, "tb=5,trigger=1,level=2.5,ch1=1,ch2=8,count=100");
    // The frame starts at the first sample at or above the level after one below it.
    EXPECT_GE(chart.GetYData(0, 0), 2.5f);
    EXPECT_FLOAT_EQ(chart.GetXData(0, 99), 0.495f);
    EXPECT_DOUBLE_EQ(chart.ManualMaxX(), 0.5);
}

TEST_F(DataPumpSimTest, ASingleSweepIsArmedAndFilledInTheDrivesTime)
{
    TScope scope(chart, nullptr, Dir());
    scope.SetSource(1, "Velocity Feedback");
    scope.SetSource(2, "VBus");
    scope.SetTimebase(2);
    DataPump pump(scope, nullptr);
    pump.SetSingleSweep(true);
    pump.Resume();
    pump.Start();
    pump.Arm();
    EXPECT_TRUE(pump.ReadOk());
    ASSERT_TRUE(ServeUntil(pump, [&] { return pump.State() == SweepState::Waiting; }));
    const auto requests = ScopeRequests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[0].name, "arm");
    EXPECT_EQ(requests[0].value.rfind("tb=2,trigger=0,level=0,ch1=1,ch2=22", 0), 0u);
    EXPECT_EQ(requests.back().value, "tb=2,trigger=0,level=0,ch1=1,ch2=22,count=100");
    // 200 ms of samples take longer than a fetch: the sweep came in short frames first.
    ASSERT_GT(requests.size(), 2u);
    const std::string &lastButOne = requests[requests.size() - 2].value;
    EXPECT_EQ(lastButOne.find(",count=100"), std::string::npos) << lastButOne;
    EXPECT_GT(scope.History().size(), 100u);
}

TEST_F(DataPumpSimTest, ASilentDriveClearsReadOkAndTheScopeRecoversAfterIt)
{
    TScope scope(chart, nullptr, Dir());
    DataPump pump(scope, nullptr);
    pump.Resume();
    pump.Start();
    ASSERT_TRUE(ServeUntil(pump, [&] { return chart.Redraws() >= 1; }));
    sim->Stop();
    ASSERT_TRUE(ServeUntil(pump, [&] { return !pump.ReadOk(); }));
    sim = testutil::StartTraced({"--model", "733"}, dir.File("trace.txt"));
    const int before = chart.Redraws();
    ASSERT_TRUE(ServeUntil(pump, [&] { return pump.ReadOk() && chart.Redraws() > before; }));
}

} // namespace
