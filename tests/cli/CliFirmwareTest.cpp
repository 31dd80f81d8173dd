// tools700-cli firmware run as a user would against the drive simulator: a whole upgrade, the
// questions without a terminal, a drive that is not ready, a file that is too large.
#include "CliSimTest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using testutil::CliResult;
using testutil::SimProcess;

namespace {

class CliFirmware : public testutil::CliSimTest {
protected:
    std::string Image(const std::string &name, std::size_t bytes)
    {
        std::string text(bytes, '\0');
        for (std::size_t i = 0; i < bytes; ++i)
            text[i] = static_cast<char>((i * 13 + 5) & 0xFF);
        testutil::WriteText(dir.File(name), text);
        return dir.File(name);
    }
};

TEST_F(CliFirmware, UpgradeWritesTheImageIntoTheDrive)
{
    const std::string written = dir.File("written.bin");
    auto sim = Start({"--model", "743", "--axes", "1", "--fwfile", written, "--erase-ms", "20"});
    const std::string image = Image("fw.bin", 1000);

    // Without a terminal a question is answered No: nothing is written to the drive.
    CliResult declined = Run({"--port", "0", "--axis", "1", "firmware", image});
    EXPECT_EQ(declined.rc, 6) << declined.err;
    EXPECT_NE(declined.err.find("SW5 and SW6"), std::string::npos);
    for (const auto &t : sim->Trace())
        EXPECT_NE(t.command, "UPCR");

    CliResult done = Run({"--port", "0", "--axis", "1", "--yes", "firmware", image, "--erase-nv"});
    ASSERT_EQ(done.rc, 0) << done.err;
    EXPECT_NE(done.out.find("ChkSum"), std::string::npos) << done.out;
    EXPECT_NE(done.out.find("ARM is erasing memory."), std::string::npos);
    EXPECT_NE(done.out.find("The processing is finished: 16 segments"), std::string::npos) << done.out;
    bool eraseNv = false;
    for (const auto &t : sim->Trace())
        eraseNv = eraseNv || (t.command == "UPCR" && t.value.rfind("value=0xCC", 0) == 0);
    EXPECT_TRUE(eraseNv) << "--erase-nv erases the non-volatile memory too";
    sim->Stop();
    EXPECT_EQ(testutil::ReadText(written), testutil::ReadText(image));

    // A small image goes in one segment.
    sim = Start({"--model", "743", "--axes", "1", "--erase-ms", "20"});
    CliResult one = Run({"--port", "0", "--axis", "1", "--yes", "firmware", Image("small.bin", 3)});
    ASSERT_EQ(one.rc, 0) << one.err;
    EXPECT_NE(one.out.find("The processing is finished: 1 segment\n"), std::string::npos) << one.out;
}

TEST_F(CliFirmware, FailuresGiveTheirMessagesAndExitCodes)
{
    auto sim = Start({"--model", "733", "--axes", "1"});
    CliResult notReady = Run({"--port", "0", "--axis", "1", "--yes", "firmware", Image("fw.bin", 10)});
    EXPECT_EQ(notReady.rc, 5);
    EXPECT_NE(notReady.err.find("The OC is not ready to Upgrade FW"), std::string::npos) << notReady.err;

    // An empty image is refused before anything reaches the drive.
    sim->ClearTrace();
    const std::string empty = Image("empty.bin", 0);
    CliResult nothing = Run({"--port", "0", "--axis", "1", "--yes", "firmware", empty});
    EXPECT_EQ(nothing.rc, 3);
    EXPECT_NE(nothing.err.find("The file is empty " + empty), std::string::npos) << nothing.err;
    EXPECT_EQ(nothing.err.find("SW5 and SW6"), std::string::npos) << "no question asked";
    EXPECT_TRUE(sim->Trace().empty());

    const std::string big = Image("big.bin", 262141);
    CliResult tooLarge = Run({"--port", "0", "--axis", "1", "--yes", "firmware", big});
    EXPECT_EQ(tooLarge.rc, 3);
    EXPECT_NE(tooLarge.err.find("The file is too large " + big), std::string::npos) << tooLarge.err;
    EXPECT_EQ(Run({"firmware"}).rc, 2);
    EXPECT_NE(Run({"--help"}).out.find("firmware FILE [--erase-nv]"), std::string::npos);
}

} // namespace
