// The Compare window's workflow against the drive simulator: the ticked rows sent in the
// download's order and nothing else, the refusals of Download, Take from Drive into the
// configuration or the file, both drive families.
#include "../support/TraceOrder.h"
#include "SimTest.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/common/Session.h"
#include "tools700/compare/CompareWorkflow.h"
#include "tools700/config/TextCanvas.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace tools700;
using testutil::SimProcess;
using wizardtest::Request;

namespace {

class CompareWorkflowTest : public testutil::SimTest {
protected:
    // Reads the drive as the window does (another model accepted) and shows the result.
    static void Read(CompareWorkflow &w)
    {
        w.Show(CompareWorkflow::Read(w.MakeSnapshot(), [](const std::string &) { return true; }));
    }
    static std::vector<std::string> Names(const std::vector<const ComparedVariable *> &rows)
    {
        std::vector<std::string> out;
        for (const ComparedVariable *v : rows)
            out.push_back(v->name);
        return out;
    }
    Session session;
};

TEST_F(CompareWorkflowTest, SendWritesOnlyTheTickedRowsInDownloadsOrderThenReadsAgain)
{
    for (const char *model : {"733", "1743"}) {
        const bool f740 = std::string(model) == "1743";
        auto sim = Start(Writable(model));
        Cfg edited(std::stoi(model));
        edited.Load(UploadedFile(std::stoi(model)));
        for (const char *name : {"Kvp", "Kvi", "ILmtMinus", "VelLmtHi", "RemoteFB"})
            edited.Set(name, std::string(name) == "RemoteFB" ? 2 : 33);
        CompareWorkflow w;
        w.OpenConfiguration(edited, "edited");
        Read(w);
        ASSERT_TRUE(w.Compared()) << model;
        EXPECT_EQ(Names(w.Rows(false)), (std::vector<std::string>{"ILmtMinus", "Kvi", "Kvp", "RemoteFB", "VelLmtHi"}));
        EXPECT_EQ(w.Rows(true).size(), w.Current().variables.size());

        w.SetTicked("velLmtHi", true);
        w.SetTicked("RemoteFB", true);
        w.SetTicked("Kvi", true);
        w.SetTicked("Kvi", false);
        w.SetTicked("Model", true); // the drive's own: never ticked
        const std::vector<std::string> ticked = w.TickedNames();
        EXPECT_EQ(ticked, (std::vector<std::string>{"RemoteFB", "VelLmtHi"}));

        sim->ClearTrace();
        ScriptedMessages messages({Answer::Yes});
        const DownloadOutcome out = CompareWorkflow::Send(session, messages, w.MakeSnapshot(), ticked, {});
        EXPECT_TRUE(out.downloaded);
        EXPECT_TRUE(out.savedToNv);
        std::vector<Request> want{{"GET", "AxisAddr"}, {"GET", "Model"}};
        if (f740)
            want.emplace_back("GET", "MfgLock");
        want.emplace_back("GET", "Enabled");
        for (const auto &r : wizardtest::DownloadRequests(edited.ListForModel(std::stoi(model)), &ticked))
            want.push_back(r);
        want.emplace_back("EXE", "NVSave");
        const std::vector<Request> traced = wizardtest::TracedRequests(sim->Trace());
        EXPECT_TRUE(wizardtest::SameRequests(traced, want)) << model;
        EXPECT_EQ(traced[want.size() - 4], (Request{"PUT", "VelLmtHi"}));

        Read(w);
        EXPECT_EQ(Names(w.Rows(false)), (std::vector<std::string>{"ILmtMinus", "Kvi", "Kvp"}));
        EXPECT_TRUE(w.TickedNames().empty()) << "a new reading starts without ticks";
    }
}

TEST_F(CompareWorkflowTest, AnEnabledDriveAndOneUnderSercosControlGetNothing)
{
    for (const char *model : {"743", "733"}) {
        std::vector<std::string> options{"--model", model};
        if (std::string(model) == "733")
            options.push_back("--configured");
        auto sim = Start(options);
        if (std::string(model) == "733") {
            ASSERT_EQ(PutVar700("Enable", 1), 0);
        }
        Cfg cfg(std::stoi(model));
        ScriptedMessages quiet;
        ASSERT_TRUE(cfg.Upload(quiet));
        cfg.Set("Kvp", 44);
        CompareWorkflow w;
        w.OpenConfiguration(cfg, "x");
        Read(w);
        w.TickRows(false, true);
        ASSERT_EQ(w.TickedNames(), std::vector<std::string>{"Kvp"});
        sim->ClearTrace();
        ScriptedMessages messages;
        EXPECT_FALSE(CompareWorkflow::Send(session, messages, w.MakeSnapshot(), w.TickedNames(), {}).downloaded);
        ASSERT_EQ(messages.texts().size(), 1u);
        EXPECT_EQ(messages.texts()[0], std::string(model) == "743"
                                           ? std::string(kSercosRefusal)
                                           : "The drive is enabled and unabled to write to drive now-- download aborted");
        for (const auto &t : sim->Trace())
            EXPECT_EQ(t.command.substr(0, 3), "GET") << model << " " << t.name;
    }
}

TEST_F(CompareWorkflowTest, TakeChangesExactlyTheTickedValuesAndTheFileAfterSaving)
{
    auto sim = Start({"--model", "733"});
    const std::string file = UploadedFile(733);
    EditValues(file, {{"Kvp", 5}, {"Kpp", 6}});
    CompareWorkflow w;
    w.OpenFile(file);
    EXPECT_TRUE(w.FromFile());
    Read(w);
    ASSERT_EQ(w.Current().DifferenceCount(), 2u);
    w.SetTicked("Kvp", true);
    EXPECT_EQ(w.Take(), std::vector<std::string>{"Kvp"});
    EXPECT_EQ(w.TakenSinceSave(), 1);
    EXPECT_TRUE(w.Configuration()->IsModified());
    EXPECT_EQ(w.Current().DifferenceCount(), 1u);
    EXPECT_TRUE(w.TickedNames().empty());
    Cfg unchanged;
    unchanged.Load(file);
    EXPECT_EQ(unchanged.Get("Kvp"), 5.0) << "the file waits for the save";

    ASSERT_TRUE(w.SaveFile());
    EXPECT_EQ(w.TakenSinceSave(), 0);
    Cfg saved;
    saved.Load(file);
    double kvp = 0;
    ASSERT_EQ(GetVar700("Kvp", &kvp), 0);
    EXPECT_EQ(saved.Get("Kvp"), kvp);
    EXPECT_EQ(saved.Get("Kpp"), 6.0);

    // The printout holds the one difference left.
    std::ostringstream text;
    TextCanvas canvas(text);
    w.Print(canvas, false);
    EXPECT_EQ(canvas.Title(), file + " compared with the SV733 (700Tools)");
    EXPECT_NE(text.str().find("  1   Kpp\n"), std::string::npos) << text.str();
    EXPECT_EQ(text.str().find("Kvp"), std::string::npos);
}

} // namespace
