// The drive simulator for the on-line tools' tests, with its trace of the requests it received.
#pragma once

#include "SimProcess.h"
#include "../support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace testutil {

// Comma-separated names or values of a trace line.
inline std::vector<std::string> Split(const std::string &list)
{
    std::vector<std::string> out;
    std::stringstream in(list);
    std::string item;
    while (std::getline(in, item, ','))
        out.push_back(item);
    return out;
}

class OnlineSimTest : public ::testing::Test {
protected:
    // Starts drivesim and waits until it answers; the trace starts empty.
    std::unique_ptr<SimProcess> Start(std::vector<std::string> options)
    {
        return testutil::StartTraced(std::move(options), dir.File("trace.txt"));
    }

    // "COMMAND name value" of every request so far.
    static std::vector<std::string> Requests(const SimProcess &sim)
    {
        std::vector<std::string> out;
        for (const TraceLine &t : sim.Trace())
            out.push_back(t.command + " " + t.name + " " + t.value);
        return out;
    }

    testsupport::TempDir dir;
};

} // namespace testutil
