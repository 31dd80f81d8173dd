// tools700-cli scope run as a user would, against the drive simulator: free-running frames and a
// single sweep saved as CSV, what the drive was asked, and the errors of the command line.
#include "CliSimTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using testutil::CliResult;
using testutil::RunCli;
using testutil::SimProcess;

namespace {

class CliScope : public testutil::CliSimTest {
protected:
    std::vector<std::string> Lines(const std::string &file)
    {
        std::vector<std::string> lines;
        std::istringstream in(testutil::ReadText(file));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
};

TEST_F(CliScope, FreeRunningFramesAreSavedInSignalUnits)
{
    auto sim = Start({"--model", "733"});
    const std::string csv = dir.File("run.csv");
    CliResult r = Run({"--port", "0", "scope", "--ch1", "velocity feedback", "--ch2", "Current Command", "--timebase",
                       "5", "--trigger", "1", "--level", "100", "--frames", "3", "--csv", csv});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, csv + ": 3 frames of Velocity Feedback (Rpm) and Current Command (Amps), 0.05 sec / div\n");
    const std::vector<std::string> lines = Lines(csv);
    ASSERT_EQ(lines.size(), 3u + 300u);
    EXPECT_EQ(lines[0], "# Timebase: 0.05 sec / div (5 ms per sample)");
    EXPECT_EQ(lines[1], "# Trigger: Chnl 1, rising edge, level 100 Rpm");
    EXPECT_EQ(lines[2], "Frame,Time (s),Velocity Feedback (Rpm),Current Command (Amps)");
    EXPECT_EQ(lines[3].rfind("1,0.000000,", 0), 0u);
    EXPECT_EQ(lines[302].rfind("3,0.495000,", 0), 0u);
    // Each frame starts on the rising edge: its first sample at or above the level.
    for (int frame = 0; frame < 3; ++frame) {
        std::istringstream first(lines[3 + frame * 100]);
        std::string field;
        std::getline(first, field, ',');
        std::getline(first, field, ',');
        std::getline(first, field, ',');
        EXPECT_GE(std::stod(field), 100.0) << lines[3 + frame * 100];
    }
    int fetches = 0;
    for (const auto &t : sim->Trace())
        if (t.command == "READ_SCOPE") {
            ++fetches;
            EXPECT_EQ(t.value, "tb=5,trigger=1,level=100,ch1=1,ch2=8,count=100");
        }
    EXPECT_GE(fetches, 3);
}

TEST_F(CliScope, ASingleSweepIsArmedAndSavedWhenComplete)
{
    auto sim = Start({"--model", "733"});
    const std::string csv = dir.File("sweep.csv");
    CliResult r = Run({"--port", "0", "--quiet", "scope", "--ch1", "VBus", "--timebase", "2", "--single", "--csv", csv});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const std::vector<std::string> lines = Lines(csv);
    ASSERT_EQ(lines.size(), 103u);
    EXPECT_EQ(lines[1], "# Trigger: None (free-running)");
    EXPECT_EQ(lines[2], "Frame,Time (s),VBus (Volts),Analog Input (Volts)");
    EXPECT_EQ(lines[102].rfind("1,0.198000,", 0), 0u);
    const auto trace = sim->Trace();
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front().name, "arm");
    EXPECT_EQ(trace.back().value, "tb=2,trigger=0,level=0,ch1=22,ch2=10,count=100");
}

TEST_F(CliScope, BadOptionsAndASilentDriveAreSaidSo)
{
    EXPECT_EQ(Run({"scope"}).rc, 2);
    EXPECT_EQ(Run({"scope", "--csv", dir.File("x.csv"), "--timebase", "3"}).rc, 2);
    EXPECT_EQ(Run({"scope", "--csv", dir.File("x.csv"), "--trigger", "5"}).rc, 2);
    EXPECT_EQ(Run({"scope", "--csv", dir.File("x.csv"), "--frames", "10"}).rc, 2);
    EXPECT_EQ(Run({"scope", "--csv", dir.File("x.csv"), "--level", "lots"}).rc, 2);
    CliResult unknown = Run({"--port", "0", "scope", "--ch2", "Flux", "--csv", dir.File("x.csv")});
    EXPECT_EQ(unknown.rc, 7);
    EXPECT_NE(unknown.err.find("\"Flux\" is not a scope signal"), std::string::npos) << unknown.err;

    CliResult silent = Run({"--port", "0", "scope", "--csv", dir.File("x.csv")});
    EXPECT_EQ(silent.rc, 4);
    EXPECT_NE(silent.err.find("Can't communicate with drive"), std::string::npos) << silent.err;
    CliResult silentArm = Run({"--port", "0", "scope", "--single", "--csv", dir.File("x.csv")});
    EXPECT_EQ(silentArm.rc, 4);
    EXPECT_EQ(silentArm.err, "Can't communicate with drive: the sweep could not be armed (NO RESPONSE)\n");
    {
        auto sim = Start({"--model", "733"});
        CliResult unwritable = Run({"--port", "0", "scope", "--csv", dir.File("no/such/folder.csv")});
        EXPECT_EQ(unwritable.rc, 3);
        EXPECT_NE(unwritable.err.find("Can't open file "), std::string::npos);
    }
}

TEST_F(CliScope, ASweepTheDriveRefusesIsReportedWithTheDrivesReason)
{
    auto sim = Start({"--model", "733", "--refuse", "arm=68"});
    const std::string csv = dir.File("refused.csv");
    CliResult r = Run({"--port", "0", "scope", "--single", "--csv", csv});
    EXPECT_EQ(r.rc, 5) << r.err;
    EXPECT_EQ(r.err, "The drive refused the sweep: NOT IMPLEMENTED\n");
    EXPECT_FALSE(std::filesystem::exists(csv));
    const auto trace = sim->Trace();
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front().name, "arm");
    EXPECT_EQ(trace.front().result, "0x44");
}

} // namespace
