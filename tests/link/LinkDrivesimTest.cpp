// The library against the real drive simulator program (build/bin/drivesim) in another
// process: on the simulator channel and on a pseudo-terminal it creates.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "../support/DrivesimProcess.h"
#include "comm700.h"

using namespace std::chrono_literals;
using Drivesim = testsupport::DrivesimProcess;

TEST(LinkDrivesim, SimulatorChannelAnswersEveryKindAndThreeThreads)
{
    Drivesim sim({"--model", "743", "--axes", "1,2", "--refuse", "Kvp=66"});
    ASSERT_EQ(sim.ReadyLine(), "simulator channel");
    ASSERT_EQ(UseSerialPort(0), 0);
    ASSERT_EQ(SetAxis700(1), COMM_OK);
    double v = 0;
    ASSERT_EQ(GetVar700("Model", &v), COMM_OK);
    EXPECT_EQ(v, 743);
    EXPECT_EQ(PutVar700("Kvp", 1.0), BOUNDS_ERROR);
    EXPECT_EQ(ExeCmd700("NVSave"), COMM_OK);
    const char* names[] = {"Model", "VelCmd", "FaultCode", nullptr};
    double values[3] = {};
    int mask = 0;
    ASSERT_EQ(GetVars700(names, values, &mask), COMM_OK);
    EXPECT_EQ(mask & 0x7, 0x7);
    EXPECT_EQ(values[0], 743);
    double ch1[100], ch2[100];
    uint16_t n = 0;
    ASSERT_EQ(ReadScopeData700(0, 0, 1, 0, 0, 1, 2, ch1, ch2, &n), COMM_OK);  // a fetch
    EXPECT_EQ(n, 100);
    EXPECT_EQ(ReadScopeData700(0, 0, 0, 0, 0, 1, 2, ch1, ch2, &n), BOUNDS_ERROR);  // timebase 0
    uint16_t st = 0;
    const int upcr = GetUPCRstatus(&st);  // answered, whether or not this drive takes firmware
    EXPECT_TRUE(upcr == COMM_OK || upcr == NOT_IMPLEMENTED) << upcr;

    std::atomic<int> bad {0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20; ++i) {
                double x = 0;
                if (GetVar700("Model", &x) != COMM_OK || x != 743)
                    ++bad;
            }
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(bad, 0);
    ASSERT_EQ(SetAxis700(9), COMM_OK);  // no drive there
    EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE);
    EXPECT_EQ(SetAxis700(255), COMM_OK);
}

// The extension after the 24 exports: what the receive path saw, which tells a garbled reply
// (two drives at one address) from silence although both end in NO_RESPONSE.
TEST(LinkDrivesim, LineStatisticsTellAGarbledReplyFromSilence)
{
    Drivesim sim({"--axes", "1:733,5:1735", "--conflict", "2"});
    ASSERT_EQ(sim.ReadyLine(), "simulator channel");
    ASSERT_EQ(UseSerialPort(0), 0);
    ASSERT_EQ(GetLineStats700(nullptr, 0), LINE_STAT_COUNT);
    auto stats = [] {
        std::vector<uint64_t> s(LINE_STAT_COUNT);
        EXPECT_EQ(GetLineStats700(s.data(), LINE_STAT_COUNT), LINE_STAT_COUNT);
        return s;
    };
    double v = 0;
    ASSERT_EQ(SetAxis700(5), COMM_OK);
    auto before = stats();
    ASSERT_EQ(GetVar700("Model", &v), COMM_OK);
    EXPECT_EQ(v, 1735);
    auto after = stats();
    EXPECT_EQ(after[LINE_FRAMES_SENT] - before[LINE_FRAMES_SENT], 1u);
    EXPECT_GE(after[LINE_BYTES_SENT] - before[LINE_BYTES_SENT], 12u);  // SOH, 4 words, CRC
    EXPECT_EQ(after[LINE_FRAMES_RECEIVED] - before[LINE_FRAMES_RECEIVED], 1u)
        << "counted before the caller wakes";
    EXPECT_EQ(after[LINE_FRAMES_DAMAGED], before[LINE_FRAMES_DAMAGED]);

    ASSERT_EQ(SetAxis700(9), COMM_OK);  // nobody
    before = stats();
    EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE);
    after = stats();
    EXPECT_EQ(after[LINE_BYTES_RECEIVED], before[LINE_BYTES_RECEIVED]) << "silence";

    ASSERT_EQ(SetAxis700(2), COMM_OK);  // two drives
    before = stats();
    EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE);
    after = stats();
    EXPECT_GT(after[LINE_BYTES_RECEIVED], before[LINE_BYTES_RECEIVED]);
    EXPECT_EQ(after[LINE_FRAMES_DAMAGED] - before[LINE_FRAMES_DAMAGED], 1u);
    EXPECT_EQ(after[LINE_FRAMES_RECEIVED], before[LINE_FRAMES_RECEIVED]);

    // The counters fill only as many places as asked.
    uint64_t one[2] = {0, 12345};
    EXPECT_EQ(GetLineStats700(one, 1), LINE_STAT_COUNT);
    EXPECT_EQ(one[1], 12345u);
    EXPECT_EQ(SetAxis700(255), COMM_OK);
}

TEST(LinkDrivesim, LaunchAndShootTheSimulator)
{
    ASSERT_EQ(UseSerialPort(0), 0);
    ASSERT_EQ(SetAxis700(1), COMM_OK);
    ASSERT_EQ(LaunchSimulator(DRIVESIM), 0);
    double v = 0;
    int st = NO_RESPONSE;
    auto t0 = std::chrono::steady_clock::now();
    while (st != COMM_OK && std::chrono::steady_clock::now() - t0 < 10s)
        st = GetVar700("Model", &v);
    EXPECT_EQ(st, COMM_OK);
    EXPECT_EQ(ShootSimulator(), 0);
    EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE);
    while (SrlGetChar() >= 0) {
    }
    EXPECT_EQ(SetAxis700(255), COMM_OK);
}

TEST(LinkDrivesim, PseudoTerminalOfTheSimulator)
{
    Drivesim sim({"--pty", "--axes", "3"});
    const std::string path = sim.ReadyLine();
    ASSERT_EQ(path.rfind("/dev/", 0), 0u) << path;
    setenv("COMM700_COM3", path.c_str(), 1);
    ASSERT_EQ(UseSerialPort(3), 1);
    ASSERT_EQ(SetAxis700(3), COMM_OK);
    double v = 0;
    EXPECT_EQ(GetVar700("Model", &v), COMM_OK);
    EXPECT_EQ(PutVar700("VelCmd", 12.5), COMM_OK);
    ASSERT_EQ(GetVar700("VelCmd", &v), COMM_OK);
    EXPECT_DOUBLE_EQ(v, 12.5);
    EXPECT_EQ(UseSerialPort(0), 0);
    unsetenv("COMM700_COM3");
    EXPECT_EQ(SetAxis700(255), COMM_OK);
}
