// The temporary folder of the tests and the motor definition lines they write.
#pragma once

#include "../support/TempDir.h"

#include <cstdio>
#include <string>

namespace motordbtest {

using TempFolder = testsupport::TempDir;

// A definition line of 20 numbers in the format the motor editor saves (no line end).
inline std::string DefinitionLine(double first = 0, double ke = 0.25)
{
    char buf[512];
    std::snprintf(buf, sizeof buf,
                  "%f %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f %f", first, 4096.0,
                  ke, 0.000012, 4.2, 1.3, 8.0, 3.5, 30.0, 1.0, 1.0, 0.0, 0.0, 0.0, 20.0, 0.0,
                  ke, 0.0, 320.0, 0.0);
    return buf;
}

} // namespace motordbtest
