// The main window's workflows: their guards, the windows they open, the entries of windows not
// built, Upload, Edit File, Compare File with Drive and Exit.
#include "MainFormFixture.h"

using namespace tools700;
using mainformtest::MainFormTest;
using qttest::DriveSim;
using mainformtest::Read;
using mainformtest::kCommWarning;
using testsupport::FixedFileDialog;

TEST_F(MainFormTest, WorkflowsThatNeedTheDriveStopAtTheCommunicationWarning)
{
    for (auto action : {&TMainForm::Upload, &TMainForm::EditOnline, &TMainForm::Oscilloscope, &TMainForm::Diagnostics}) {
        (form.get()->*action)();
    }
    Settle();
    ASSERT_EQ(messages.texts().size(), 4u);
    for (const auto &s : messages.shown()) {
        EXPECT_EQ(s.text, kCommWarning);
        EXPECT_EQ(s.kind, BoxKind::Warning);
        EXPECT_EQ(s.buttons, static_cast<unsigned>(BtnOk));
    }
    EXPECT_TRUE(form->pgbLoad->isHidden());
    EXPECT_TRUE(edited.empty());
    bool connected = false;
    form->CheckConnection([&] { connected = true; });
    Settle();
    EXPECT_FALSE(connected);
    EXPECT_EQ(messages.texts().size(), 5u);

    messages.Queue(Answer::Yes);
    form->TuningWizard();
    Settle();
    EXPECT_EQ(messages.texts()[5], "Would you like to use Tuning Wizard Online?");
    EXPECT_EQ(messages.texts()[6], kCommWarning);
}

TEST_F(MainFormTest, WorkflowsOpenTheirWindowsOnceTheDriveAnswers)
{
    std::vector<std::string> opened;
    const std::pair<Window, const char *> windows[] = {
        {Window::NewConfiguration, "TCfgNewDlg"}, {Window::OnlineDrive, "Tvardlg"},
        {Window::Oscilloscope, "TScopeForm"},     {Window::Diagnostics, "TTroubleshooting"},
        {Window::MotorDatabase, "TEditMDBDlg"},   {Window::FirmwareUpgrade, "TFWUpgrade"},
        {Window::TuningOffline, "TslTuningBox"},  {Window::TuningOnline, "TInertiaRDlg"}};
    for (const auto &[window, name] : windows)
        session.Register(window, [&opened, name = name] { opened.push_back(name); });
    form->EditOnline();
    Settle();  // no drive: the warning, no window
    EXPECT_TRUE(opened.empty());
    DriveSim sim({"--model", "733", "--axes", "1"});
    ASSERT_TRUE(sim.Ready());
    form->NewConfiguration();
    form->EditOnline();
    Settle();
    form->Oscilloscope();
    Settle();
    form->Diagnostics();
    Settle();
    form->EditMotorDatabase();
    form->UpgradeFW();
    messages.Queue(Answer::No);
    form->TuningWizard();
    Settle();
    messages.Queue(Answer::Yes);
    form->TuningWizard();
    Settle();
    EXPECT_EQ(opened, (std::vector<std::string>{"TCfgNewDlg", "Tvardlg", "TScopeForm", "TTroubleshooting", "TEditMDBDlg",
                                                "TFWUpgrade", "TslTuningBox", "TInertiaRDlg"}));
    EXPECT_EQ(messages.texts().size(), 3u);  // the one warning and the two questions
}

TEST_F(MainFormTest, EntriesOfWindowsNotBuiltStayDisabledAndSaySo)
{
    // Only the configuration editor is registered.
    Session session;
    session.RegisterEditor([](int, Cfg &, const std::string &) {});
    auto form = std::make_unique<TMainForm>(session, messages, dir.filePath(QStringLiteral("Tools700")), QStringList{});
    for (QPushButton *b : {form->bbtnNew, form->bbtnEditOnline, form->bbtnScope, form->bbtnTrouble}) {
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
        EXPECT_TRUE(b->toolTip().contains(QStringLiteral("is not part of this build yet"))) << b->objectName().toStdString();
        EXPECT_FALSE(b->accessibleDescription().isEmpty());
    }
    EXPECT_EQ(form->bbtnScope->toolTip(),
              "Activates the Software Oscilloscope to view specific drive signals in real time\n"
              "Not available: the oscilloscope is not part of this build yet.");
    for (QAction *a : {form->mnuNew, form->mnuEditOnline, form->mnuScope, form->mnuTrouble, form->mnuEditMotor,
                       form->mnuUpdateFW, form->mnuTuningWizard, form->mnuDrivesOnLine}) {
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
        EXPECT_TRUE(a->toolTip().startsWith(QStringLiteral("Not available: "))) << a->objectName().toStdString();
    }
    EXPECT_TRUE(form->bbtnUpload->isEnabled());
    EXPECT_TRUE(form->bbtnEditFile->isEnabled());
    EXPECT_EQ(form->bbtnEditFile->toolTip(), "Opens a configuration file and invokes the Configuration Editor");
    // A disabled entry's workflow, run anyway, opens nothing.
    form->NewConfiguration();
    EXPECT_TRUE(messages.texts().empty());

    // Registering a window enables its entries and gives them their own hint back.
    int opened = 0;
    session.Register(Window::Oscilloscope, [&] { ++opened; });
    EXPECT_TRUE(form->bbtnScope->isEnabled());
    EXPECT_TRUE(form->mnuScope->isEnabled());
    EXPECT_EQ(form->bbtnScope->toolTip(), "Activates the Software Oscilloscope to view specific drive signals in real time");
    EXPECT_EQ(form->mnuScope->toolTip(), "Oscilloscope");
    // The firmware entry also needs a 740-family drive, the tuning wizard both of its windows.
    session.Register(Window::FirmwareUpgrade, [] {});
    EXPECT_FALSE(form->mnuUpdateFW->isEnabled());
    session.Register(Window::TuningOffline, [] {});
    EXPECT_FALSE(form->mnuTuningWizard->isEnabled());
    session.Register(Window::TuningOnline, [] {});
    EXPECT_TRUE(form->mnuTuningWizard->isEnabled());
}

TEST_F(MainFormTest, UploadReadsTheDrivesFamilyAndHidesTheProgressBar)
{
    DriveSim sim({"--model", "1743", "--axes", "1", "--serial-control"});
    ASSERT_TRUE(sim.Ready());
    int shownDuring = 0;
    session.RegisterEditor([&](int entryMode, Cfg &cfg, const std::string &name) {
        entryModes.push_back(entryMode);
        edited.push_back(name);
        editedModel.push_back(cfg.Get("Model"));
        edited740.push_back(cfg.Indexes740());
        shownDuring += form->pgbLoad->isVisible();
    });
    form->Upload();
    Settle();
    ASSERT_EQ(edited.size(), 1u);
    EXPECT_EQ(edited[0], "<no name assigned -- uploaded from drive>");
    EXPECT_EQ(entryModes[0], 3);
    EXPECT_EQ(editedModel[0], 1743);
    EXPECT_TRUE(edited740[0]);
    EXPECT_EQ(form->pgbLoad->value(), 100);
    EXPECT_TRUE(form->pgbLoad->isHidden());
    EXPECT_EQ(shownDuring, 0);
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(MainFormTest, UploadFailureHidesTheBarAndOpensNothing)
{
    DriveSim sim({"--model", "733", "--axes", "1", "--refuse", "Kvp=68"});
    ASSERT_TRUE(sim.Ready());
    form->Upload();
    Settle();
    EXPECT_TRUE(edited.empty());
    EXPECT_TRUE(form->pgbLoad->isHidden());
    ASSERT_FALSE(messages.texts().empty());
    EXPECT_EQ(messages.texts().back(), "Upload failed, trying to read Kvp");
}

TEST_F(MainFormTest, EditFileChoosesTheFamilyFromTheFilesModel)
{
    const std::string f730 = WriteFile("a.cfg", "Model = 733\nKvp = 12.5\n");
    const std::string f740 = WriteFile("b.cfg", "Model = 1745\nKvp = 3\n");
    const std::string noModel = WriteFile("c.cfg", "Kvp = 3\n");
    const std::string comments = WriteFile("d.cfg", "# nothing but a comment\n\n");
    for (const std::string &f : {f730, f740, noModel, comments}) {
        form->SetOpenCfgDialog(std::make_unique<FixedFileDialog>(f));
        form->EditFile();
    }
    ASSERT_EQ(edited.size(), 3u);
    EXPECT_EQ(edited[0], f730);
    EXPECT_EQ(entryModes[0], 2);
    EXPECT_FALSE(edited740[0]);
    EXPECT_TRUE(edited740[1]);
    EXPECT_EQ(editedModel[1], 1745);
    EXPECT_EQ(edited[2], noModel);
    EXPECT_TRUE(edited740[2]);

    form->SetOpenCfgDialog(std::make_unique<FixedFileDialog>(""));
    form->EditFile();  // cancelled
    EXPECT_EQ(edited.size(), 3u);

    form->SetOpenCfgDialog(std::make_unique<FixedFileDialog>(dir.filePath("missing.cfg").toStdString()));
    EXPECT_THROW(form->EditFile(), Error);
    EXPECT_EQ(edited.size(), 3u);
}

TEST_F(MainFormTest, ExitOffersSercosOnlyForA740DriveInSerialControl)
{
    {
        DriveSim sim({"--model", "733", "--axes", "1"});
        ASSERT_TRUE(sim.Ready());
        Status("Status: Axis 1  x");
        form->Exit();
    Settle();
        EXPECT_EQ(exitCode, 0);
        EXPECT_TRUE(messages.texts().empty());
    }
    DriveSim sim({"--model", "742", "--axes", "1", "--serial-control"});
    ASSERT_TRUE(sim.Ready());
    Status("Status: Axis 1  x");
    exitCode = -1;
    messages.Queue(Answer::Yes);
    form->Exit();
    Settle();
    EXPECT_EQ(exitCode, 0);
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0], "Your drive is in Serial Control Mode, would you like to switch to SERCOS control "
                                   "before this software terminates?");
    EXPECT_EQ(messages.shown()[0].kind, BoxKind::Warning);
    EXPECT_EQ(Read("MfgLock"), 0);
}

TEST_F(MainFormTest, CompareFileWithDriveAsksForAFileAndOpensTheCompareWindowOnIt)
{
    // Without the Compare window the entry stays disabled and says why.
    EXPECT_EQ(form->mnuCompareFile->text(), QStringLiteral("Compare File with Drive\u2026"));
    EXPECT_TRUE(form->mnuEdit->actions().contains(form->mnuCompareFile));
    EXPECT_FALSE(form->mnuCompareFile->isEnabled());
    EXPECT_EQ(form->mnuCompareFile->toolTip(),
              QStringLiteral("Not available: the Compare window is not part of this build yet."));
    std::vector<std::string> compared;
    session.RegisterComparer([&](Cfg *cfg, const std::string &name) {
        EXPECT_EQ(cfg, nullptr) << "a file, not a configuration being edited";
        compared.push_back(name);
        return 0;
    });
    EXPECT_TRUE(form->mnuCompareFile->isEnabled());
    const std::string file = WriteFile("a.cfg", "Model = 733\nKvp = 12.5\n");
    form->SetOpenCfgDialog(std::make_unique<FixedFileDialog>(file));
    form->mnuCompareFile->trigger();
    form->SetOpenCfgDialog(std::make_unique<FixedFileDialog>(""));
    form->mnuCompareFile->trigger(); // cancelled
    EXPECT_EQ(compared, std::vector<std::string>{file});
}
