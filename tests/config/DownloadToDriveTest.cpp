// "Download To Drive" with its checks and questions, whole and restricted to some variables,
// against the drive simulator's trace.
#include "../support/DriveValues.h"
#include "../support/TraceOrder.h"
#include "SimTest.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/common/Session.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/DownloadToDrive.h"

#include <gtest/gtest.h>

using namespace tools700;
using testutil::SimProcess;
using wizardtest::Request;

namespace {

class DownloadToDriveTest : public testutil::SimTest {
protected:
    // A configuration as the drive holds it, every value one the drive accepts.
    static std::unique_ptr<Cfg> Uploaded(int family)
    {
        auto cfg = std::make_unique<Cfg>(family);
        ScriptedMessages quiet;
        EXPECT_TRUE(cfg->Upload(quiet));
        testsupport::IntoBounds(*cfg);
        return cfg;
    }
    static std::vector<Request> Traced(const SimProcess &sim) { return wizardtest::TracedRequests(sim.Trace()); }
    Session session;
};

TEST_F(DownloadToDriveTest, ARestrictedDownloadWritesOnlyItsVariablesInTheDrivesOrder)
{
    for (const char *model : {"733", "743"}) {
        const bool f740 = std::string(model) == "743";
        auto sim = Start(Writable(model));
        auto cfg = Uploaded(std::stoi(model));
        cfg->Set("Kvp", 7.25);
        cfg->Set("ILmtPlus", 55);
        cfg->Set("BlkType", 1);
        sim->ClearTrace();

        const std::vector<std::string> only{"kvp", "ILMTPLUS", "BlkType"};
        DownloadOptions o;
        o.only = only;
        o.readControlMode = true;
        std::vector<bool> shown;
        o.showProgress = [&](bool v) { shown.push_back(v); };
        std::vector<double> progress;
        ScriptedMessages messages({Answer::Yes});
        const DownloadOutcome out = DownloadToDrive(session, messages, *cfg, o, [&](double f) { progress.push_back(f); });
        EXPECT_TRUE(out.downloaded) << model;
        EXPECT_TRUE(out.savedToNv);
        EXPECT_EQ(shown, (std::vector<bool>{true, false}));
        EXPECT_EQ(progress, (std::vector<double>{1.0 / 3, 2.0 / 3, 1.0}));
        ASSERT_EQ(messages.texts().size(), 1u) << messages.texts().front();
        EXPECT_EQ(messages.texts()[0].rfind("Your configuration has been downloaded.\n\n", 0), 0u);

        std::vector<Request> want{{"GET", "AxisAddr"}, {"GET", "Model"}};
        if (f740)
            want.emplace_back("GET", "MfgLock");
        want.emplace_back("GET", "Enabled");
        for (const auto &r : wizardtest::DownloadRequests(cfg->ListForModel(std::stoi(model)), &only))
            want.push_back(r);
        want.emplace_back("EXE", "NVSave");
        const auto traced = Traced(*sim);
        EXPECT_TRUE(wizardtest::SameRequests(traced, want)) << model << ": " << traced.size() << " requests";
        // BlkType goes first (other bounds depend on it) and again in its place.
        EXPECT_EQ(std::count(traced.begin(), traced.end(), Request{"PUT", "BlkType"}), 2);

        double kvp = 0, ilmt = 0;
        ASSERT_EQ(GetVar700("Kvp", &kvp), 0);
        ASSERT_EQ(GetVar700("ILmtPlus", &ilmt), 0);
        EXPECT_EQ(kvp, 7.25);
        EXPECT_EQ(ilmt, 55.0);
    }
}

TEST_F(DownloadToDriveTest, AnEnabledDriveOrOneUnderSercosControlGetsNothing)
{
    auto cfg = std::make_unique<Cfg>(740);
    const std::vector<std::string> only{"Kvp"};
    DownloadOptions o;
    o.only = only;
    o.readControlMode = true;
    {
        auto sim = Start({"--model", "743"}); // SERCOS control
        cfg = Uploaded(740);
        sim->ClearTrace();
        ScriptedMessages messages;
        EXPECT_FALSE(DownloadToDrive(session, messages, *cfg, o).downloaded);
        EXPECT_EQ(messages.texts(), std::vector<std::string>{kSercosRefusal});
        for (const auto &t : sim->Trace())
            EXPECT_EQ(t.command.substr(0, 3), "GET") << t.name;
    }
    {
        // The session's view of the drive refuses without asking it.
        auto sim = Start({"--model", "743"});
        session.ControlSwitchShown = true;
        session.SerialControl = false;
        ScriptedMessages messages;
        EXPECT_FALSE(DownloadToDrive(session, messages, *cfg, {}).downloaded);
        EXPECT_EQ(messages.texts(), std::vector<std::string>{kSercosRefusal});
        EXPECT_TRUE(sim->Trace().empty());
        session.ControlSwitchShown = false;
    }
    {
        auto sim = Start({"--model", "733", "--configured"});
        ASSERT_EQ(PutVar700("Enable", 1), 0);
        auto cfg730 = Uploaded(733);
        sim->ClearTrace();
        ScriptedMessages messages;
        EXPECT_FALSE(DownloadToDrive(session, messages, *cfg730, o).downloaded);
        EXPECT_EQ(messages.texts(),
                  std::vector<std::string>{"The drive is enabled and unabled to write to drive now-- download aborted"});
        for (const auto &t : sim->Trace())
            EXPECT_EQ(t.command.substr(0, 3), "GET") << t.name;

        // An empty choice writes nothing and asks nothing.
        sim->ClearTrace();
        o.only = std::vector<std::string>{};
        EXPECT_FALSE(DownloadToDrive(session, messages, *cfg730, o).downloaded);
        EXPECT_TRUE(sim->Trace().empty());
        EXPECT_EQ(messages.texts().size(), 1u);
    }
}

TEST_F(DownloadToDriveTest, ARefusalIsAskedAsTheWholeDownloadAsksIt)
{
    auto sim = Start({"--model", "733", "--refuse", "Kvp=66"});
    Cfg cfg;
    cfg.Set("Model", 733);
    testsupport::IntoBounds(cfg);
    DownloadOptions o;
    o.only = std::vector<std::string>{"Kvi", "Kvp", "Kpp"};

    ScriptedMessages no({Answer::No});
    EXPECT_FALSE(DownloadToDrive(session, no, cfg, o).downloaded);
    ASSERT_EQ(no.shown().size(), 2u);
    EXPECT_EQ(no.shown()[0].text, "Warning: Kvp BOUNDS_ERROR\n Continue?");
    EXPECT_EQ(no.shown()[0].kind, BoxKind::Warning);
    EXPECT_EQ(no.shown()[1].text, "Unable to write to drive -- download aborted");
    auto traced = Traced(*sim);
    EXPECT_EQ(traced.back(), (Request{"PUT", "Kvp"})) << "nothing after the No";

    sim->ClearTrace();
    ScriptedMessages yes({Answer::Yes, Answer::No});
    EXPECT_TRUE(DownloadToDrive(session, yes, cfg, o).downloaded);
    ASSERT_EQ(yes.texts().size(), 2u);
    EXPECT_EQ(yes.texts()[0], "Warning: Kvp BOUNDS_ERROR\n Continue?");
    traced = Traced(*sim);
    const std::vector<Request> tail{{"PUT", "Kpp"}, {"PUT", "Kvi"}, {"PUT", "Kvp"}, {"EXE", "TableGen"}, {"PUT", "Enable"}};
    ASSERT_GE(traced.size(), tail.size());
    EXPECT_TRUE(wizardtest::SameRequests({traced.end() - 5, traced.end()}, tail));

    // A configuration of another model is refused as the whole download refuses it (the drive is
    // disabled first: the download above ended with Enable 1).
    ASSERT_EQ(PutVar700("Enable", 0), 0);
    sim->ClearTrace();
    cfg.Set("Model", 734);
    ScriptedMessages mismatch;
    EXPECT_FALSE(DownloadToDrive(session, mismatch, cfg, o).downloaded);
    EXPECT_EQ(mismatch.texts(), (std::vector<std::string>{"Drive Model number mismatch",
                                                          "Unable to write to drive -- download aborted"}));
    for (const auto &t : sim->Trace())
        EXPECT_EQ(t.command.substr(0, 3), "GET") << t.name;
}

} // namespace
