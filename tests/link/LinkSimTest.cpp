// The simulator channel through the real library: queues in the shared region "envsim",
// another process answering as a drive, killed peers and abandoned locks.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "ChildProcess.h"
#include "comm700.h"
#include "tools700/platform/EnvSim.h"
#include "tools700/platform/LineClaim.h"

using namespace std::chrono_literals;

namespace {

// A helper process (link_test_drive), optionally in another namespace.
struct Helper : linktest::ChildProcess {
    explicit Helper(std::vector<std::string> args, const char* ns = nullptr)
        : ChildProcess(LINK_TEST_DRIVE, std::move(args), ns)
    {
    }
};

struct LinkSim : ::testing::Test {
    void SetUp() override { ASSERT_EQ(UseSerialPort(0), 0); }
};

std::chrono::milliseconds Since(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0);
}

int AttachCount()
{
    tools700::platform::EnvSim sim;
    return sim.Open() ? sim.AttachCount() : -1;
}

}  // namespace

TEST_F(LinkSim, QueueHoldsOneHundredTwentyEightBytesInOrder)
{
    // Host-to-drive queue: HostPutChar here, SrlGetChar here too (no receive thread reads it).
    EXPECT_EQ(SrlGetChar(), -1);
    EXPECT_EQ(HostPutChar(0x1FF), 0xFF);  // only the byte goes in
    EXPECT_EQ(SrlGetChar(), 0xFF);
    EXPECT_EQ(SrlGetChar(), -1);
    for (int round = 0; round < 3; ++round) {  // wraps the indexes past 127
        for (int i = 0; i < 128; ++i)
            ASSERT_EQ(HostPutChar(i + round), (i + round) & 0xFF);
        EXPECT_EQ(HostPutChar(7), -1);  // full: dropped
        EXPECT_EQ(SrlGetChar(), round);
        EXPECT_EQ(HostPutChar(200), 200);  // one place free again
        for (int i = 1; i < 128; ++i)
            ASSERT_EQ(SrlGetChar(), (i + round) & 0xFF);
        EXPECT_EQ(SrlGetChar(), 200);
        EXPECT_EQ(SrlGetChar(), -1);
        for (int i = 0; i < 50; ++i)
            HostPutChar(1);
        for (int i = 0; i < 50; ++i)
            SrlGetChar();
    }
}

TEST_F(LinkSim, NoSimulatorMeansNoResponse)
{
    double v = 3;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(GetVar700("VelCmd", &v), NO_RESPONSE);
    EXPECT_GE(Since(t0), 450ms);
    EXPECT_LT(Since(t0), 1500ms);
    EXPECT_EQ(v, 3);
    while (SrlGetChar() >= 0) {
    }
    EXPECT_EQ(LaunchSimulator("/nonexistent/drivesim"), 1);
    EXPECT_EQ(LaunchSimulator(nullptr), 1);
    EXPECT_EQ(LaunchSimulator(""), 1);
    EXPECT_EQ(ShootSimulator(), 0);
}

TEST_F(LinkSim, LaunchedSimulatorAnswersEveryKind)
{
    ASSERT_EQ(LaunchSimulator(LINK_TEST_DRIVE), 0);
    double v = 0;
    auto t0 = std::chrono::steady_clock::now();
    int st = NO_RESPONSE;
    while (st != COMM_OK && Since(t0) < 5000ms)
        st = GetVar700("Model", &v);  // the first calls may come before it is up
    ASSERT_EQ(st, COMM_OK);
    EXPECT_EQ(v, 743);
    EXPECT_GE(AttachCount(), 2);
    EXPECT_EQ(ExeCmd700("NVSave"), COMM_OK);
    // A PutVars request is longer than the queue: the simulator must read while we write.
    std::vector<std::string> names;
    std::vector<const char*> ptrs;
    std::vector<double> values;
    for (int i = 0; i < 32; ++i) {
        names.push_back("Move" + std::to_string(i % 8) + (i < 8 ? "Type" : i < 16 ? "Dwell" : i < 24 ? "RunSpeed" : "AccelRate"));
        values.push_back(i * 1.5);
    }
    for (auto& n : names)
        ptrs.push_back(n.c_str());
    int result = 0;
    ASSERT_EQ(PutVars700(ptrs.data(), values.data(), &result), COMM_OK);
    EXPECT_EQ(result, 32);
    std::vector<double> back(32, 0);
    int mask = 0;
    ASSERT_EQ(GetVars700(ptrs.data(), back.data(), &mask), COMM_OK);
    EXPECT_EQ(static_cast<uint32_t>(mask), 0xFFFFFFFFu);
    EXPECT_EQ(back[3], 4);        // integer: 4.5 truncated
    EXPECT_DOUBLE_EQ(back[20], 30.0);
    double ch1[100], ch2[100];
    uint16_t n = 0;
    ASSERT_EQ(ReadScopeData700(1, 0, 100, 0, 0, 1, 2, ch1, ch2, &n), COMM_OK);
    EXPECT_EQ(n, 100);
    EXPECT_DOUBLE_EQ(ch1[99], 99.0);

    // Three threads at once.
    std::atomic<int> bad {0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 20; ++i) {
                double x = 0;
                const char* name = t == 0 ? "Model" : t == 1 ? "VelCmd" : "AxisAddr";
                const double want = t == 0 ? 743 : t == 1 ? 19.25 : 1042;
                if (GetVar700(name, &x) != COMM_OK || x != want)
                    ++bad;
            }
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(bad, 0);

    EXPECT_EQ(ShootSimulator(), 0);
    EXPECT_EQ(ShootSimulator(), 0);  // again: nothing left to end
    EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE);
    while (SrlGetChar() >= 0) {
    }
}

TEST_F(LinkSim, AKilledPeerLeavesTheChannelUsable)
{
    const int base = AttachCount();
    {
        Helper first({"drive"});
        ASSERT_EQ(first.ReadLine(), "ready");
        EXPECT_EQ(AttachCount(), base + 1);
        double v = 0;
        ASSERT_EQ(GetVar700("Model", &v), COMM_OK);
        first.Kill(SIGKILL);
        EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE);
    }
    Helper second({"drive"});
    ASSERT_EQ(second.ReadLine(), "ready");
    EXPECT_EQ(AttachCount(), base + 1);  // the killed one no longer counts
    double v = 0;
    EXPECT_EQ(GetVar700("Model", &v), COMM_OK);
    EXPECT_EQ(v, 743);
}

TEST_F(LinkSim, PortLockOfAKilledProcessIsRecovered)
{
    Helper drive({"drive"});
    ASSERT_EQ(drive.ReadLine(), "ready");
    Helper holder({"hold-lock", "730CommMutexHandle_0"});
    ASSERT_EQ(holder.ReadLine(), "ready");
    std::thread killer([&] {
        std::this_thread::sleep_for(200ms);
        holder.Kill(SIGKILL);
    });
    double v = 0;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(GetVar700("Model", &v), COMM_OK);  // waits for the holder, then recovers its lock
    EXPECT_GE(Since(t0), 150ms);
    EXPECT_LT(Since(t0), 5000ms);
    killer.join();
    // The library lock too.
    Helper libHolder({"hold-lock", "730CommMutexHandle"});
    ASSERT_EQ(libHolder.ReadLine(), "ready");
    libHolder.Kill(SIGKILL);
    EXPECT_EQ(UseSerialPort(0), 0);
    EXPECT_EQ(GetVar700("Model", &v), COMM_OK);
}

TEST_F(LinkSim, RegionLeftByKilledProcessesIsResetForTheNextStart)
{
    // In a namespace of its own, where no other process is attached.
    const std::string ns = std::string(std::getenv("COMM700_NAMESPACE") ? std::getenv("COMM700_NAMESPACE") : "t") + "-fresh";
    {
        Helper a({"fill-queues"}, ns.c_str());
        ASSERT_EQ(a.ReadLine(), "ready");
        Helper b({"fill-queues"}, ns.c_str());
        ASSERT_EQ(b.ReadLine(), "ready");
        Helper look({"report"}, ns.c_str());
        EXPECT_EQ(look.ReadLine(), "3 0 0");  // the two, and the looker itself
        a.Kill(SIGKILL);
        b.Kill(SIGKILL);
    }
    Helper look({"report"}, ns.c_str());
    EXPECT_EQ(look.ReadLine(), "1 1 1");  // only itself, and both queues empty again
}

TEST_F(LinkSim, ByteFunctionsMeetAcrossProcesses)
{
    // Two processes of their own namespace, neither with a receive thread: HostPutChar in one
    // reaches SrlGetChar in the other, and SrlPutChar there reaches HostGetChar here.
    const std::string ns = std::string(std::getenv("COMM700_NAMESPACE") ? std::getenv("COMM700_NAMESPACE") : "t") + "-bytes";
    Helper echo({"echo"}, ns.c_str());
    ASSERT_EQ(echo.ReadLine(), "ready");
    Helper host({"host-bytes"}, ns.c_str());
    EXPECT_EQ(host.ReadLine(), "66");
}

TEST_F(LinkSim, AFullQueueDropsBytesButNothingBreaks)
{
    for (int i = 0; i < 128; ++i)
        ASSERT_GE(HostPutChar(0x99), 0);
    EXPECT_EQ(HostPutChar(0x99), -1);
    const char* names[] = {"Model", nullptr};
    double values[1] = {5};
    int result = 7;
    EXPECT_EQ(PutVars700(names, values, &result), NO_RESPONSE);  // its request found no room
    EXPECT_EQ(result, 0);
    int drained = 0;
    while (SrlGetChar() >= 0)
        ++drained;
    EXPECT_EQ(drained, 128);
    for (int i = 0; i < 300; ++i)  // garbage towards the host: the receive thread eats it
        SrlPutChar(i & 0xFF);
}

TEST_F(LinkSim, OneHostProcessAtATime)
{
    Helper drive({"drive"});
    ASSERT_EQ(drive.ReadLine(), "ready");
    ASSERT_EQ(UseSerialPort(-1), 0);  // this process lets the channel go
    Helper first({"host", "0", "500"});
    ASSERT_EQ(first.ReadLine(), "ready 0");  // on the simulator channel (no serial port)
    // A second host would read the first one's replies out of the one queue: refused at once.
    ASSERT_EQ(UseSerialPort(0), 0);
    double v = -1;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(GetVar700("Model", &v), NO_PORT);
    EXPECT_EQ(GetVar700("AxisAddr", &v), NO_PORT);
    EXPECT_LT(Since(t0), 450ms);  // not a reply time-out
    EXPECT_EQ(v, -1);
    EXPECT_EQ(HostGetChar(), -1);
    const std::string text = tools700::platform::LineInUseText(0);
    EXPECT_EQ(text, "The simulator channel is in use by another program (process " + std::to_string(first.pid()) + ")");
    EXPECT_EQ(first.ReadLine(), "reads 1000 0 0");
    first.Kill(SIGKILL);
    // The claim died with its owner: this process is the host now, without starting again.
    ASSERT_EQ(GetVar700("Model", &v), COMM_OK);
    EXPECT_EQ(v, 743);
    EXPECT_EQ(tools700::platform::LineInUseText(0), "");
}

TEST_F(LinkSim, APeerStoppedWhileHoldingTheQueueLockBlocksNobody)
{
    {
        Helper holder({"hold-lock", "EnvSim Queue Lock"});
        ASSERT_EQ(holder.ReadLine(), "ready");
        kill(holder.pid(), SIGSTOP);
        // Every queue operation gives up after a bounded wait instead of hanging.
        EXPECT_EQ(HostPutChar(0x41), -1);
        double v = 0;
        EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE);
        // Changing the channel stops the receive thread, which may sit in such a wait: the
        // next receive thread must still start.
        EXPECT_EQ(UseSerialPort(0), 0);
        holder.Kill(SIGKILL);
    }
    Helper drive({"drive"});
    ASSERT_EQ(drive.ReadLine(), "ready");
    double v = 0;
    int st = -1;
    auto t0 = std::chrono::steady_clock::now();
    while ((st = GetVar700("Model", &v)) != COMM_OK && Since(t0) < 5000ms) {
    }
    EXPECT_EQ(st, COMM_OK);
    EXPECT_EQ(v, 743);
}
