// Upload and download end to end: the real link library talking to the drive simulator, whose
// trace shows the requests in the order it received them.
#include "../support/DriveValues.h"
#include "SimProcess.h"
#include "TempDir.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/config/Cfg.h"
#include "tools700/dictionary/Symtab.h"

#include <gtest/gtest.h>

using namespace tools700;
using testutil::SameName;
using testutil::SimProcess;
using testutil::TraceLine;

namespace {
class Transfer : public ::testing::Test {
protected:
    std::unique_ptr<SimProcess> Start(std::vector<std::string> options)
    {
        return testutil::StartTraced(std::move(options), dir.File("trace.txt"));
    }

    // The requests that name a variable, as "COMMAND name".
    static std::vector<std::string> Named(const std::vector<TraceLine> &trace)
    {
        std::vector<std::string> out;
        for (const auto &t : trace)
            out.push_back(t.command.substr(0, 3) + " " + t.name);
        return out;
    }

    testutil::TempDir dir;
};

using testsupport::IntoBounds;

bool Is(const std::string &traced, const std::string &cmd, const std::string &name)
{
    return traced.rfind(cmd + " ", 0) == 0 && SameName(traced.substr(cmd.size() + 1), name);
}
} // namespace

TEST_F(Transfer, UploadReadsEveryVariableOfTheFamilyInListOrder)
{
    for (const char *model : {"733", "1745"}) {
        auto sim = Start({"--model", model});
        const bool f740 = std::string(model) == "1745";
        Cfg cfg740(740);
        Cfg cfg730;
        Cfg &cfg = f740 ? cfg740 : cfg730;
        cfg.Set("Kvp", -1); // raise the flag: a successful upload clears it
        ScriptedMessages msgs;
        std::vector<double> progress;
        ASSERT_TRUE(cfg.Upload(msgs, [&](double f) { progress.push_back(f); })) << model;
        EXPECT_TRUE(msgs.texts().empty());
        EXPECT_FALSE(cfg.IsModified());
        EXPECT_EQ(cfg.Get("Model"), std::stod(model));
        const auto &list = f740 ? cfg.SecondaryList() : cfg.PrimaryList();
        ASSERT_EQ(progress.size(), list.size());
        EXPECT_DOUBLE_EQ(progress.back(), 1.0);

        auto named = Named(sim->Trace());
        ASSERT_EQ(named.size(), list.size() + 1);
        EXPECT_TRUE(Is(named[0], "GET", "Model"));
        for (size_t i = 0; i < list.size(); ++i)
            EXPECT_TRUE(Is(named[i + 1], "GET", list[i]->VarName())) << named[i + 1];
        double kvp = 0;
        ASSERT_EQ(GetVar700("Kvp", &kvp), 0);
        EXPECT_EQ(cfg.Get("Kvp"), kvp);
    }
}

TEST_F(Transfer, UploadStopsAtARefusedVariable)
{
    Cfg probe;
    const std::string tenth = probe.PrimaryList()[9]->VarName();
    const std::string ninth = probe.PrimaryList()[8]->VarName();
    auto sim = Start({"--model", "733", "--refuse", tenth + "=65"});
    Cfg cfg;
    for (TQX *t : cfg.PrimaryList())
        t->Val(-12345);
    ScriptedMessages msgs;
    EXPECT_FALSE(cfg.Upload(msgs));
    ASSERT_EQ(msgs.texts().size(), 1u);
    EXPECT_EQ(msgs.texts()[0], "Upload failed, trying to read " + tenth);
    EXPECT_FALSE(cfg.IsModified()) << "the flag stays as it was";
    EXPECT_NE(cfg.Get(ninth), -12345.0);
    EXPECT_EQ(cfg.Get(tenth), -12345.0);
    EXPECT_EQ(cfg.PrimaryList()[10]->Val(), -12345.0);
}

TEST_F(Transfer, DownloadWritesInTheDrivesOrderAndReadsBackTheSameValues)
{
    for (const char *model : {"734", "743"}) {
        auto sim = Start({"--model", model});
        const bool f740 = std::string(model) == "743";
        Cfg cfg740(740);
        Cfg cfg730;
        Cfg &cfg = f740 ? cfg740 : cfg730;
        ScriptedMessages msgs;
        ASSERT_TRUE(cfg.Upload(msgs));
        IntoBounds(cfg);
        cfg.Set("Kvp", 12.5);
        cfg.Set("VelLmtLo", -1000);
        sim->ClearTrace();

        std::vector<double> progress;
        ASSERT_TRUE(cfg.Download(msgs, [&](double f) { progress.push_back(f); })) << model << ": " << (msgs.texts().empty() ? "" : msgs.texts().back());
        EXPECT_TRUE(msgs.texts().empty()) << msgs.texts().front();
        const auto &list = f740 ? cfg.SecondaryList() : cfg.PrimaryList();
        const size_t n = list.size();
        ASSERT_EQ(progress.size(), n - 1);
        EXPECT_DOUBLE_EQ(progress.back(), static_cast<double>(n - 1) / static_cast<double>(n));

        auto named = Named(sim->Trace());
        std::vector<std::pair<std::string, std::string>> want{{"GET", "Model"}, {"PUT", "Enable"}};
        for (const char *first : {"CommSrc", "RemoteFB", "BlkType", "EncMode", "EncInF0", "ARZ0", "ARZ1"})
            want.emplace_back("PUT", first);
        for (TQX *t : list)
            if (!t->Matches("Model"))
                want.emplace_back("PUT", t->VarName());
        want.emplace_back("EXE", "TableGen");
        want.emplace_back("PUT", "Enable");
        ASSERT_EQ(named.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i)
            EXPECT_TRUE(Is(named[i], want[i].first, want[i].second)) << i << ": " << named[i];
        auto trace = sim->Trace();
        EXPECT_EQ(std::stod(trace[1].value), 0.0);
        EXPECT_EQ(std::stod(trace.back().value), 1.0);

        Cfg back740(740);
        Cfg back730;
        Cfg &back = f740 ? back740 : back730;
        ASSERT_TRUE(back.Upload(msgs));
        EXPECT_EQ(back.Get("Kvp"), 12.5);
        EXPECT_EQ(back.Get("VelLmtLo"), -1000.0);
    }
}

TEST_F(Transfer, ARefusedVariableAsksAndYesGoesOnNoStops)
{
    auto sim = Start({"--model", "733", "--refuse", "Kvp=66"});
    Cfg cfg;
    ScriptedMessages up;
    ASSERT_FALSE(cfg.Upload(up)) << "the refused Kvp cannot be read either";
    cfg.Set("Model", 733);
    IntoBounds(cfg);
    sim->ClearTrace();

    ScriptedMessages yes({Answer::Yes});
    std::vector<double> progress;
    EXPECT_TRUE(cfg.Download(yes, [&](double f) { progress.push_back(f); }));
    ASSERT_EQ(yes.shown().size(), 1u);
    EXPECT_EQ(yes.shown()[0].text, "Warning: Kvp BOUNDS_ERROR\n Continue?");
    EXPECT_EQ(yes.shown()[0].kind, BoxKind::Warning);
    EXPECT_EQ(yes.shown()[0].buttons, static_cast<unsigned>(BtnYes | BtnNo));
    EXPECT_EQ(progress.size(), cfg.PrimaryList().size() - 1) << "the refused one counts too";
    auto named = Named(sim->Trace());
    EXPECT_TRUE(Is(named[named.size() - 2], "EXE", "TableGen"));
    EXPECT_TRUE(Is(named.back(), "PUT", "Enable"));

    sim->ClearTrace();
    ScriptedMessages no({Answer::No});
    EXPECT_FALSE(cfg.Download(no));
    ASSERT_EQ(no.texts().size(), 1u);
    named = Named(sim->Trace());
    EXPECT_TRUE(Is(named.back(), "PUT", "Kvp")) << "nothing is written after the No";
    for (const auto &n : named)
        EXPECT_FALSE(Is(n, "EXE", "TableGen"));
    double enabled = 1;
    ASSERT_EQ(GetVar700("Enable", &enabled), 0);
    EXPECT_EQ(enabled, 0.0) << "the drive stays disabled";
}

TEST_F(Transfer, ALineThatFailsAtTheEndFailsTheDownload)
{
    // The drive goes away after the last variable: TableGen and the final Enable find no
    // drive, which may be left without its tables. That is not a finished download.
    auto sim = Start({"--model", "733"});
    Cfg cfg;
    cfg.Set("Model", 733);
    IntoBounds(cfg);
    ScriptedMessages msgs;
    const size_t n = cfg.PrimaryList().size();
    size_t calls = 0;
    EXPECT_FALSE(cfg.Download(msgs, [&](double) {
        if (++calls == n - 1)
            sim->Stop();
    }));
    EXPECT_EQ(calls, n - 1);
    EXPECT_TRUE(msgs.texts().empty());
}

TEST_F(Transfer, ARefusedTableGenIsStillIgnored)
{
    auto sim = Start({"--model", "733", "--refuse", "TableGen=67"});
    Cfg cfg;
    cfg.Set("Model", 733);
    IntoBounds(cfg);
    ScriptedMessages msgs;
    EXPECT_TRUE(cfg.Download(msgs));
    EXPECT_TRUE(msgs.texts().empty());
}

TEST_F(Transfer, AModelMismatchWritesNothing)
{
    auto sim = Start({"--model", "733"});
    Cfg cfg;
    cfg.Set("Model", 732);
    ScriptedMessages msgs;
    EXPECT_FALSE(cfg.Download(msgs));
    ASSERT_EQ(msgs.texts().size(), 1u);
    EXPECT_EQ(msgs.texts()[0], "Drive Model number mismatch");
    auto named = Named(sim->Trace());
    ASSERT_EQ(named.size(), 1u);
    EXPECT_TRUE(Is(named[0], "GET", "Model"));
}

TEST_F(Transfer, WithoutADriveBothReportCommError)
{
    UseSerialPort(0);
    SetAxis700(255);
    Cfg cfg;
    cfg.Set("Kvp", 3);
    ScriptedMessages msgs;
    EXPECT_FALSE(cfg.Upload(msgs));
    EXPECT_FALSE(cfg.Download(msgs));
    EXPECT_EQ(msgs.texts(), (std::vector<std::string>{"Comm error?", "Comm error?"}));
    EXPECT_EQ(cfg.Get("Kvp"), 3.0);
    EXPECT_TRUE(cfg.IsModified());
}
