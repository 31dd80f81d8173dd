// The diagnostic checklist's rules on values as a drive reports them, and whole runs against the
// drive simulator: what is read, in which order, and what the list shows.
#include "OnlineSim.h"

#include "comm700.h"
#include "tools700/diagnostics/Checklist.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tools700;
using namespace tools700::diagnostics;

namespace {

// A drive set up to move its motor: every check passes.
DiagnosticValues Healthy()
{
    DiagnosticValues v;
    v.VBus = 320;
    v.CommEnbl = 1;
    v.IlmtMinus = v.IlmtPlus = 100;
    v.VelLmtHi = 6000;
    v.VelLmtLo = -6000;
    v.Kip = 1;
    v.BlkType = 1;
    v.Kpp = 1;
    v.CmdGain = 1;
    v.Kvp = 0.5;
    v.Kvi = 5;
    v.Cfgd = 1;
    return v;
}

std::vector<std::string> FailedLabels(const DiagnosticValues &v)
{
    std::vector<std::string> out;
    for (const FailedCheck &f : RunChecks(v).failures)
        out.push_back(kChecks[f.index].label);
    return out;
}

bool Fails(const DiagnosticValues &v, std::size_t check)
{
    const auto failures = RunChecks(v).failures;
    return std::any_of(failures.begin(), failures.end(), [&](const FailedCheck &f) { return f.index == check; });
}

std::string MessageOf(const DiagnosticValues &v, std::size_t check)
{
    for (const FailedCheck &f : RunChecks(v).failures)
        if (f.index == check)
            return f.message;
    return "";
}

// Records a run as the window would show it; answers Cancel to the failure named `cancelAt`.
struct RecordingView : RunView {
    std::vector<int> progress, dial;
    std::vector<std::string> lines, boxes;
    int uploadFailures = 0;
    std::size_t cancelAt = kCheckCount;
    int exitAtDial = -1;

    bool Progress(int p) override { progress.push_back(p); return true; }
    void AddLine(const std::string &l) override { lines.push_back(l); }
    bool Failed(const FailedCheck &f) override
    {
        boxes.push_back(f.message);
        return f.index != cancelAt;
    }
    bool Dial(int p) override
    {
        dial.push_back(p);
        return p != exitAtDial;
    }
    void UploadFailed() override { ++uploadFailures; }
};

} // namespace

TEST(Checklist, AHealthyDrivePassesEveryCheck)
{
    EXPECT_TRUE(RunChecks(Healthy()).AllPassed());
    // Before the first upload every value is 0: many checks fail, each with its line.
    const ChecklistResult zero = RunChecks(DiagnosticValues{});
    EXPECT_FALSE(zero.AllPassed());
    EXPECT_EQ(zero.failures.front().line, "VBus check .........  failed! <---");
    EXPECT_EQ(zero.failures.back().line, "Configured check....  failed! <---");
}

TEST(Checklist, BothInhibitsMappedToInputs2And4)
{
    DiagnosticValues v = Healthy();
    v.CWInh = v.CCWInh = 1;
    v.InpMap[1] = kCWInhibitHi;
    v.InpMap[3] = kCCWInhibitLo;
    EXPECT_EQ(FailedLabels(v), std::vector<std::string>{"CW and CCW check 1 . "});
    EXPECT_EQ(MessageOf(v, 4), "Both inhibit inputs (CWInh and CCWInh) are asserted.\n"
                               "This will prevent motion in either direction.  You\n"
                               "need to de-assert the inputs (maybe you have\n"
                               "the inhibits programmed with the wrong polarity?).\n"
                               "(CWInhibit is currently mapped to Inp2.)\n"
                               "(CCWInhibit is currently mapped to Inp4.)\n");
    // Unmapped, the message has no mapping lines and checks 2 and 3 fail too.
    v.InpMap[1] = v.InpMap[3] = 0;
    EXPECT_EQ(MessageOf(v, 4).find("mapped"), std::string::npos);
    EXPECT_EQ(FailedLabels(v), (std::vector<std::string>{"CWInh check ........ ", "CCWInh check ....... ",
                                                         "CW and CCW check 1 . "}));
}

TEST(Checklist, ClockwiseInhibitAssertedAndUnmapped)
{
    DiagnosticValues v = Healthy();
    v.CWInh = 1;
    v.InpMap[0] = kFaultResetHi; // another function does not count
    EXPECT_EQ(FailedLabels(v), (std::vector<std::string>{"CWInh check ........ ", "CW and CCW check 2 . "}));
    EXPECT_EQ(MessageOf(v, 5), "The clockwise inhibit is asserted at the moment.\n"
                               "This will prevent motion in the clockwise direction.\n");
    v.CWInh = 0;
    v.CCWInh = 1;
    EXPECT_EQ(FailedLabels(v), (std::vector<std::string>{"CCWInh check ....... ", "CW and CCW check 3 . "}));
}

TEST(Checklist, LimitsAtTheirBounds)
{
    DiagnosticValues v = Healthy();
    v.VelLmtLo = -80;
    EXPECT_FALSE(Fails(v, 11));
    v.VelLmtLo = -79.9;
    EXPECT_TRUE(Fails(v, 11));
    v = Healthy();
    v.VelLmtHi = 80;
    EXPECT_FALSE(Fails(v, 10));
    v.VelLmtHi = 79.99;
    EXPECT_TRUE(Fails(v, 10));
    v = Healthy();
    v.IlmtPlus = 10;
    v.IlmtMinus = 9.9;
    EXPECT_EQ(FailedLabels(v), std::vector<std::string>{"IlmtMinus check .... "});
    v = Healthy();
    v.VBus = 119.7;
    EXPECT_EQ(MessageOf(v, 1), "The bus voltage is abnormally low.\n"
                               "The present value is 119 volts.\n"
                               "Check to make sure that you have the correct\n"
                               "wiring for the bus power on the connector marked TB1.");
    v.VBus = 120;
    EXPECT_FALSE(Fails(v, 1));
}

TEST(Checklist, TorqueBlockGainsOnlyCountForBlkType0)
{
    DiagnosticValues v = Healthy();
    v.BlkType = 0;
    v.Kvi = 0;
    for (double kvp : {1.0, 0.99, 1.01})
        EXPECT_FALSE((v.Kvp = kvp, Fails(v, 15))) << kvp;
    v.Kvp = 1.02;
    EXPECT_TRUE(Fails(v, 15));
    v.Kvi = 0.5;
    EXPECT_TRUE(Fails(v, 16));
    v.BlkType = 1;
    EXPECT_TRUE(RunChecks(v).AllPassed()) << "any Kvp and Kvi with an analog velocity block";
}

TEST(Checklist, CommandGainAndPositionGain)
{
    DiagnosticValues v = Healthy();
    v.CmdGain = 0;
    for (int blk : {2, 8})
        EXPECT_FALSE((v.BlkType = blk, Fails(v, 14))) << blk;
    for (int blk : {0, 1, 4, 5})
        EXPECT_TRUE((v.BlkType = blk, Fails(v, 14))) << blk;
    v = Healthy();
    v.Kpp = 0;
    EXPECT_FALSE(Fails(v, 13));
    v.BlkType = 2.9; // truncated toward zero
    EXPECT_TRUE(Fails(v, 13));
    v.Kip = 0;
    v.CommEnbl = 0;
    EXPECT_EQ(FailedLabels(v),
              (std::vector<std::string>{"CommEnbl check ..... ", "Kip check .......... ", "Kpp check .......... "}));
}

TEST(Checklist, FaultResetNamesTheInputItIsMappedTo)
{
    DiagnosticValues v = Healthy();
    v.FaultReset = 1;
    v.InpMap[2] = kFaultResetHi;
    EXPECT_EQ(MessageOf(v, 0), "FaultReset is asserted on the drive!\n"
                               "This will prevent the drive from being\n"
                               "enabled.  FaultReset is currently mapped\n"
                               "to Inp3.  You must turn this input off\n"
                               "in order to enable the drive.");
    v.InpMap[2] = 0;
    v.InpMap[4] = kFaultResetLo;
    EXPECT_NE(MessageOf(v, 0).find("to Inp5."), std::string::npos);
    v.InpMap[4] = 0;
    EXPECT_EQ(MessageOf(v, 0).rfind("The FaultReset bit is asserted on the drive,\n", 0), 0u);
    EXPECT_EQ(FindMappedInput(v, kFaultResetHi, kFaultResetLo), 0);
}

TEST(Checklist, AnUnconfiguredDriveFails)
{
    DiagnosticValues v = Healthy();
    v.Cfgd = 0;
    EXPECT_EQ(FailedLabels(v), std::vector<std::string>{"Configured check.... "});
    EXPECT_EQ(MessageOf(v, 17), "This drive is not configured!");
}

TEST(Checklist, AFaultedDriveAddsItsFaultLinesAndFails)
{
    DiagnosticValues v = Healthy();
    v.Fault = 1;
    v.FaultCode = 2;
    const ChecklistResult r = RunChecks(v);
    ASSERT_EQ(r.faultLines.size(), 3u);
    EXPECT_EQ(r.faultLines[0], "Drive is faulted!");
    EXPECT_EQ(r.faultLines[1].rfind("  FaultCode : ", 0), 0u);
    EXPECT_GT(r.faultLines[1].size(), std::string("  FaultCode : ").size()) << "the fault's text";
    EXPECT_EQ(r.faultLines[2].rfind("  ExtFault  : ", 0), 0u);
    EXPECT_TRUE(r.failures.empty());
    EXPECT_FALSE(r.AllPassed());
}

class ChecklistRun : public testutil::OnlineSimTest {};

TEST_F(ChecklistRun, AConfiguredDriveReadsTheValuesInOrderAndPasses)
{
    auto sim = Start({"--model", "733", "--configured"});
    ASSERT_EQ(PutVar700("CommEnbl", 1), 0);
    sim->ClearTrace();
    DiagnosticValues values;
    RecordingView view;
    const RunEnd end = diagnostics::Run(values, view);
    std::vector<std::string> reads;
    for (const testutil::TraceLine &t : sim->Trace())
        reads.push_back(t.command.substr(0, 3) + " " + t.name);
    std::vector<std::string> expected;
    for (const char *n : kValueNames)
        expected.push_back(std::string("GET ") + n);
    ASSERT_EQ(reads.size(), expected.size());
    for (std::size_t i = 0; i < reads.size(); ++i)
        EXPECT_TRUE(testutil::SameName(reads[i], expected[i])) << reads[i] << " / " << expected[i];
    ASSERT_EQ(view.progress.size(), kValueCount);
    EXPECT_EQ(view.progress.front(), 0);
    EXPECT_EQ(view.progress.back(), 96);
    // The dial: each check's row, then 19 to 100.
    ASSERT_EQ(view.dial.size(), kCheckCount + 82);
    EXPECT_EQ(view.dial[17], 17);
    EXPECT_EQ(view.dial[18], 19);
    EXPECT_EQ(view.dial.back(), 100);
    // What the simulated drive reports decides the list: whatever failed is listed with a box.
    const ChecklistResult expect = RunChecks(values);
    EXPECT_EQ(view.boxes.size(), expect.failures.size());
    EXPECT_EQ(view.lines.back(), kDone);
    EXPECT_EQ(view.lines[view.lines.size() - 2], expect.AllPassed() ? kAllPassed : kSomeFailed);
    EXPECT_EQ(end, RunEnd::Completed);
    EXPECT_NE(values.Cfgd, 0) << "the simulator was started configured";
    EXPECT_FALSE(Fails(values, 17));
}

TEST_F(ChecklistRun, AFaultedDriveListsItsFaultAndCancelEndsTheRun)
{
    auto sim = Start({"--model", "733", "--fault", "2"});
    // Both inhibits asserted: Cancel at the check of both.
    ASSERT_EQ(PutVar700("CWInh", 1), 0);
    ASSERT_EQ(PutVar700("CCWInh", 1), 0);
    DiagnosticValues values;
    RecordingView view;
    view.cancelAt = 4;
    EXPECT_EQ(diagnostics::Run(values, view), RunEnd::Aborted);
    ASSERT_GE(view.lines.size(), 5u);
    EXPECT_EQ(view.lines[0], "Drive is faulted!");
    EXPECT_EQ(view.lines.back(), kAborted);
    EXPECT_EQ(view.lines[view.lines.size() - 2], "CW and CCW check 1 .  failed! <---");
    EXPECT_EQ(view.dial.size(), 4u) << "the dial stopped before the cancelled check";
    EXPECT_EQ(view.boxes.back().rfind("Both inhibit inputs (CWInh and CCWInh) are asserted.\n", 0), 0u);
    EXPECT_EQ(std::count(view.lines.begin(), view.lines.end(), std::string(kSomeFailed)), 0);
}

TEST_F(ChecklistRun, ExitDuringTheSweepLeavesNoSummary)
{
    auto sim = Start({"--model", "733", "--configured"});
    DiagnosticValues values;
    RecordingView view;
    view.exitAtDial = 40;
    EXPECT_EQ(diagnostics::Run(values, view), RunEnd::Interrupted);
    EXPECT_EQ(view.dial.back(), 40);
    EXPECT_TRUE(view.lines.empty() || view.lines.back() != kDone);
}

TEST_F(ChecklistRun, ASilentDriveFailsTheUpload)
{
    auto sim = Start({"--model", "733"});
    // Taking the drive away: the first read fails and no check runs.
    sim->Stop();
    DiagnosticValues values;
    values.VBus = 7;
    RecordingView view;
    EXPECT_EQ(diagnostics::Run(values, view), RunEnd::UploadFailed);
    EXPECT_EQ(view.uploadFailures, 1);
    EXPECT_EQ(view.progress, std::vector<int>{0});
    EXPECT_TRUE(view.lines.empty());
    EXPECT_TRUE(view.dial.empty());
    EXPECT_EQ(values.VBus, 7) << "nothing read, nothing overwritten";
}
