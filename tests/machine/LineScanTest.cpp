// The scan against drivesim playing a line of drives of several models and an address that
// two drives answer.
#include "tools700/machine/LineScan.h"
#include "tools700/machine/LiveStatus.h"

#include "SimProcess.h"
#include "comm700.h"
#include "tools700/dictionary/Enums.h"

#include <gtest/gtest.h>

using namespace tools700::machine;

namespace {

struct Recorder : ScanObserver {
    std::vector<std::string> events;
    int cancelAfterDrives = -1;
    int drives = 0;
    void DriveFound(const DriveSummary &d) override
    {
        ++drives;
        events.push_back("drive " + std::to_string(d.axis));
    }
    void ConflictFound(int axis) override { events.push_back("conflict " + std::to_string(axis)); }
    void Progress(int done, int total) override
    {
        events.push_back(std::to_string(done) + "/" + std::to_string(total));
    }
    bool Cancelled() override { return cancelAfterDrives >= 0 && drives >= cancelAfterDrives; }
};

std::vector<int> Axes(int from, int to)
{
    std::vector<int> a;
    for (int i = from; i <= to; ++i)
        a.push_back(i);
    return a;
}

} // namespace

TEST(LineScan, FindsExactlyTheDrivesAndReportsAConflict)
{
    testutil::SimProcess sim({"--axes", "1:733,3:743,7:1735", "--conflict", "5", "--serial-control"});
    ASSERT_TRUE(sim.WaitUntilAnswering(1));
    DirectLineAccess line(1);
    Recorder rec;
    const ScanResult r = ScanLine(line, Axes(1, 8), rec);
    ASSERT_EQ(r.drives.size(), 3u);
    EXPECT_EQ(r.conflicts, std::vector<int>{5});
    EXPECT_EQ(r.asked, 8);
    EXPECT_FALSE(r.cancelled);
    EXPECT_FALSE(r.lineFailed);
    EXPECT_EQ(rec.events.front(), "drive 1") << "drives are reported as they answer";
    EXPECT_EQ(rec.events.back(), "8/8");

    const DriveSummary &a = r.drives[0], &b = r.drives[1], &c = r.drives[2];
    EXPECT_EQ(a.axis, 1);
    EXPECT_EQ(a.reportedAxis, 1);
    EXPECT_EQ(a.ModelName(), "SV733");
    EXPECT_EQ(a.ControlModeText(), "") << "no control-mode switch on a 730-family drive";
    EXPECT_EQ(b.ModelName(), "SV743");
    EXPECT_EQ(b.ControlModeText(), "Serial Control Mode");
    EXPECT_EQ(c.ModelName(), "SVE735");
    EXPECT_EQ(c.axis, 7);
    for (const DriveSummary &d : r.drives) {
        EXPECT_TRUE(d.Complete());
        EXPECT_EQ(d.firmware, 103);
        EXPECT_EQ(d.hardware, 2);
        EXPECT_EQ(d.OperatingModeText(), tools700::EnumText("OpMode730", tools700::OperatingMode(d.blkType, d.encMode)));
        // A fresh drive is unconfigured, with the fault that says so.
        EXPECT_EQ(d.StateText().rfind(tools700::EnumText("DriveStatus", 0) + " (Cause: ", 0), 0u) << d.StateText();
        EXPECT_EQ(d.StatusLine(), "Status: Axis " + std::to_string(d.axis) + "  " + d.StateText());
    }
    // The scan leaves the program's own axis as it was.
    double v = 0;
    ASSERT_EQ(GetVar700("AxisAddr", &v), COMM_OK);
    EXPECT_EQ(v, 1);
}

TEST(LineScan, CancelKeepsWhatWasFoundAndTheAutomaticAxisIsNotListedTwice)
{
    testutil::SimProcess sim({"--axes", "2,4"});
    ASSERT_TRUE(sim.WaitUntilAnswering(2));
    DirectLineAccess line(2);
    Recorder rec;
    rec.cancelAfterDrives = 1;
    ScanResult r = ScanLine(line, Axes(1, 6), rec);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.asked, 2);
    ASSERT_EQ(r.drives.size(), 1u);
    EXPECT_EQ(r.drives[0].axis, 2);

    Recorder all;
    r = ScanLine(line, {2, 4, 255}, all);
    ASSERT_EQ(r.drives.size(), 2u) << "axis 255 reached the drive at 2 again";
    EXPECT_EQ(r.asked, 3);
}

TEST(LineScan, NoLineStopsTheScanWithItsStatus)
{
    // Port 5 does not exist: every exchange fails at once, without waiting for a reply.
    UseSerialPort(5);
    DirectLineAccess line(1);
    Recorder rec;
    const ScanResult r = ScanLine(line, Axes(1, 32), rec);
    UseSerialPort(0);
    EXPECT_TRUE(r.lineFailed);
    EXPECT_FALSE(r.cancelled);
    EXPECT_LE(r.asked, 1);
    EXPECT_TRUE(r.drives.empty());
}

TEST(LiveStatus, ReadsEachDriveInTurnAndKeepsToItsShareOfTheLine)
{
    testutil::SimProcess sim({"--axes", "1:733,2:743", "--conflict", "4"});
    ASSERT_TRUE(sim.WaitUntilAnswering(1));
    DirectLineAccess line(1);
    LiveStatus live({1, 2, 3, 4});
    std::vector<LiveRow> rows(5);
    for (LiveRow &row : rows)
        ASSERT_TRUE(live.ReadNext(line, row));
    EXPECT_EQ(rows[0].axis, 1);
    EXPECT_EQ(rows[4].axis, 1) << "the list again from its start";
    EXPECT_TRUE(rows[0].answered);
    EXPECT_EQ(rows[1].drive.ModelName(), "SV743");
    EXPECT_EQ(rows[1].stateText, rows[1].drive.StateText());
    EXPECT_FALSE(rows[2].answered);
    EXPECT_EQ(rows[2].stateText, "No connection");
    EXPECT_EQ(rows[3].stateText, "Address conflict");
    // A batched read: a 36-word request and a 70-word reply, ten bits a byte at 19200 bit/s.
    EXPECT_GT(rows[0].lineMs, 100.0);
    EXPECT_LT(rows[0].lineMs, 130.0);
    // After a read the line rests long enough for the reads to keep to 40 % of its time, and
    // the four drives take at least a second.
    LiveRow row;
    ASSERT_TRUE(live.ReadNext(line, row));
    EXPECT_GE(live.DelayMs(), row.lineMs / 0.4 - 200.0);
    EXPECT_GT(live.DelayMs(), 0.0);
    LiveStatus paced({1}, LivePace {0.4, 1000});
    ASSERT_TRUE(paced.ReadNext(line, row));
    EXPECT_GT(paced.DelayMs(), 800.0) << "one drive: read at most once a second";
}
