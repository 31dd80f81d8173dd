// What the drivesim tests share: drivesim as a child process and a temporary folder (both the
// ones every test uses), the lines of its files, and the simulator channel drained.
#pragma once

#include <string>
#include <vector>

#include "../support/DrivesimProcess.h"
#include "../support/TempDir.h"

namespace drivesim_test {

using SimProcess = testsupport::DrivesimProcess;

using TempDir = testsupport::TempDir;

// The lines of a text file (empty when it does not exist).
std::vector<std::string> ReadLines(const std::string& path);
// Splits a line at single blanks.
std::vector<std::string> Fields(const std::string& line);

// Drains the host-to-drive queue of the simulator channel (requests no simulator read).
void DrainSimulatorQueue();

}  // namespace drivesim_test
