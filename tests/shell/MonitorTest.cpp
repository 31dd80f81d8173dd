// The connection monitor: its status line, its hand-over to the user-interface thread, pausing,
// and ending at any moment without waiting for a user-interface thread that waits for it.
#include "QtTestSupport.h"

#include "tools700/common/Line.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/shell/ConnectionStatus.h"

#include <QThread>

#include <atomic>
#include <gtest/gtest.h>

using namespace tools700;
using qttest::DriveSim;

namespace {

TEST(StatusLineTest, TextsOfEachKindOfAnswer)
{
    const double ok[4] = {1.0, 2, 0, 0};
    EXPECT_EQ(StatusLine(0, ok, 0xF), "Status: Axis 1  " + EnumText("DriveStatus", 2));
    EXPECT_EQ(StatusLine(4, ok, 0xF), "No connection");
    EXPECT_EQ(StatusLine(0, ok, 0x7), "CommError?");
    EXPECT_EQ(StatusLine(0, ok, 0x1F), StatusLine(0, ok, 0xF));  // only the low four bits count

    const double fault[4] = {12, 1, 2, 0};
    EXPECT_EQ(StatusLine(0, fault, 0xF),
              "Status: Axis 12  " + EnumText("DriveStatus", 1) + " (Cause: " + EnumText("FaultCode", 2) + ")");
    const double both[4] = {3, 1, 2, 5};
    const std::string text = StatusLine(0, both, 0xF);
    EXPECT_EQ(text, "Status: Axis 3  " + EnumText("DriveStatus", 1) + " (Cause: " + EnumText("FaultCode", 2) + " (" +
                        EnumText("ExtFault", 5) + "))");
    EXPECT_EQ(text.substr(text.size() - 2), "))");
    // Values without a text contribute nothing; fractions are truncated for the lookups.
    const double odd[4] = {255, 2.9, 0, 0};
    EXPECT_EQ(StatusLine(0, odd, 0xF), "Status: Axis 255  " + EnumText("DriveStatus", 2));
    const double none[4] = {7, 9999, 0, 0};
    EXPECT_EQ(StatusLine(0, none, 0xF), "Status: Axis 7  ");
}

class MonitorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qttest::App();
        UseSerialPort(0);  // the simulator channel
        SetAxis700(255);
    }
    std::vector<std::string> texts;
};

TEST_F(MonitorTest, ReportsReachTheUserInterfaceThreadWhileTheMonitorWaits)
{
    DriveSim sim({"--model", "733", "--axes", "4", "--fault", "2,5"});
    ASSERT_TRUE(sim.Ready());
    std::atomic<bool> onUiThread{true};
    StatusReading read;
    const long uiCalls = UiThreadLineCalls();
    TConnectionStatus monitor([&](const std::string &t, const StatusReading &reading) {
        onUiThread = onUiThread && QThread::currentThread() == QCoreApplication::instance()->thread();
        texts.push_back(t);
        read = reading;
    });
    EXPECT_FALSE(monitor.Running());  // created suspended
    monitor.StartPolling();
    monitor.Resume();
    ASSERT_TRUE(qttest::WaitFor([&] { return !texts.empty(); }, 8000));
    EXPECT_TRUE(onUiThread);
    double status = -1;
    ASSERT_EQ(GetVar700("DriveStatus", &status), 0);
    EXPECT_EQ(texts[0], "Status: Axis 4  " + EnumText("DriveStatus", static_cast<int>(status)) + " (Cause: " + EnumText("FaultCode", 2) + " (" +
                            EnumText("ExtFault", 5) + "))");
    // What the status update shows besides was read by the monitor too, none of it here.
    EXPECT_TRUE(read.connected);
    EXPECT_EQ(read.model, 733);
    double blk = 0, enc = 0;
    ASSERT_EQ(GetVar700("BlkType", &blk), 0);
    ASSERT_EQ(GetVar700("EncMode", &enc), 0);
    EXPECT_EQ(read.opMode, OperatingMode(static_cast<int>(blk), static_cast<int>(enc)));
    EXPECT_EQ(UiThreadLineCalls(), uiCalls) << LastUiThreadLineCall();
    monitor.WaitFor();
    EXPECT_FALSE(monitor.Running());
}

TEST_F(MonitorTest, StoppedPollingAsksNothingAndDropsALateReport)
{
    DriveSim sim({"--model", "733", "--axes", "1"});
    ASSERT_TRUE(sim.Ready());
    TConnectionStatus monitor([&](const std::string &t, const StatusReading &) { texts.push_back(t); });
    monitor.Resume();  // running, but not polling
    QThread::msleep(1300);  // longer than one poll interval: the point is that nothing happens
    QCoreApplication::processEvents();
    EXPECT_EQ(monitor.Polls(), 0);
    EXPECT_TRUE(texts.empty());

    monitor.StartPolling();
    ASSERT_TRUE(qttest::WaitFor([&] { return monitor.Polls() >= 1; }, 8000));
    // The report of a poll that ran is dropped when polling stopped before it reached us.
    monitor.StopPolling();
    const int reports = monitor.Reports();
    QCoreApplication::processEvents();
    EXPECT_EQ(monitor.Reports(), reports);
    monitor.WaitFor();
}

TEST_F(MonitorTest, FailedPollsFollowEachOtherWithoutThePause)
{
    // No drive on the line: each poll spends the link's reply time-out, then the next one starts.
    TConnectionStatus monitor([&](const std::string &t, const StatusReading &) { texts.push_back(t); });
    monitor.StartPolling();
    monitor.Resume();
    ASSERT_TRUE(qttest::WaitFor([&] { return texts.size() >= 3; }, 15000));
    for (const std::string &t : texts)
        EXPECT_EQ(t, "No connection");
    monitor.WaitFor();
}

TEST_F(MonitorTest, EndsWhileItsReportIsQueuedAndTheUserInterfaceDoesNotServeIt)
{
    DriveSim sim({"--model", "733", "--axes", "1"});
    ASSERT_TRUE(sim.Ready());
    int updates = 0;
    {
        TConnectionStatus monitor([&](const std::string &, const StatusReading &) { ++updates; });
        monitor.StartPolling();
        monitor.Resume();
        // Without running the event loop: the monitor polls and then waits for its report.
        const auto start = std::chrono::steady_clock::now();
        while (monitor.Polls() < 1 && std::chrono::steady_clock::now() - start < std::chrono::seconds(8))
            std::this_thread::yield();
        ASSERT_EQ(monitor.Polls(), 1);
        monitor.WaitFor();  // must not wait for the report
        EXPECT_FALSE(monitor.Running());
    }
    QCoreApplication::processEvents();  // the queued report finds its monitor gone
    EXPECT_EQ(updates, 0);
}

TEST_F(MonitorTest, EndsWhilePollingADriveThatDoesNotAnswer)
{
    DriveSim sim({"--model", "733", "--axes", "1", "--silent"});
    auto monitor = std::make_unique<TConnectionStatus>([&](const std::string &t, const StatusReading &) { texts.push_back(t); });
    monitor->StartPolling();
    monitor->Resume();
    ASSERT_TRUE(qttest::WaitFor([&] { return monitor->Polls() >= 1; }, 8000));
    monitor->WaitFor();  // the second poll is in flight
    EXPECT_FALSE(monitor->Running());
    monitor.reset();
    QCoreApplication::processEvents();
    for (const std::string &t : texts)
        EXPECT_EQ(t, "No connection");
}

TEST_F(MonitorTest, ASuspendedMonitorEndsAtOnce)
{
    TConnectionStatus monitor([&](const std::string &t, const StatusReading &) { texts.push_back(t); });
    monitor.WaitFor();
    EXPECT_FALSE(monitor.Running());
    monitor.Resume();  // after the end it does not start again
    EXPECT_FALSE(monitor.Running());
    EXPECT_EQ(monitor.Polls(), 0);
}

} // namespace
