// Drive state through the real library: configuration, enable and fault reset, the
// non-volatile memory across restarts, and the 740 family's control hand-over.
#include <fstream>

#include "SimFixture.h"

namespace drivesim_test {
namespace {

using DriveState = SimChannelTest;

TEST_F(DriveState, EnableFollowsConfigurationAndFaults)
{
    StartSim({"--axes", "1", "--fault", "2"});
    // Unconfigured: Enable is stored but the drive does not power the motor.
    EXPECT_EQ(PutVar700("Enable", 1), COMM_OK);
    EXPECT_EQ(Get("Enabled"), 0);
    ASSERT_EQ(ExeCmd700("TableGen"), COMM_OK);
    EXPECT_EQ(Get("CfgD"), 1);
    // Configured but faulted (motor over-temperature).
    EXPECT_EQ(Get("DriveStatus"), 1);
    EXPECT_EQ(Get("FaultCode"), 2);
    EXPECT_EQ(Get("Fault"), 1);
    EXPECT_EQ(PutVar700("Enable", 1), COMM_OK);
    EXPECT_EQ(Get("Enabled"), 0);
    // The rising edge of FaultReset clears the fault; the drive stays off until enabled again.
    ASSERT_EQ(PutVar700("FaultReset", 1), COMM_OK);
    ASSERT_EQ(PutVar700("FaultReset", 0), COMM_OK);
    EXPECT_EQ(Get("FaultCode"), 0);
    EXPECT_EQ(Get("Fault"), 0);
    EXPECT_EQ(Get("DriveStatus"), 3);  // Disabled
    EXPECT_EQ(Get("Enabled"), 0);
    ASSERT_EQ(PutVar700("VelCmd", 250), COMM_OK);
    ASSERT_EQ(PutVar700("Enable", 1), COMM_OK);
    EXPECT_EQ(Get("Enabled"), 1);
    EXPECT_EQ(Get("DriveStatus"), 2);  // Enabled
    EXPECT_FLOAT_EQ(static_cast<float>(Get("Velocity")), 250.0f);
    ASSERT_EQ(PutVar700("Enable", 0), COMM_OK);
    EXPECT_EQ(Get("DriveStatus"), 3);
    EXPECT_EQ(Get("Velocity"), 0.0);
    // Unconfigure: back to an unconfigured drive that will not enable.
    ASSERT_EQ(PutVar700("Enable", 1), COMM_OK);
    ASSERT_EQ(ExeCmd700("Unconfigure"), COMM_OK);
    EXPECT_EQ(Get("Enabled"), 0);
    EXPECT_EQ(Get("DriveStatus"), 0);
    EXPECT_EQ(Get("FaultCode"), 16);
}

TEST_F(DriveState, ConfiguredOptionStartsADisabledDrive)
{
    StartSim({"--axes", "1", "--configured"});
    EXPECT_EQ(Get("CfgD"), 1);
    EXPECT_EQ(Get("DriveStatus"), 3);
    EXPECT_EQ(Get("FaultCode"), 0);
    ASSERT_EQ(PutVar700("Enable", 1), COMM_OK);
    EXPECT_EQ(Get("DriveStatus"), 2);
}

TEST_F(DriveState, NvSaveSurvivesARestartAndNvLoadRestores)
{
    std::string nv = dir_.File("nv.txt");
    StartSim({"--axes", "1", "--nvfile", nv});
    ASSERT_EQ(PutVar700("Kvp", 42.25), COMM_OK);
    ASSERT_EQ(PutVar700("InpMap4", 32770), COMM_OK);
    ASSERT_EQ(ExeCmd700("TableGen"), COMM_OK);
    ASSERT_EQ(ExeCmd700("NVSave"), COMM_OK);
    ASSERT_EQ(PutVar700("Kvp", 7), COMM_OK);  // not saved
    StopSim();

    StartSim({"--axes", "1", "--nvfile", nv});
    EXPECT_FLOAT_EQ(static_cast<float>(Get("Kvp")), 42.25f);
    EXPECT_EQ(Get("InpMap4"), 32770);
    EXPECT_EQ(Get("CfgD"), 1);
    EXPECT_EQ(Get("DriveStatus"), 3);
    ASSERT_EQ(PutVar700("Kvp", 3), COMM_OK);
    ASSERT_EQ(ExeCmd700("NVLoad"), COMM_OK);
    EXPECT_FLOAT_EQ(static_cast<float>(Get("Kvp")), 42.25f);
}

TEST_F(DriveState, UnreadableNvFileIsReportedAndLeftAlone)
{
    std::string nv = dir_.File("nv.txt");
    const std::string garbage = "[drive 1]\nKvp=not a number\n";
    std::ofstream(nv) << garbage;
    StartSim({"--axes", "1", "--nvfile", nv});
    EXPECT_EQ(Get("FaultCode"), 19);  // Parameter memory error
    EXPECT_EQ(Get("ExtFault"), 15);   // Drive NVRAM corrupt
    EXPECT_EQ(ExeCmd700("NVSave"), COMM_ERROR) << "the drive refuses to overwrite the memory";
    StopSim();
    std::ifstream in(nv);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, garbage);
}

TEST_F(DriveState, SavedValuesOutOfBoundsKeepTheirDefaults)
{
    std::string nv = dir_.File("nv.txt");
    std::ofstream(nv) << "[drive 1]\nModel=733\nCfgD=1\nKvp=5000\nKvi=12\n";
    StartSim({"--axes", "1", "--nvfile", nv});
    EXPECT_EQ(Get("Kvp"), 0.0) << "5000 is above Kvp's bound";
    EXPECT_EQ(Get("Kvi"), 12.0);
    EXPECT_EQ(Get("CfgD"), 1);
}

TEST_F(DriveState, NvImageOfAnotherModelIsNotLoaded)
{
    std::string nv = dir_.File("nv.txt");
    std::ofstream(nv) << "[drive 1]\nModel=743\nCfgD=1\nKvp=9\n";
    StartSim({"--axes", "1", "--model", "733", "--nvfile", nv});
    EXPECT_EQ(Get("Kvp"), 0.0);
    EXPECT_EQ(Get("CfgD"), 0);
    EXPECT_EQ(Get("FaultCode"), 19);
    EXPECT_EQ(Get("ExtFault"), 13);  // Model / NVRAM mismatch
}

TEST_F(DriveState, MfgLockHandsA740DriveBetweenFieldbusAndSerial)
{
    StartSim({"--axes", "1", "--model", "1745"});
    EXPECT_EQ(Get("Model"), 1745);
    EXPECT_EQ(Get("MfgLock"), 0) << "a 740-family drive starts under fieldbus control";
    ASSERT_EQ(PutVar700("MfgLock", 584219637), COMM_OK);
    EXPECT_EQ(Get("MfgLock"), 1);
    ASSERT_EQ(PutVar700("Enable", 0), COMM_OK);
    ASSERT_EQ(PutVar700("BlkType", 8), COMM_OK);
    ASSERT_EQ(PutVar700("MfgLock", 1), COMM_OK);
    EXPECT_EQ(Get("MfgLock"), 0);
    ASSERT_EQ(PutVar700("MfgLock", 12345), COMM_OK);
    EXPECT_EQ(Get("MfgLock"), 0) << "only the unlock value hands the drive to the serial link";
    StopSim();

    StartSim({"--axes", "1", "--model", "743", "--serial-control"});
    EXPECT_EQ(Get("MfgLock"), 1);
}

TEST_F(DriveState, StuckMfgLockAcceptsWritesButKeepsTheControl)
{
    // Held by its fieldbus: neither the unlock value nor a return to SERCOS moves the drive.
    StartSim({"--axes", "1", "--model", "743", "--mfglock-stuck"});
    ASSERT_EQ(PutVar700("MfgLock", 584219637), COMM_OK);
    EXPECT_EQ(Get("MfgLock"), 0) << "the drive stays under SERCOS control";
    StopSim();

    StartSim({"--axes", "1", "--model", "743", "--serial-control", "--mfglock-stuck"});
    ASSERT_EQ(PutVar700("MfgLock", 1), COMM_OK);
    EXPECT_EQ(Get("MfgLock"), 1) << "the drive stays under serial control";
    ASSERT_EQ(PutVar700("MfgLock", 584219637), COMM_OK);
    EXPECT_EQ(Get("MfgLock"), 1);
}

}  // namespace
}  // namespace drivesim_test
