// tools700-cli scan, address, backup and restore against drivesim playing a line of drives: what
// they print, what they leave in the backup folder, and their exit codes.
#include "CliSimTest.h"

#include <gtest/gtest.h>

#include <filesystem>

using testutil::CliResult;

namespace {

class CliLine : public testutil::CliSimTest {
protected:
    CliResult At(int axis, std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--port", "0", "--axis", std::to_string(axis)});
        return Run(std::move(args));
    }
    bool Has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }
};

} // namespace

TEST_F(CliLine, ScanListsTheDrivesAndTheConflict)
{
    auto sim = Start({"--axes", "1:733,3:743", "--conflict", "2", "--serial-control"});
    CliResult r = At(1, {"scan", "--axes", "1..4"});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(Has(r.out, "Axis  Drive   FW   HW  Mode")) << r.out;
    EXPECT_TRUE(Has(r.out, "\n   1  SV733   103  2   ")) << r.out;
    EXPECT_TRUE(Has(r.out, "\n   3  SV743   103  2   ")) << r.out;
    EXPECT_TRUE(Has(r.out, "Serial Control Mode")) << r.out;
    EXPECT_TRUE(Has(r.out, "\n   2  address conflict: more than one drive answers at this address\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "2 drives on axes 1..4, 1 address conflict\n")) << r.out;
    EXPECT_TRUE(Has(r.err, "scan: 4 of 4 addresses asked")) << "plain lines without a terminal: " << r.err;
    EXPECT_LT(r.out.find("   1  SV733"), r.out.find("   2  address")) << "rows in the order they answered";

    r = At(1, {"scan", "--axes", "5,6"});
    EXPECT_EQ(r.rc, 4);
    EXPECT_TRUE(Has(r.err, "No drive answers on axes 5, 6")) << r.err;
    EXPECT_EQ(At(1, {"scan", "--axes", "0..3"}).rc, 2);
    EXPECT_EQ(At(1, {"scan", "extra"}).rc, 2);
    // Only reads went to the line.
    for (const auto &t : sim->Trace())
        EXPECT_EQ(t.command, "GET_VARS");
}

TEST_F(CliLine, AddressMovesTheDriveAtTheAxis)
{
    auto sim = Start({"--axes", "1,2"});
    CliResult r = At(1, {"address", "2"});
    EXPECT_EQ(r.rc, 5);
    EXPECT_TRUE(Has(r.err, "Axis 2 is already taken on this line")) << r.err;
    EXPECT_EQ(At(1, {"address", "255"}).rc, 2);
    EXPECT_EQ(At(1, {"address", "x"}).rc, 2);
    r = At(4, {"address", "9"});
    EXPECT_EQ(r.rc, 4);
    EXPECT_TRUE(Has(r.err, "No drive answers at axis 4")) << r.err;

    r = At(1, {"address", "9", "--nvsave"});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "The SV733 moved from axis 1 to axis 9 and saved it in its non-volatile memory\n");
    EXPECT_EQ(At(9, {"get", "AxisAddr"}).out, "AxisAddr = 9\n");
    bool saved = false;
    for (const auto &t : sim->Trace())
        saved = saved || (t.axis == 9 && t.command == "EXEC" && t.name == "NVSave");
    EXPECT_TRUE(saved);
    // Without a terminal the NV save question is answered No.
    r = At(9, {"address", "1"});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "The SV733 moved from axis 9 to axis 1\n");
}

TEST_F(CliLine, BackupAndRestoreAMachine)
{
    const std::string folder = dir.File("machine");
    {
        auto sim = Start({"--axes", "1:733,2:743", "--configured", "--serial-control"});
        EXPECT_EQ(At(1, {"set", "Kvp", "3.25"}).rc, 0);
        EXPECT_EQ(At(2, {"set", "Kvp", "4.5"}).rc, 0);
        CliResult r = At(1, {"backup", folder});
        ASSERT_EQ(r.rc, 0) << r.err;
        EXPECT_TRUE(Has(r.out, "axis 1 SV733: axis-01-SV733.cfg\naxis 2 SV743: axis-02-SV743.cfg\n")) << r.out;
        EXPECT_TRUE(Has(r.out, "2 of 2 drives backed up into " + folder + " (manifest.ini)")) << r.out;
        EXPECT_TRUE(std::filesystem::exists(folder + "/manifest.ini"));
        ASSERT_EQ(At(2, {"upload", dir.File("two.cfg")}).rc, 0);
        EXPECT_EQ(testutil::ReadText(folder + "/axis-02-SV743.cfg"), testutil::ReadText(dir.File("two.cfg")));

        EXPECT_EQ(At(1, {"set", "Kvp", "8"}).rc, 0);
        EXPECT_EQ(At(2, {"set", "Kvp", "9"}).rc, 0);
        r = At(1, {"restore", folder, "--dry-run"});
        EXPECT_EQ(r.rc, 1) << r.out << r.err;
        EXPECT_TRUE(Has(r.out, "axis 1 SV733: 1 value(s) differ\n    Kvp: file 3.25 amps/rad/sec, drive 8 amps/rad/sec\n"))
            << r.out;
        EXPECT_TRUE(Has(r.out, "2 of 2 drives differ from the backup")) << r.out;
        // The defaults of a fresh drive hold values it refuses to be written: --no stops there.
        r = At(1, {"restore", folder, "--no"});
        EXPECT_EQ(r.rc, 6) << r.out << r.err;
        EXPECT_TRUE(Has(r.out, "axis 1 SV733: failed, stopped at ")) << r.out;
        sim->ClearTrace();
        r = At(1, {"restore", folder, "--yes", "--nvsave"});
        EXPECT_EQ(r.rc, 0) << r.out << r.err;
        EXPECT_TRUE(Has(r.out, "axis 1 SV733: restored and saved\naxis 2 SV743: restored and saved\n")) << r.out;
        EXPECT_TRUE(Has(r.out, "2 of 2 drives restored, 2 saved in NV memory")) << r.out;
        EXPECT_EQ(At(1, {"get", "Kvp"}).out, "Kvp = 3.25 amps/rad/sec\n");
        EXPECT_EQ(At(2, {"get", "Kvp"}).out, "Kvp = 4.5 amps/rad/sec\n");
        EXPECT_EQ(At(1, {"restore", folder, "--dry-run"}).rc, 0);

        r = At(1, {"backup", dir.File("part"), "--axes", "1,5"});
        EXPECT_EQ(r.rc, 4);
        EXPECT_TRUE(Has(r.out, "axis 5: failed, No drive answers at axis 5")) << r.out;
        EXPECT_TRUE(std::filesystem::exists(dir.File("part") + "/axis-01-SV733.cfg"));
    }
    // Axis 2 now holds a drive of another model: skipped, exit 5.
    auto sim = Start({"--axes", "1:733,2:742", "--configured", "--serial-control"});
    CliResult r = At(1, {"restore", folder, "--yes", "--axes", "2"});
    EXPECT_EQ(r.rc, 5) << r.out << r.err;
    EXPECT_TRUE(Has(r.out, "axis 2 SV743: skipped, the drive at axis 2 is an SV742, the backup's an SV743")) << r.out;
    for (const auto &t : sim->Trace())
        EXPECT_EQ(t.command, "GET_VARS") << "nothing written";
    EXPECT_EQ(At(1, {"restore", dir.File("none")}).rc, 3);
    EXPECT_EQ(At(1, {"restore"}).rc, 2);
}
