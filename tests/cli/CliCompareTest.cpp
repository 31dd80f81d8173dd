// tools700-cli diff, send and take against the drive simulator: what cannot be compared is listed,
// send writes only what differs in the download's order, take brings the drive's values home.
#include "../config/ListingText.h"
#include "CliSimTest.h"

#include <gtest/gtest.h>

#include <algorithm>

using testutil::CliResult;

namespace {

class CliCompare : public testutil::CliSimTest {
protected:
    // The drive's configuration as `upload` writes it, with ARZ0/ARZ1 first brought into the
    // bounds the simulator enforces on writes (their defaults lie outside).
    std::string Uploaded(bool writable = true)
    {
        if (writable) {
            EXPECT_EQ(Run({"--port", "0", "set", "ARZ0", "100"}).rc, 0);
            EXPECT_EQ(Run({"--port", "0", "set", "ARZ1", "1000"}).rc, 0);
        }
        const std::string file = dir.File("drive.cfg");
        EXPECT_EQ(Run({"--port", "0", "upload", file}).rc, 0);
        return file;
    }
    void SetLine(const std::string &file, const std::string &name, const std::string &value)
    {
        std::string text = testutil::ReadText(file);
        const size_t at = text.find("\n" + name + " = ");
        ASSERT_NE(at, std::string::npos) << name;
        text.replace(at + 1, text.find('\n', at + 1) - at - 1, name + " = " + value);
        testutil::WriteText(file, text);
    }
    void DropLine(const std::string &file, const std::string &name)
    {
        std::string text = testutil::ReadText(file);
        const size_t at = text.find("\n" + name + " = ");
        ASSERT_NE(at, std::string::npos) << name;
        text.erase(at + 1, text.find('\n', at + 1) - at);
        testutil::WriteText(file, text);
    }
    // "PUT name" / "EXE name" of the requests that change the drive.
    static std::vector<std::string> Writes(const testutil::SimProcess &sim)
    {
        std::vector<std::string> out;
        for (const auto &t : sim.Trace())
            if (t.command.rfind("PUT", 0) == 0 || t.command == "EXEC")
                out.push_back(t.command.substr(0, 3) + " " + t.name);
        return out;
    }
};

TEST_F(CliCompare, DiffListsWhatCannotBeComparedAndPrintsThePdf)
{
    auto sim = Start({"--model", "733"});
    const std::string file = Uploaded(false);
    // The same drive again, refusing to tell its Kvi.
    sim.reset();
    sim = Start({"--model", "733", "--refuse", "Kvi=65"});
    DropLine(file, "Kpp");
    SetLine(file, "Kvp", "12.500000");
    const std::string pdf = dir.File("diff.pdf");
    CliResult diff = Run({"--port", "0", "diff", file, "--pdf", pdf});
    EXPECT_EQ(diff.rc, 1) << diff.err;
    EXPECT_NE(diff.out.find("Kpp: not in the file, drive 15\n"), std::string::npos) << diff.out;
    EXPECT_NE(diff.out.find("Kvi: file 0, drive not readable (READONLY)\n"), std::string::npos) << diff.out;
    EXPECT_NE(diff.out.find("Kvp: file 12.5, drive 0\n"), std::string::npos) << diff.out;
    EXPECT_EQ(std::count(diff.out.begin(), diff.out.end(), '\n'), 3);
    if (testutil::HavePdfToText()) {
        const auto pages = testutil::NormalizedPages(testutil::PdfToText(pdf));
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_EQ(pages[0][0].rfind(file + " compared with the SV733 ", 0), 0u) << pages[0][0];
        EXPECT_EQ(pages[0][1].rfind("3 differences, ", 0), 0u);
        EXPECT_NE(std::find(pages[0].begin(), pages[0].end(), "file: 12.5 amps/rad/sec"), pages[0].end());
    }
    EXPECT_EQ(Run({"--port", "0", "diff", file, "--full"}).rc, 2);

    // A file of another model: compared after the warning, which names both.
    const std::string other = dir.File("other.cfg");
    testutil::WriteText(other, "Model = 734.000000\n");
    CliResult warned = Run({"--port", "0", "diff", other});
    EXPECT_EQ(warned.rc, 1);
    EXPECT_NE(warned.err.find("Warning: This configuration is for an SV734 drive, but the drive is an SV733."),
              std::string::npos)
        << warned.err;
    EXPECT_NE(warned.out.find("Model: file 734 (SV734), drive 733 (SV733)\n"), std::string::npos);
}

TEST_F(CliCompare, SendWritesOnlyWhatDiffersInTheDownloadsOrderAndTakeBringsTheDriveHome)
{
    auto sim = Start({"--model", "733"});
    const std::string file = Uploaded();
    SetLine(file, "Kvp", "12.500000");
    SetLine(file, "BlkType", "5.000000");
    sim->ClearTrace();
    CliResult send = Run({"--port", "0", "send", file, "--nvsave"});
    ASSERT_EQ(send.rc, 0) << send.err;
    EXPECT_EQ(send.out, "Sending BlkType, Kvp\n2 sent and saved to NV ram\n");
    EXPECT_EQ(Writes(*sim), (std::vector<std::string>{"PUT Enable", "PUT BlkType", "PUT BlkType", "PUT Kvp",
                                                      "EXE TableGen", "PUT Enable", "EXE NVSave"}));
    EXPECT_EQ(Run({"--port", "0", "diff", file}).rc, 0);

    // The drive is enabled now: a second send is refused without a write.
    SetLine(file, "Kvi", "3.500000");
    sim->ClearTrace();
    CliResult refused = Run({"--port", "0", "send", file, "--nvsave"});
    EXPECT_EQ(refused.rc, 5);
    EXPECT_NE(refused.err.find("The drive is enabled and unabled to write to drive now-- download aborted"),
              std::string::npos);
    EXPECT_TRUE(Writes(*sim).empty());

    // Take: the drive's Kvi back into the file, nothing else changes.
    const std::string before = testutil::ReadText(file);
    CliResult take = Run({"--port", "0", "take", file, "kvi"});
    ASSERT_EQ(take.rc, 0) << take.err;
    EXPECT_EQ(take.out, "1 taken from the drive into " + file + ": Kvi\n");
    std::string want = before;
    want.replace(want.find("Kvi = 3.500000"), 14, "Kvi = 0.000000");
    EXPECT_EQ(testutil::ReadText(file), want);
    EXPECT_EQ(Run({"--port", "0", "diff", file}).rc, 0);
    EXPECT_EQ(Run({"--port", "0", "take", file, "NoSuchName"}).rc, 2);
}

} // namespace
