// The on-line window's drive commands against the drive simulator: the fault reset around an
// input mapped to Fault Reset (the writes as the drive receives them), NV load's question, NV
// save's communication check and the command captions.
#include "OnlineSim.h"

#include "comm700.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/common/Session.h"
#include "tools700/online/DriveCommands.h"

#include <gtest/gtest.h>

using namespace tools700;
using namespace tools700::online;

namespace {

class DriveCommandsTest : public testutil::OnlineSimTest {
protected:
    // The input maps as the window's fault reset finds them: input 3 alone mapped to Fault Reset.
    std::unique_ptr<testutil::SimProcess> FaultedWithInput3(double code)
    {
        auto sim = Start({"--model", "733", "--configured", "--fault", "2"});
        for (int n = 1; n <= 6; ++n)
            EXPECT_EQ(PutVar700(("InpMap" + std::to_string(n)).c_str(), n == 3 ? code : 0), 0);
        sim->ClearTrace();
        return sim;
    }

    static std::vector<std::string> Writes(const testutil::SimProcess &sim)
    {
        std::vector<std::string> out;
        for (const std::string &r : Requests(sim))
            if (r.rfind("PUT", 0) == 0)
                out.push_back(r.substr(r.find(' ') + 1));
        return out;
    }

    static double Read(const char *name)
    {
        double v = -1;
        EXPECT_EQ(GetVar700(name, &v), 0) << name;
        return v;
    }
};

} // namespace

TEST_F(DriveCommandsTest, FaultResetOverridesAMappedInputWhenTheUserSaysYes)
{
    auto sim = FaultedWithInput3(32769);
    ScriptedMessages messages({Answer::Yes});
    ResetFault(messages);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, BoxKind::Warning);
    EXPECT_EQ(messages.shown()[0].buttons, unsigned(BtnYes | BtnNo));
    EXPECT_EQ(messages.texts()[0],
              "Whoops!  FaultReset is currently mapped to Inp3!\n\nDo you want to temporarily override this mapping?");
    EXPECT_EQ(Writes(*sim), (std::vector<std::string>{"InpMap3 0", "FaultReset 1", "FaultReset 0", "InpMap3 32769"}));
    // The reads stop at the mapped input.
    std::vector<std::string> reads;
    for (const std::string &r : Requests(*sim))
        if (r.rfind("GET", 0) == 0)
            reads.push_back(r.substr(r.find(' ') + 1, r.rfind(' ') - r.find(' ') - 1));
    EXPECT_EQ(reads, (std::vector<std::string>{"InpMap1", "InpMap2", "InpMap3"}));
    EXPECT_EQ(Read("InpMap3"), 32769);
    EXPECT_EQ(Read("DriveStatus"), 3) << "the fault is reset; the drive is disabled";
}

TEST_F(DriveCommandsTest, FaultResetAnsweredNoSendsThePlainPulse)
{
    auto sim = FaultedWithInput3(1);
    ScriptedMessages messages({Answer::No});
    ResetFault(messages);
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_NE(messages.texts()[0].find("Inp3!"), std::string::npos);
    EXPECT_EQ(Writes(*sim), (std::vector<std::string>{"FaultReset 1", "FaultReset 0"}));
    EXPECT_EQ(sim->Trace().size(), 8u) << "six map reads, then the pulse";
    EXPECT_EQ(Read("InpMap3"), 1);
}

TEST_F(DriveCommandsTest, FaultResetWithoutAMappedInputAsksNothing)
{
    auto sim = FaultedWithInput3(0);
    ScriptedMessages messages;
    ResetFault(messages);
    EXPECT_TRUE(messages.texts().empty());
    EXPECT_EQ(Writes(*sim), (std::vector<std::string>{"FaultReset 1", "FaultReset 0"}));
}

TEST_F(DriveCommandsTest, AnUnreadableInputMapStopsTheFaultResetWithoutAPulse)
{
    auto sim = Start({"--model", "733", "--fault", "2", "--refuse", "InpMap2=68"});
    ASSERT_EQ(PutVar700("InpMap1", 0), 0);
    sim->ClearTrace();
    ScriptedMessages messages;
    ResetFault(messages);
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"Can't read input map status!"}));
    EXPECT_EQ(messages.shown()[0].kind, BoxKind::Plain);
    EXPECT_TRUE(Writes(*sim).empty());
}

TEST_F(DriveCommandsTest, CommandsCaptionsQuestionsAndTheCommunicationCheck)
{
    {
        auto sim = Start({"--model", "733", "--refuse", "NVLoad=67"});
        EXPECT_EQ(RunCommand("NVSave"), "Ok!");
        EXPECT_EQ(RunCommand("NVLoad"), "Failed!");
        EXPECT_EQ(RunCommand("Unconfigure"), "Ok!");
        auto requests = Requests(*sim);
        ASSERT_EQ(requests.size(), 3u);
        EXPECT_EQ(requests[0], "EXEC NVSave -");
        EXPECT_EQ(requests[2], "EXEC Unconfigure -");

        ScriptedMessages messages;
        EXPECT_TRUE(CheckCommunication(messages));
        EXPECT_TRUE(messages.texts().empty());
        // Only a SERCOS-capable drive asks before NV load.
        EXPECT_TRUE(ConfirmNvLoad(733, messages));
        EXPECT_TRUE(messages.texts().empty());
    }
    ScriptedMessages no({Answer::No});
    EXPECT_FALSE(ConfirmNvLoad(743, no));
    ASSERT_EQ(no.shown().size(), 1u);
    EXPECT_EQ(no.shown()[0].kind, BoxKind::Confirmation);
    EXPECT_EQ(no.texts()[0], "Performing an NVLOAD will overwrite IDN values currently being used with the last "
                             "values saved using NVSAVE.  \nAre you sure?");
    ScriptedMessages yes({Answer::Yes});
    EXPECT_TRUE(ConfirmNvLoad(1745, yes));

    // No drive: the check warns.
    ScriptedMessages messages;
    EXPECT_FALSE(CheckCommunication(messages));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, BoxKind::Warning);
    EXPECT_EQ(messages.shown()[0].buttons, unsigned(BtnOk));
    EXPECT_EQ(messages.texts()[0], "Unable to communicate with drive!");
}

TEST(PollingSuspended, TheMonitorPausesForTheCommandAndResumesAfterAnError)
{
    Session session;
    std::vector<bool> calls;
    session.SetStatusPolling([&](bool on) { calls.push_back(on); });
    try {
        const PollingSuspended suspended(session);
        EXPECT_EQ(calls, std::vector<bool>{false});
        throw std::runtime_error("command failed");
    } catch (const std::runtime_error &) {
    }
    EXPECT_EQ(calls, (std::vector<bool>{false, true}));
}
