// A test fixture that runs drivesim on the simulator channel of this test process's
// namespace (COMM700_NAMESPACE, set per test executable) and talks to it through the real
// comm700 library.
#pragma once

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "SimSupport.h"
#include "comm700.h"

namespace drivesim_test {

class SimChannelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { UseSerialPort(0); }

    // Starts drivesim with `args` (plus --trace into the temporary folder) and selects `axis`.
    void StartSim(std::vector<std::string> args, int axis = 1)
    {
        DrainSimulatorQueue();
        args.push_back("--trace");
        args.push_back(TracePath());
        ASSERT_TRUE(sim_.Start(args)) << "drivesim did not start";
        ASSERT_EQ(SetAxis700(axis), COMM_OK);
    }
    void StopSim() { EXPECT_EQ(sim_.Stop(), 0) << "drivesim did not end cleanly on SIGTERM"; }
    void TearDown() override
    {
        if (sim_.Pid() > 0) StopSim();
    }

    std::string TracePath() const { return dir_.File("trace.txt"); }
    std::vector<std::string> Trace() const { return ReadLines(TracePath()); }

    // Reads a variable that must be readable.
    static double Get(const char* name)
    {
        double v = NAN;
        EXPECT_EQ(GetVar700(name, &v), COMM_OK) << name;
        return v;
    }

    SimProcess sim_;
    TempDir dir_;
};

}  // namespace drivesim_test
