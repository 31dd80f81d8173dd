// The configuration editor's windows walked through real flows on the offscreen platform, against
// the drive simulator: a new configuration from the first page to a file, a download and NVSave;
// a 740-family drive in serial and in SERCOS control; editing a file and an upload on the second
// page; and values taken from the drive.
#include "WizardWindowsFixture.h"

using namespace tools700;
using namespace wizardwindowstest;

TEST_F(WizardWindowsTest, ANewConfigurationGoesFromTheFirstPageToAFileADownloadAndNVSave)
{
    auto sim = Start({"--model", "733"});
    FirstPage("SV733", "Velocity Mode -- Analog Command", 3);
    EXPECT_EQ(wizard->windowTitle(), "<no name assigned yet>");
    EXPECT_EQ(wizard->Core().IoMap, DefaultIoMap(false, 1));
    EXPECT_EQ(io->StatusText(), "Default Setting   Please select input port 6 and output port 2");

    // The I/O wizard: RunStop (hi) on input 6, then Next: the second page with that map.
    io->CheckBox(21)->setChecked(true);
    EXPECT_EQ(io->ComboBox(11)->currentText(), "6");
    io->btnOKClick();
    EXPECT_FALSE(io->isVisible());
    ASSERT_TRUE(wizard->OnSecondPage());
    EXPECT_EQ(wizard->Core().EntryMode, kEntryFromIoWizard);
    EXPECT_FALSE(wizard->cmbDrive->isEnabled());
    EXPECT_EQ(wizard->DriveText(), "SV733");
    EXPECT_EQ(wizard->ModeText(), "Velocity Mode -- Analog Command");
    EXPECT_TRUE(TabShown(*wizard, EditorTab::Velocity));
    EXPECT_FALSE(TabShown(*wizard, EditorTab::Torque));
    EXPECT_EQ(wizard->PageControl1->currentWidget(), wizard->tabs[static_cast<int>(EditorTab::Velocity)]);
    EXPECT_TRUE(wizard->grpVelCmd->isHidden());
    EXPECT_EQ(wizard->pcmbInpMap[5]->currentText(), "RunStop (hi)");
    Cfg &own = *wizard->Core().OwnCfg;
    EXPECT_EQ(wizard->Core().WorkingCfg, &own);
    EXPECT_EQ(own.Get("InpMap6"), 0x8002);
    EXPECT_EQ(own.Get("Model"), 733);
    const std::string motor = wizard->MotorText().toStdString();
    EXPECT_FALSE(motor.empty());

    // Next: the save window. Saved to a file, downloaded with NVSave, finished.
    const std::string file = dir.File("new733.cfg");
    fileDialog.file = file;
    messages.rule = [](BoxKind, const std::string &t) {
        return t.rfind("Warning: ", 0) == 0 || t.rfind("Your configuration has been downloaded", 0) == 0 ? Answer::Yes
                                                                                                        : Answer::Ok;
    };
    bool sawDownloadEnabled = false, sawDone = false, sawNv = false, sawSaved = false;
    WhenModal<TSaveForm>([&](TSaveForm *s) {
        sawDownloadEnabled = s->btnDownload->isEnabled();
        EXPECT_EQ(wizard->Core().EntryMode, kEntryFromSaveWindow);
        EXPECT_EQ(s->windowTitle(), "<no name assigned yet>");
        EXPECT_TRUE(s->lblDoneSave->isHidden());
        s->btnSaveClick();
        sawSaved = !s->lblDoneSave->isHidden();
        sim->ClearTrace();
        s->btnDownloadClick();
        EXPECT_TRUE(qttest::WaitFor([&] { return !s->Downloading(); }, 20000));
        sawDone = !s->lblDoneDownload->isHidden();
        sawNv = !s->lblSavedToNV->isHidden();
        EXPECT_TRUE(s->btnDownload->isEnabled());
        EXPECT_TRUE(s->ProgressBar1->isHidden());
        s->btnFinishClick(); // saved: closes without a question
    });
    wizard->btnNextClick();
    EXPECT_TRUE(sawDownloadEnabled);
    EXPECT_TRUE(sawSaved);
    EXPECT_TRUE(sawDone);
    EXPECT_TRUE(sawNv);
    EXPECT_TRUE(wizard->Finished());
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_FALSE(messages.Saw("You haven't saved"));

    // The file holds the configuration, the drive got it in its order and then NVSave.
    Cfg back;
    ASSERT_EQ(back.Load(file), 2);
    EXPECT_EQ(back.Get("InpMap6"), 0x8002);
    EXPECT_EQ(PackedMotorName(back), motor);
    auto want = wizardtest::DownloadRequests(own.PrimaryList());
    want.emplace_back("EXE", "NVSave");
    const auto traced = wizardtest::TracedFromModel(sim->Trace());
    EXPECT_TRUE(wizardtest::SameRequests(traced, want)) << traced.size() << " vs " << want.size();
    double kvp = 0;
    ASSERT_EQ(GetVar700("Kvp", &kvp), 0);
    EXPECT_FLOAT_EQ(static_cast<float>(kvp), static_cast<float>(own.Get("Kvp")));
}

TEST_F(WizardWindowsTest, A740DriveDownloadsInSerialControlAndNotInSercosControl)
{
    auto sim = Start({"--model", "743", "--serial-control"});
    session.ControlSwitchShown = true;
    session.SerialControl = true;
    FirstPage("SV743", "Velocity Mode -- Serial Command");
    // The 740 family's rows are disabled, its defaults only the common ones.
    EXPECT_FALSE(io->CheckBox(13)->isEnabled());
    EXPECT_FALSE(io->RowLabel(22)->isEnabled());
    EXPECT_EQ(wizard->Core().IoMap, DefaultIoMap(true, 2));
    io->btnOKClick();
    ASSERT_TRUE(wizard->OnSecondPage());
    EXPECT_EQ(wizard->pcmbInpMap[0]->VarName(), "InputMap1");
    EXPECT_EQ(wizard->pedtVelCmd->VarName(), "VelCmd2");
    EXPECT_TRUE(wizard->Core().WorkingCfg->Indexes740());
    EXPECT_FALSE(wizard->grpVelCmd->isHidden());
    EXPECT_FALSE(wizard->grpVelCtrlGainOffset->isEnabled());
    EXPECT_EQ(wizard->cmbOpMode->count(), 5);

    messages.rule = [](BoxKind, const std::string &t) {
        return t.rfind("Warning: ", 0) == 0 || t.rfind("Your configuration has been downloaded", 0) == 0 ? Answer::Yes
                                                                                                        : Answer::No;
    };
    bool done = false;
    WhenModal<TSaveForm>([&](TSaveForm *s) {
        EXPECT_TRUE(s->btnDownload->isEnabled());
        s->btnDownloadClick();
        EXPECT_TRUE(qttest::WaitFor([&] { return !s->Downloading(); }, 20000));
        done = !s->lblDoneDownload->isHidden() && !s->lblSavedToNV->isHidden();
        // Finishing without a file asks; No finishes.
        s->btnFinishClick();
    });
    wizard->btnNextClick();
    EXPECT_TRUE(done);
    EXPECT_TRUE(messages.Saw("You haven't saved this configuration to a file yet!"));
    EXPECT_TRUE(wizard->Finished());
    const auto traced = wizardtest::TracedFromModel(sim->Trace());
    auto want = wizardtest::DownloadRequests(wizard->Core().OwnCfg->SecondaryList());
    want.emplace_back("EXE", "NVSave");
    EXPECT_TRUE(wizardtest::SameRequests(traced, want)) << traced.size() << " vs " << want.size();

    // Under SERCOS control the save window offers no download.
    session.SerialControl = false;
    Cfg cfg(740);
    bool finish = true;
    WhenModal<TSaveForm>([&](TSaveForm *s) {
        EXPECT_FALSE(s->btnDownload->isEnabled());
        s->btnBackClick();
    });
    save->ShowSaveWindow(cfg, "x", false, finish);
    EXPECT_FALSE(finish);
}

TEST_F(WizardWindowsTest, EditFileAndUploadOpenOnTheSecondPageWithDriveMotorAndMode)
{
    // A file written from a generated configuration (as the command-line tool's "new" does).
    const std::string motor = MotorNames(false, 320).at(5);
    Cfg made;
    FillDefaults(made, motor, "SV734", 3, 1.0, DefaultIoMap(false, 3));
    const std::string file = dir.File("edit.cfg");
    ASSERT_GT(made.Save(file, 734), 0);

    Cfg cfg;
    ASSERT_EQ(cfg.Load(file), 2);
    wizard->BeginEdit(kEntryEditFile, cfg, file);
    EXPECT_TRUE(wizard->OnSecondPage());
    EXPECT_EQ(wizard->windowTitle().toStdString(), file);
    EXPECT_EQ(wizard->DriveText(), "SV734");
    EXPECT_FALSE(wizard->cmbDrive->isEnabled());
    EXPECT_EQ(wizard->MotorText().toStdString(), motor);
    EXPECT_EQ(wizard->ModeText(), "Position Mode -- Step and Direction");
    EXPECT_EQ(wizard->Core().SelectedMode, 3);
    EXPECT_TRUE(TabShown(*wizard, EditorTab::Position));
    EXPECT_TRUE(TabShown(*wizard, EditorTab::Predefined));
    EXPECT_FALSE(wizard->grpGearingRatio->isHidden());
    EXPECT_FALSE(wizard->lblStepsPerRev->isHidden());
    EXPECT_TRUE(wizard->PageControl1->isVisible());
    // Cancel without an edit: no question.
    wizard->btnBackClick();
    EXPECT_TRUE(wizard->Finished());
    EXPECT_TRUE(messages.texts.empty());

    // Upload: the drive's own configuration, named as uploaded.
    auto sim = Start({"--model", "1745", "--serial-control"});
    Cfg up(740);
    ASSERT_TRUE(up.Upload(messages));
    wizard->BeginEdit(kEntryUpload, up, kUploadedName);
    EXPECT_EQ(wizard->windowTitle(), kUploadedName);
    EXPECT_EQ(wizard->DriveText(), "SVE745");
    EXPECT_EQ(wizard->pcmbOutMap[3]->VarName(), "OutputMap4");
    EXPECT_EQ(wizard->ModeText().toStdString(), EnumText("OpMode730", ModeFromBlocks(up)));
    EXPECT_EQ(wizard->Core().BusClass, 640);
    for (int i = 0; i < wizard->cmbMotor->count(); ++i)
        EXPECT_GE(mdb_MaxVBus(wizard->cmbMotor->itemText(i).toStdString().c_str()), 640);
    wizard->btnBackClick();
    EXPECT_TRUE(wizard->Finished());
}

TEST_F(WizardWindowsTest, ValuesTakenFromTheDriveShowInTheEditorAndAreNotLostUnasked)
{
    Cfg cfg;
    cfg.Set("Model", 733);
    cfg.Set("Kvp", 2.0);
    cfg.ClearModified();
    wizard->BeginEdit(kEntryEditFile, cfg, "/tmp/x.cfg");
    auto *kvp = wizard->Control<TQXEditNum>("pedtKvp");
    ASSERT_NE(kvp, nullptr);
    // The Compare window stands in: it takes the drive's Kvp into the configuration edited.
    std::string comparedName;
    session.RegisterComparer([&](Cfg *edited, const std::string &name) {
        comparedName = name;
        edited->Set("Kvp", 4.25);
        return 1;
    });
    WhenModal<TSaveForm>([&](TSaveForm *s) {
        s->FormActivate();
        EXPECT_TRUE(s->btnCompare->isEnabled());
        EXPECT_EQ(s->btnCompare->text(), QStringLiteral("Co&mpare with Drive\u2026"));
        s->btnCompareClick();
        s->btnBackClick();
    });
    wizard->btnNextClick();
    EXPECT_EQ(comparedName, "/tmp/x.cfg");
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(kvp->text(), "4.25000") << "the editor's control follows";
    // The value is in no file: leaving the editor asks.
    messages.rule = [](BoxKind, const std::string &) { return Answer::No; };
    wizard->btnBackClick();
    EXPECT_TRUE(messages.Saw("Do you really want to lose any changes?"));
    EXPECT_TRUE(wizard->isVisible());
}
