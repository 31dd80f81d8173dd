// Unit rules reading their input from the drive simulator, a separate process answering on
// the simulator channel through the real link library.
#include <gtest/gtest.h>

#include <string>

#include "../support/DrivesimProcess.h"
#include "comm700.h"
#include "tools700/dictionary/Enums.h"

using namespace tools700;

TEST(DrivesimUnitText, UnitsFollowTheSimulatedDrive)
{
    testsupport::DrivesimProcess sim({"--model", "733", "--axes", "1"});
    ASSERT_TRUE(sim.Ready()) << "drivesim did not start";
    SetDriveReader(nullptr);
    UseSerialPort(0);
    ASSERT_EQ(SetAxis700(1), 0);

    // a fresh drive holds the dictionary's defaults: BlkType 1, RemoteFB 0, DM1Map 9, DM2Map 1
    EXPECT_EQ(UnitText("CmdGain"), "kRPM/volt");
    EXPECT_EQ(UnitText("Move3RunSpeed"), "RPM");
    EXPECT_EQ(UnitText("ActiveAccelRate"), "RPM/sec");
    EXPECT_EQ(UnitText("DM1Gain"), "volts/amp");
    EXPECT_EQ(UnitText("DM2Gain"), "volts/kRPM");
    EXPECT_EQ(UnitText("ADOffset"), "volts");

    ASSERT_EQ(PutVar700("BlkType", 8), 0);
    ASSERT_EQ(PutVar700("RemoteFB", 1), 0);
    ASSERT_EQ(PutVar700("DM1Map", 15), 0);
    EXPECT_EQ(UnitText("cmdgain2"), "(No Effect)");
    EXPECT_EQ(UnitText("ADOffset"), "(No Effect)");
    EXPECT_EQ(UnitText("Move3RunSpeed"), "CPS");
    EXPECT_EQ(UnitText("Move3DecelRate"), "CPS/sec");
    EXPECT_EQ(UnitText("DM1Gain"), "volts/cycle");
}
