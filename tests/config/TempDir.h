// The temporary folder of the tests and small helpers to write and read whole files.
#pragma once

#include "../support/TempDir.h"

#include <fstream>
#include <sstream>
#include <string>

namespace testutil {

using testsupport::TempDir;

inline void WriteText(const std::string &file, const std::string &text)
{
    std::ofstream out(file, std::ios::binary);
    out << text;
}

inline std::string ReadText(const std::string &file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

} // namespace testutil
