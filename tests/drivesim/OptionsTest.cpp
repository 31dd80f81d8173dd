// drivesim's command line: help, and clear messages for options it cannot use.
#include <gtest/gtest.h>

#include "SimSupport.h"

namespace drivesim_test {
namespace {

TEST(DrivesimOptions, HelpListsEveryOption)
{
    std::string out, err;
    ASSERT_EQ(SimProcess::Run({"--help"}, out, err), 0);
    for (const char* opt : {"--device", "--pty", "--model", "--axes", "--drop", "--corrupt", "--seed",
                            "--delay", "--refuse", "--silent", "--pace", "--nvfile", "--log", "--trace",
                            "--rcal", "--configured", "--serial-control", "--mfglock-stuck", "--fault",
                            "--fwfile", "--erase-ms", "--conflict", "--step", "--motor", "--inertia-ratio"})
        EXPECT_NE(out.find(opt), std::string::npos) << opt;
}

TEST(DrivesimOptions, BadOptionsEndWithAMessage)
{
    struct Case {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--model", "999"}, "unknown drive model"},
        {{"--axes", "1,1"}, "--axes"},
        {{"--axes", "256"}, "--axes"},
        {{"--axes", "1:999"}, "unknown drive model '999' for axis 1"},
        {{"--axes", "1:733,1:743"}, "--axes"},
        {{"--conflict", "0"}, "--conflict"},
        {{"--conflict", "3", "--conflict", "3"}, "--conflict"},
        {{"--drop", "1.5"}, "--drop"},
        {{"--refuse", "Kvp"}, "NAME=CODE"},
        {{"--refuse", "Kvp=200"}, "NAME=CODE"},
        {{"--refuse", "NoSuchVariable=65"}, "no variable or command is named"},
        {{"--fault", "x"}, "--fault"},
        {{"--bogus"}, "unknown option"},
        {{"--pty", "--device", "/dev/null"}, "exclude"},
        {{"--trace"}, "needs a value"},
        {{"--step", "0"}, "--step: expected RPM[,MS]"},
        {{"--step", "100,5"}, "--step: expected RPM[,MS]"},
        {{"--step", "100,"}, "--step: expected RPM[,MS]"},
        {{"--step", "fast"}, "--step: expected RPM[,MS]"},
        {{"--motor", "NoSuchMotor"}, "--motor: the motor database has no motor 'NoSuchMotor'"},
        {{"--inertia-ratio", "-1"}, "--inertia-ratio"},
    };
    for (const auto& c : cases) {
        std::string out, err;
        EXPECT_EQ(SimProcess::Run(c.args, out, err), 2) << c.args[0];
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
    }
}

TEST(DrivesimOptions, UnopenableDeviceIsReported)
{
    std::string out, err;
    EXPECT_EQ(SimProcess::Run({"--device", "/nonexistent/tty"}, out, err), 1);
    EXPECT_NE(err.find("/nonexistent/tty"), std::string::npos) << err;
    EXPECT_EQ(SimProcess::Run({"--device", "/dev/null"}, out, err), 1);
    EXPECT_NE(err.find("not a serial device"), std::string::npos) << err;
}

}  // namespace
}  // namespace drivesim_test
