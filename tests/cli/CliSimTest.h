// A fixture for tools700-cli against a traced drivesim on the simulator channel: the tool runs with
// a settings file of its own in the test's folder, and Start() returns once the drive answers,
// with the trace emptied of that first read.
#pragma once

#include "CliRunner.h"
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace testutil {

class CliSimTest : public ::testing::Test {
protected:
    std::unique_ptr<SimProcess> Start(std::vector<std::string> options)
    {
        auto sim = std::make_unique<SimProcess>(std::move(options), dir.File("trace.txt"));
        EXPECT_TRUE(sim->WaitUntil([&] { return Run({"--port", "0", "get", "Model"}).rc == 0; }));
        sim->ClearTrace();
        return sim;
    }
    CliResult Run(std::vector<std::string> args)
    {
        return RunCli(dir, std::move(args), {"TOOLS700_SETTINGS=" + dir.File("settings.ini")});
    }

    TempDir dir;
};

} // namespace testutil
