// The simulated drive's variables through the real library: defaults, bounds, read-only
// variables, refusals on demand, and the trace of what the drive received.
#include <atomic>
#include <thread>

#include "SimFixture.h"

namespace drivesim_test {
namespace {

using DriveVariables = SimChannelTest;

TEST_F(DriveVariables, FreshDriveReportsDefaultsAndUnconfiguredState)
{
    StartSim({"--model", "733", "--axes", "1"});
    EXPECT_EQ(Get("Model"), 733);
    EXPECT_EQ(Get("AxisAddr"), 1);
    EXPECT_EQ(Get("DriveStatus"), 0);  // Unconfigured
    EXPECT_EQ(Get("FaultCode"), 16);   // Unconfigured drive
    EXPECT_EQ(Get("ExtFault"), 0);
    EXPECT_EQ(Get("CfgD"), 0);
    EXPECT_EQ(Get("Enabled"), 0);
    EXPECT_FLOAT_EQ(static_cast<float>(Get("Kpp")), 15.0f);
    EXPECT_EQ(Get("InpMap1"), 32769);
    EXPECT_EQ(Get("PoleCount"), 4);
    EXPECT_EQ(Get("BlkType"), 1);
    EXPECT_FLOAT_EQ(static_cast<float>(Get("Ipeak")), 15.0f);
    // Lookups ignore case; both spellings of an aliased id reach the same variable.
    EXPECT_EQ(Get("inputmap1"), 32769);

    const char* names[] = {"AxisAddr", "DriveStatus", "FaultCode", "ExtFault", nullptr};
    double values[4] = {};
    int mask = 0;
    ASSERT_EQ(GetVars700(names, values, &mask), COMM_OK);
    EXPECT_EQ(mask & 0xF, 0xF);
    EXPECT_EQ(values[0], 1);
    EXPECT_EQ(values[1], 0);
    EXPECT_EQ(values[2], 16);
}

TEST_F(DriveVariables, RefusesWritesOutOfBoundsAndToReadOnlyVariables)
{
    StartSim({"--axes", "1"});
    EXPECT_EQ(PutVar700("Kvp", 100.5), COMM_OK);
    EXPECT_FLOAT_EQ(static_cast<float>(Get("Kvp")), 100.5f);
    EXPECT_EQ(PutVar700("Kvp", 378.5), BOUNDS_ERROR);
    EXPECT_EQ(PutVar700("Kvp", -1), BOUNDS_ERROR);
    EXPECT_FLOAT_EQ(static_cast<float>(Get("Kvp")), 100.5f) << "a refused write changes nothing";
    EXPECT_EQ(PutVar700("Kvp", 378), COMM_OK) << "the bound itself is accepted";
    EXPECT_EQ(PutVar700("AxisAddr", 0), BOUNDS_ERROR);

    EXPECT_EQ(PutVar700("VBus", 10), READONLY);
    EXPECT_EQ(PutVar700("Model", 743), READONLY);
    EXPECT_EQ(PutVar700("DriveStatus", 2), READONLY);
    EXPECT_EQ(Get("Model"), 733);

    // Input functions carry bit 15 for the active-high form; the bounds apply to the number.
    EXPECT_EQ(PutVar700("InpMap2", 32773), COMM_OK);
    EXPECT_EQ(Get("InpMap2"), 32773);
    EXPECT_EQ(PutVar700("InpMap2", 29), BOUNDS_ERROR);
    // The motor name belongs to the configuration a download writes.
    EXPECT_EQ(PutVar700("Motor1", 0x34333231), COMM_OK);

    // Several writes at once: the result tells which slots the drive took.
    const char* names[] = {"Kvi", "VBus", "ILmtPlus", nullptr};
    const double values[] = {12.5, 1.0, 150.0};
    int result = -1;
    ASSERT_EQ(PutVars700(names, values, &result), COMM_OK);
    EXPECT_EQ(result, 0x1) << "VBus is read-only, 150 % is out of bounds";
    EXPECT_FLOAT_EQ(static_cast<float>(Get("Kvi")), 12.5f);
}

TEST_F(DriveVariables, TraceShowsEachRequestInOrder)
{
    StartSim({"--axes", "3"}, 3);
    ASSERT_EQ(PutVar700("Enable", 0), COMM_OK);
    ASSERT_EQ(PutVar700("BlkType", 8), COMM_OK);
    ASSERT_EQ(PutVar700("Kvp", 2.5), COMM_OK);
    ASSERT_EQ(PutVar700("ILmtPlus", 101), BOUNDS_ERROR);
    ASSERT_EQ(ExeCmd700("TableGen"), COMM_OK);
    Get("AxisAddr");
    StopSim();
    std::vector<std::string> expected = {
        "3 PUT_INT Enable 0 ok",       "3 PUT_INT BlkType 8 ok",  "3 PUT_FLOAT Kvp 2.5 ok",
        "3 PUT_INT ILmtPlus 101 0x42", "3 EXEC TableGen - ok",    "3 GET_INT AxisAddr 3 ok",
    };
    EXPECT_EQ(Trace(), expected);
}

TEST_F(DriveVariables, BatchTraceKeepsEverySlotInPlaceAndCanCarryTheTime)
{
    StartSim({"--axes", "1", "--trace-time"});
    // Slots 0 and 2 hold no variable (an empty name, a name the drive does not know).
    const char* names[] = {"", "AxisAddr", "NoSuchThing", "Kvp", "", nullptr};
    double values[5] = {};
    int valid = 0;
    ASSERT_EQ(GetVars700(names, values, &valid), COMM_OK);
    EXPECT_EQ(valid, 0b1010);
    const char* put[] = {"", "Kvi", nullptr};
    const double putValues[] = {0, 3.5};
    int written = 0;
    ASSERT_EQ(PutVars700(put, putValues, &written), COMM_OK);
    Get("Kvi");
    StopSim();
    auto trace = Trace();
    ASSERT_EQ(trace.size(), 3u);
    // The empty slots before the last used one stand as "-"; the ones after it are left out.
    auto withoutTime = [](const std::string& line) { return line.substr(0, line.rfind(' ')); };
    EXPECT_EQ(withoutTime(trace[0]), "1 GET_VARS -,AxisAddr,-,Kvp -,1,-,0 ok");
    EXPECT_EQ(withoutTime(trace[1]), "1 PUT_VARS -,Kvi -,3.5 ok");
    // The sixth field: milliseconds since the simulator started, rising.
    double last = -1;
    for (const std::string& line : trace) {
        const double ms = std::stod(line.substr(line.rfind(' ') + 1));
        EXPECT_GE(ms, last) << line;
        last = ms;
    }
}

TEST_F(DriveVariables, RefuseOptionGivesTheCodeAndTouchesNothing)
{
    StartSim({"--axes", "1", "--refuse", "Kvp=67", "--refuse", "nvsave=67", "--refuse", "IR=68"});
    double v = -1;
    EXPECT_EQ(PutVar700("Kvp", 5), NO_SUCH_COMMAND);
    EXPECT_EQ(GetVar700("Kvp", &v), NO_SUCH_COMMAND);
    EXPECT_EQ(v, -1) << "a refused read leaves the output alone";
    // The command path of the library turns every refusal into COMM_ERROR.
    EXPECT_EQ(ExeCmd700("NVSave"), COMM_ERROR);
    // A refused alias refuses the variable under its other name too.
    EXPECT_EQ(GetVar700("IU", &v), NOT_IMPLEMENTED);
    EXPECT_EQ(PutVar700("Kvi", 5), COMM_OK);
    StopSim();
    auto trace = Trace();
    ASSERT_GE(trace.size(), 1u);
    EXPECT_EQ(trace[0], "1 PUT_FLOAT Kvp - 0x43");
}

TEST_F(DriveVariables, OneLineCarriesSeveralAxes)
{
    StartSim({"--axes", "1,2,5"}, 2);
    EXPECT_EQ(Get("AxisAddr"), 2);
    ASSERT_EQ(PutVar700("Kvp", 11), COMM_OK);
    ASSERT_EQ(SetAxis700(5), COMM_OK);
    EXPECT_EQ(Get("AxisAddr"), 5);
    EXPECT_FLOAT_EQ(static_cast<float>(Get("Kvp")), 0.0f) << "each axis has its own variables";
    ASSERT_EQ(SetAxis700(3), COMM_OK);
    double v = 0;
    EXPECT_EQ(GetVar700("AxisAddr", &v), NO_RESPONSE) << "no drive at axis 3";
    // The automatic axis reaches the first drive of the line.
    ASSERT_EQ(SetAxis700(255), COMM_OK);
    EXPECT_EQ(Get("AxisAddr"), 1);
}

TEST_F(DriveVariables, SetDriveAdrsMovesTheDriveToItsNewAddress)
{
    StartSim({"--axes", "1,2"}, 1);
    EXPECT_EQ(SetDriveAdrs700(2), BOUNDS_ERROR) << "axis 2 is taken on this line";
    ASSERT_EQ(SetDriveAdrs700(9), COMM_OK);
    double v = 0;
    EXPECT_EQ(GetVar700("AxisAddr", &v), NO_RESPONSE) << "nothing answers at the old address";
    ASSERT_EQ(SetAxis700(9), COMM_OK);
    EXPECT_EQ(Get("AxisAddr"), 9);
    // Writing AxisAddr moves it as well.
    ASSERT_EQ(PutVar700("AxisAddr", 12), COMM_OK);
    ASSERT_EQ(SetAxis700(12), COMM_OK);
    EXPECT_EQ(Get("AxisAddr"), 12);
    ASSERT_EQ(SetAxis700(2), COMM_OK);
    EXPECT_EQ(Get("AxisAddr"), 2);
}

TEST_F(DriveVariables, EachAxisPlaysItsOwnModelWithItsOwnMemory)
{
    const std::string nv = dir_.File("nv.ini");
    StartSim({"--axes", "1:733,2:1743,7", "--model", "742", "--nvfile", nv}, 1);
    EXPECT_EQ(Get("Model"), 733);
    ASSERT_EQ(PutVar700("Kvp", 3), COMM_OK);
    ASSERT_EQ(ExeCmd700("NVSave"), COMM_OK);
    ASSERT_EQ(SetAxis700(2), COMM_OK);
    EXPECT_EQ(Get("Model"), 1743);
    EXPECT_EQ(Get("MfgLock"), 0) << "a 740-family drive starts under SERCOS control";
    ASSERT_EQ(PutVar700("Kvp", 4), COMM_OK);
    ASSERT_EQ(ExeCmd700("NVSave"), COMM_OK);
    ASSERT_EQ(SetAxis700(7), COMM_OK);
    EXPECT_EQ(Get("Model"), 742) << "an axis without a model plays --model";
    StopSim();

    StartSim({"--axes", "1:733,2:1743", "--nvfile", nv}, 2);
    EXPECT_FLOAT_EQ(static_cast<float>(Get("Kvp")), 4.0f);
    ASSERT_EQ(SetAxis700(1), COMM_OK);
    EXPECT_FLOAT_EQ(static_cast<float>(Get("Kvp")), 3.0f);
}

TEST_F(DriveVariables, TwoDrivesAtOneAddressBothActAndTheirRepliesCollide)
{
    StartSim({"--axes", "1:743,3", "--conflict", "3", "--conflict", "4"}, 3);
    double v = 0;
    EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE) << "the collided reply fails its CRC";
    EXPECT_EQ(PutVar700("Kvp", 2), NO_RESPONSE);
    ASSERT_EQ(SetAxis700(4), COMM_OK);
    EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE) << "--conflict adds both drives of an address not in --axes";
    // Both drives at 3 move to 9 together; neither refuses the other.
    ASSERT_EQ(SetAxis700(3), COMM_OK);
    EXPECT_EQ(SetDriveAdrs700(9), NO_RESPONSE);
    EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE);
    ASSERT_EQ(SetAxis700(9), COMM_OK);
    EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE) << "still two drives, now at 9";
    ASSERT_EQ(SetAxis700(1), COMM_OK);
    EXPECT_EQ(Get("Model"), 743) << "the drive alone at its address answers as always";
    EXPECT_EQ(SetDriveAdrs700(9), BOUNDS_ERROR) << "9 is taken";
    StopSim();
    auto trace = Trace();
    ASSERT_GE(trace.size(), 3u);
    EXPECT_EQ(trace[0], "3 GET_INT Model 733 collided");
    EXPECT_EQ(trace[1], "3 PUT_FLOAT Kvp 2 collided");
}

TEST_F(DriveVariables, ConcurrentCallersAllGetTheirOwnAnswers)
{
    // As in the program: a status poll, a scope pump and the user's reads and writes at once.
    StartSim({"--axes", "1"});
    std::atomic<int> failures{0};
    std::thread monitor([&] {
        const char* names[] = {"AxisAddr", "DriveStatus", "FaultCode", "ExtFault", nullptr};
        for (int i = 0; i < 100; ++i) {
            double values[4] = {};
            int mask = 0;
            if (GetVars700(names, values, &mask) != COMM_OK || values[0] != 1 || values[2] != 16) ++failures;
        }
    });
    std::thread scope([&] {
        for (int i = 0; i < 40; ++i) {
            double ch1[100], ch2[100];
            std::uint16_t count = 0;
            if (ReadScopeData700(0, 0, 1, 0, 0, 2, 1, ch1, ch2, &count) != COMM_OK || count != 100) ++failures;
        }
    });
    for (int i = 0; i < 100; ++i) {
        double v = 0;
        if (PutVar700("Kvi", i) != COMM_OK || GetVar700("Kvi", &v) != COMM_OK || v != i) ++failures;
    }
    monitor.join();
    scope.join();
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
}  // namespace drivesim_test
