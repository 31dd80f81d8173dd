// The save window's workflow against the drive simulator: file save, download in the drive's
// order followed by NVSave, the retry and enabled-drive refusals, SERCOS control, finishing.
#include "DriveValues.h"
#include "SimProcess.h"
#include "FixedFileDialog.h"
#include "TempDir.h"
#include "TraceOrder.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/common/Session.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/FileDialog.h"
#include "tools700/wizard/SaveWorkflow.h"
#include "tools700/wizard/WizardRules.h"

#include <gtest/gtest.h>

using namespace tools700;
using testsupport::FixedFileDialog;
using testutil::SimProcess;

namespace {


// A configuration as the drive holds it: uploaded, so every value is one the drive accepts.
std::unique_ptr<Cfg> Uploaded(bool f740)
{
    auto cfg = f740 ? std::make_unique<Cfg>(740) : std::make_unique<Cfg>();
    ScriptedMessages quiet;
    EXPECT_TRUE(cfg->Upload(quiet));
    testsupport::IntoBounds(*cfg);
    return cfg;
}

class SaveWorkflowTest : public ::testing::Test {
protected:
    std::unique_ptr<SimProcess> Start(std::vector<std::string> options)
    {
        return testutil::StartTraced(std::move(options), dir.File("trace.txt"));
    }
    testsupport::TempDir dir;
    Session session;
    ScriptedMessages messages;
};

TEST_F(SaveWorkflowTest, SavingWritesTheFileAndACancelledDialogSaysSo)
{
    Cfg cfg;
    cfg.Set("Model", 733);
    cfg.Set("Kvp", 3.25);
    SaveWorkflow w(session, messages);
    w.Open(cfg, kNoNameYet, true);
    EXPECT_TRUE(w.Unsaved());

    FixedFileDialog cancelled("");
    EXPECT_FALSE(w.Save(cancelled));
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0], "The file has not been saved properly");
    EXPECT_EQ(messages.shown()[0].kind, BoxKind::Plain);
    EXPECT_TRUE(w.Unsaved());
    EXPECT_EQ(w.Caption(), kNoNameYet);

    // Finishing now asks; Yes goes back, No finishes without the file.
    messages.Queue(Answer::Yes);
    EXPECT_FALSE(w.Finish());
    EXPECT_EQ(messages.shown().back().kind, BoxKind::Warning);
    EXPECT_EQ(messages.texts().back().rfind("You haven't saved this configuration to a file yet! \n", 0), 0u);
    messages.Queue(Answer::No);
    EXPECT_TRUE(w.Finish());

    const std::string file = dir.File("saved.cfg");
    FixedFileDialog chosen(file);
    EXPECT_TRUE(w.Save(chosen));
    EXPECT_FALSE(w.Unsaved());
    EXPECT_EQ(w.Caption(), file);
    Cfg back;
    ASSERT_EQ(back.Load(file), 2);
    EXPECT_EQ(back.Get("Kvp"), 3.25);
    const size_t boxes = messages.texts().size();
    EXPECT_TRUE(w.Finish());  // saved: no question
    EXPECT_EQ(messages.texts().size(), boxes);
}

TEST_F(SaveWorkflowTest, DownloadWritesInTheDrivesOrderThenNVSaveOnYes)
{
    for (const char *model : {"733", "1743"}) {
        std::vector<std::string> options{"--model", model};
        if (std::string(model) == "1743")
            options.push_back("--serial-control");
        auto sim = Start(options);
        const bool f740 = std::string(model) == "1743";
        auto cfg = Uploaded(f740);
        cfg->Set("Kvp", 11.5);
        sim->ClearTrace();
        session.ControlSwitchShown = f740;
        session.SerialControl = f740;
        SaveWorkflow w(session, messages);
        w.Open(*cfg, "x", true);
        EXPECT_TRUE(w.DownloadAllowed());
        messages.Queue(Answer::Yes); // the NV save question
        std::vector<bool> shown;
        int steps = 0;
        const auto result = w.Download([&](double) { ++steps; }, [&](bool v) { shown.push_back(v); });
        EXPECT_TRUE(result.downloaded) << model;
        EXPECT_TRUE(result.savedToNv);
        EXPECT_EQ(shown, (std::vector<bool>{true, false}));
        EXPECT_GT(steps, 50);
        ASSERT_FALSE(messages.texts().empty());
        EXPECT_EQ(messages.texts().back().rfind("Your configuration has been downloaded.\n\n", 0), 0u);
        EXPECT_EQ(messages.shown().back().kind, BoxKind::Confirmation);

        std::vector<wizardtest::Request> want{{"GET", "AxisAddr"}, {"GET", "Enabled"}};
        for (const auto &r : wizardtest::DownloadRequests(f740 ? cfg->SecondaryList() : cfg->PrimaryList()))
            want.push_back(r);
        want.emplace_back("EXE", "NVSave");
        std::vector<wizardtest::Request> traced;
        for (const auto &t : sim->Trace())
            traced.emplace_back(t.command.substr(0, 3), t.name);
        EXPECT_TRUE(wizardtest::SameRequests(traced, want)) << model << ": " << traced.size() << " vs " << want.size();
        EXPECT_TRUE(w.Unsaved());  // a download is not a file
    }
}

TEST_F(SaveWorkflowTest, NoToTheNVQuestionSendsNoNVSave)
{
    auto sim = Start({"--model", "733"});
    auto cfg = Uploaded(false);
    sim->ClearTrace();
    SaveWorkflow w(session, messages);
    w.Open(*cfg, "x", false);
    messages.Queue(Answer::No);
    const auto result = w.Download({});
    EXPECT_TRUE(result.downloaded);
    EXPECT_FALSE(result.savedToNv);
    for (const auto &t : sim->Trace())
        EXPECT_NE(t.name, "NVSave");
}

TEST_F(SaveWorkflowTest, AnEnabledDriveIsRefusedAndASilentOneAsksToChangeThePort)
{
    {
        auto sim = Start({"--model", "733", "--configured"});
        ASSERT_EQ(PutVar700("Enable", 1), 0);
        auto cfg = Uploaded(false);
        sim->ClearTrace();
        SaveWorkflow w(session, messages);
        w.Open(*cfg, "x", false);
        EXPECT_FALSE(w.Download({}).downloaded);
        ASSERT_EQ(messages.texts().size(), 1u);
        EXPECT_EQ(messages.texts()[0], "The drive is enabled and unabled to write to drive now-- download aborted");
        for (const auto &t : sim->Trace())
            EXPECT_EQ(t.command.substr(0, 3), "GET") << t.name;
    }
    // No drive: the question; Yes opens the port dialog and tries again, No gives up.
    Cfg cfg;
    SaveWorkflow w(session, messages);
    w.Open(cfg, "x", false);
    int portDialogs = 0;
    session.Register(Window::PortAxis, [&] { ++portDialogs; });
    messages.Queue(Answer::Yes);
    messages.Queue(Answer::No);
    EXPECT_FALSE(w.Download({}).downloaded);
    EXPECT_EQ(portDialogs, 1);
    ASSERT_EQ(messages.texts().size(), 3u);
    EXPECT_EQ(messages.texts()[1], "Can't communicate with the drive!\n\nPress 'Yes' to change the communications "
                                   "setup.\nPress 'No' to return to the previous screen.\n");
    EXPECT_EQ(messages.texts()[2], messages.texts()[1]);
    EXPECT_EQ(messages.shown()[1].kind, BoxKind::Confirmation);
}

TEST_F(SaveWorkflowTest, AFailedDownloadSaysSoAndSercosControlDisablesIt)
{
    auto sim = Start({"--model", "733"});
    Cfg cfg;
    cfg.Set("Model", 743);  // not the drive's model
    SaveWorkflow w(session, messages);
    w.Open(cfg, "x", false);
    EXPECT_FALSE(w.Download({}).downloaded);
    ASSERT_EQ(messages.texts().size(), 2u);
    EXPECT_EQ(messages.texts()[0], "Drive Model number mismatch");
    EXPECT_EQ(messages.texts()[1], "Unable to write to drive -- download aborted");

    session.ControlSwitchShown = true;
    session.SerialControl = false;
    EXPECT_FALSE(w.DownloadAllowed());
    session.SerialControl = true;
    EXPECT_TRUE(w.DownloadAllowed());
    session.ControlSwitchShown = false;
    session.SerialControl = false;
    EXPECT_TRUE(w.DownloadAllowed());
}

TEST_F(SaveWorkflowTest, AFailedNVSaveIsReported)
{
    auto sim = Start({"--model", "733", "--refuse", "NVSave=68"});
    auto cfg = Uploaded(false);
    SaveWorkflow w(session, messages);
    w.Open(*cfg, "x", false);
    messages.Queue(Answer::Yes);
    const auto result = w.Download({});
    EXPECT_TRUE(result.downloaded);
    EXPECT_FALSE(result.savedToNv);
    EXPECT_EQ(messages.texts().back(), "Unable to complete NVSAVE operation");
}

} // namespace

namespace {

TEST_F(SaveWorkflowTest, ValuesTakenInTheCompareWindowAreChangesInNoFile)
{
    Cfg cfg;
    SaveWorkflow w(session, messages);
    w.Open(cfg, "edited", false);
    EXPECT_FALSE(w.CompareAvailable());
    EXPECT_EQ(w.Compare(), 0);
    Cfg *compared = nullptr;
    int taken = 0;
    session.RegisterComparer([&](Cfg *c, const std::string &name) {
        compared = c;
        EXPECT_EQ(name, "edited");
        return taken;
    });
    ASSERT_TRUE(w.CompareAvailable());
    EXPECT_EQ(w.Compare(), 0);
    EXPECT_EQ(compared, &cfg);
    EXPECT_FALSE(w.Unsaved());
    EXPECT_FALSE(w.ValuesTaken());
    taken = 2;
    EXPECT_EQ(w.Compare(), 2);
    EXPECT_TRUE(w.Unsaved());
    EXPECT_TRUE(w.ValuesTaken());
    messages.Queue(Answer::Yes);
    EXPECT_FALSE(w.Finish()) << "finishing asks first";
}

} // namespace
