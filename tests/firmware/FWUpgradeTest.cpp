// The upgrade procedure against the drive simulator: the handshake, the erase, the segments, and
// how each failure ends it.
#include "FirmwareSim.h"

#include "comm700.h"
#include "tools700/firmware/FWUpgrade.h"

namespace firmwaretest {
namespace {

using namespace tools700::firmware;
using Upgrade = FirmwareSimTest;

// Steps until the procedure leaves `phase`; gives the phase it reached.
Phase RunWhile(FWUpgrade &up, Phase phase)
{
    while (up.GetPhase() == phase)
        up.Step();
    return up.GetPhase();
}

Phase RunToEnd(FWUpgrade &up)
{
    while (up.Running())
        up.Step();
    return up.GetPhase();
}

TEST_F(Upgrade, WholeImageReachesTheDrive)
{
    auto sim = StartDrive();
    ASSERT_EQ(SetAxis700(1), 0);
    FWFuns fw;
    const auto bytes = Pattern(5000);
    fw.LoadImage(WriteImage("fw.bin", bytes));
    FWUpgrade up(fw);
    up.Start(false);
    EXPECT_EQ(up.GetPhase(), Phase::Erasing);
    EXPECT_EQ(RunWhile(up, Phase::Erasing), Phase::Programming);
    EXPECT_EQ(up.View().phaseText, kEraseFinished);
    EXPECT_EQ(up.View().progressMax, 5004);
    EXPECT_EQ(up.View().progressPos, 0);

    // After each programmed segment the remainder and the progress follow.
    RunWhile(up, Phase::Programming);
    ASSERT_EQ(up.GetPhase(), Phase::Finished) << up.Failure();
    EXPECT_EQ(up.View().phaseText, kFinished);
    EXPECT_EQ(up.View().numberText, "");
    EXPECT_EQ(up.View().progressPos, 5004);
    EXPECT_EQ(up.Segments(), 79);

    const auto upcr = Lines(*sim, "UPCR");
    ASSERT_GE(upcr.size(), 4u);
    EXPECT_EQ(upcr[0].name, "read");
    EXPECT_EQ(upcr[1].name, "write");
    EXPECT_EQ(upcr[1].value.substr(0, 10), "value=0xC0");
    EXPECT_EQ(upcr[2].value.substr(0, 10), "value=0xC8") << "no erase of the NV memory unless asked";
    sim->Stop();
    EXPECT_EQ(ReadBytes(FwFile()), bytes);
}

TEST_F(Upgrade, RemainderIsShownAfterEachSegment)
{
    auto sim = StartDrive();
    ASSERT_EQ(SetAxis700(1), 0);
    FWFuns fw;
    fw.LoadImage(WriteImage("130.bin", Pattern(130)));
    FWUpgrade up(fw);
    up.Start(true);
    RunWhile(up, Phase::Erasing);
    std::vector<std::string> remainders;
    std::vector<int> positions;
    while (up.Running()) {
        const long before = up.Segments();
        up.Step();
        if (up.View().phaseText == kRemainder && up.Segments() == before) {
            if (remainders.empty() || remainders.back() != up.View().numberText) {
                remainders.push_back(up.View().numberText);
                positions.push_back(up.View().progressPos);
            }
        }
    }
    EXPECT_EQ(up.GetPhase(), Phase::Finished);
    EXPECT_EQ(remainders, (std::vector<std::string>{"70", "6"}));
    EXPECT_EQ(positions, (std::vector<int>{64, 128}));

    // "Erase Non-volatile Memory": 0x40, then 0x4C, each with the bits read at the start (0x80).
    const auto upcr = Lines(*sim, "UPCR");
    ASSERT_GE(upcr.size(), 3u);
    EXPECT_EQ(upcr[1].value.substr(0, 10), "value=0xC0");
    EXPECT_EQ(upcr[2].value.substr(0, 10), "value=0xCC");
    const auto segs = Lines(*sim, "LOAD_SEGMENT");
    ASSERT_EQ(segs.size(), 3u);
    EXPECT_EQ(segs[2].value.substr(0, 20), "control=0xF0,count=6");
}

TEST_F(Upgrade, DriveNotReadyStopsBeforeAnyWrite)
{
    // A 730-family drive has no firmware loader: its UPCR never reads ready.
    auto sim = testutil::StartTraced({"--model", "733"}, dir.File("trace.txt"));
    ASSERT_EQ(SetAxis700(1), 0);
    sim->ClearTrace();
    FWFuns fw;
    fw.LoadImage(WriteImage("fw.bin", {1, 2, 3}));
    FWUpgrade up(fw);
    up.Start(false);
    EXPECT_EQ(RunToEnd(up), Phase::Failed);
    EXPECT_EQ(up.Failure(), kNotReady);
    const auto trace = sim->Trace();
    ASSERT_EQ(trace.size(), 1u);
    EXPECT_EQ(trace[0].command, "UPCR");
    EXPECT_EQ(trace[0].name, "read");
    EXPECT_TRUE(Lines(*sim, "LOAD_SEGMENT").empty());
}

TEST_F(Upgrade, ProgrammingFaultAndSilentDriveEndWithTheirMessages)
{
    auto sim = StartDrive();
    ASSERT_EQ(SetAxis700(1), 0);
    FWFuns fw;
    fw.LoadImage(WriteImage("fw.bin", Pattern(200)));
    // A word damaged in memory after loading: the drive's checksum test fails on the last segment.
    fw.words[10] ^= 0x01;
    FWUpgrade up(fw);
    up.Start(false);
    EXPECT_EQ(RunToEnd(up), Phase::Failed);
    EXPECT_EQ(up.Failure(), kProgrammingFault);
    EXPECT_EQ(fw.remaining, 0) << "the fault came with the last segment";

    // A new start sends the whole image again, from an erase.
    fw.words[10] ^= 0x01;
    up.Start(false);
    EXPECT_EQ(fw.remaining, fw.total);
    EXPECT_EQ(RunToEnd(up), Phase::Finished) << up.Failure();

    // The drive stops answering while segments are programmed.
    up.Start(false);
    RunWhile(up, Phase::Erasing);
    ASSERT_EQ(up.GetPhase(), Phase::Programming);
    up.Step();
    sim->Stop();
    EXPECT_EQ(RunToEnd(up), Phase::Failed);
    EXPECT_EQ(up.Failure(), kCommunicationError);
}

TEST_F(Upgrade, StoppedProcedureMakesNoFurtherExchange)
{
    auto sim = StartDrive({"--erase-ms", "2000"});
    ASSERT_EQ(SetAxis700(1), 0);
    FWFuns fw;
    fw.LoadImage(WriteImage("fw.bin", Pattern(300)));
    FWUpgrade up(fw);
    up.Start(false);
    for (int i = 0; i < 10; ++i)
        up.Step();
    EXPECT_EQ(up.GetPhase(), Phase::Erasing);
    EXPECT_EQ(up.View().phaseText, kErasing);
    up.Stop();
    const std::size_t seen = sim->Trace().size();
    EXPECT_EQ(up.Step(), Phase::Idle);
    EXPECT_EQ(sim->Trace().size(), seen);
    EXPECT_TRUE(Lines(*sim, "LOAD_SEGMENT").empty());

    // Without an image nothing starts.
    FWFuns empty;
    FWUpgrade none(empty);
    none.Start(false);
    EXPECT_EQ(none.GetPhase(), Phase::Idle);
}

} // namespace
} // namespace firmwaretest
