// The drive simulator as a 740-family drive for the firmware tests, with its firmware output
// file and its trace, and small helpers to make image files.
#pragma once

#include "SimProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace firmwaretest {

// Bytes that are not all alike, so a misplaced segment shows.
inline std::vector<std::uint8_t> Pattern(std::size_t n)
{
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 37 + i / 251) & 0xFF);
    return bytes;
}

inline std::vector<std::uint8_t> ReadBytes(const std::string &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FirmwareSimTest : public ::testing::Test {
protected:
    std::string WriteImage(const std::string &name, const std::vector<std::uint8_t> &bytes)
    {
        return dir.Write(name, std::string(bytes.begin(), bytes.end()));
    }

    // A disabled 743 whose accepted image goes to fwFile().
    std::unique_ptr<testutil::SimProcess> StartDrive(std::vector<std::string> more = {})
    {
        std::vector<std::string> options{"--model", "743", "--fwfile", FwFile(), "--erase-ms", "30"};
        options.insert(options.end(), more.begin(), more.end());
        return testutil::StartTraced(options, dir.File("trace.txt"));
    }

    std::string FwFile() const { return dir.File("written.bin"); }

    // The trace lines of one command kind ("UPCR", "LOAD_SEGMENT").
    static std::vector<testutil::TraceLine> Lines(const testutil::SimProcess &sim, const std::string &command)
    {
        std::vector<testutil::TraceLine> out;
        for (const auto &t : sim.Trace())
            if (t.command == command)
                out.push_back(t);
        return out;
    }

    testsupport::TempDir dir;
};

} // namespace firmwaretest
