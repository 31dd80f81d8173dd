// The program's windows together: the main window's New Configuration, Edit File and Upload open
// the configuration editor that the start-up registered, on the right page, and each window of
// the editor finds its help page.
#include "QtTestSupport.h"
#include "FixedFileDialog.h"
#include "Startup.h"

#include "tools700/common/ScriptedMessages.h"
#include "tools700/common/Session.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/FileDialog.h"
#include "tools700/config/Generator.h"
#include "tools700/shell/MainForm.h"
#include "tools700/widgets/HelpViewer.h"
#include "tools700/diagnostics/Troubleshooting.h"
#include "tools700/tuning/InertiaRDlg.h"
#include "tools700/tuning/SlTuningBox.h"
#include "tools700/tuning/Tuning.h"
#include "tools700/wizard/CfgNewDlg.h"
#include "tools700/wizard/IOWizardDlg.h"
#include "tools700/wizard/SaveForm.h"
#include "tools700/wizard/WizardRules.h"

#include <QComboBox>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tools700;
using testsupport::FixedFileDialog;

namespace {


// Runs `step` once the configuration editor shows as the modal window.
void WhenEditorShows(std::function<void(TCfgNewDlg *)> step) { qttest::WhenModal<TCfgNewDlg>(std::move(step)); }

class ProgramFlowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qttest::App();
        setenv("TOOLS700_HELP_DIR", TOOLS700_BIN_DIR "/help", 1);
        ASSERT_EQ(StartProgram(program, messages, dir.filePath(QStringLiteral("Tools700")), {}), StartResult::Started);
        UseSerialPort(0);
        SetAxis700(255);
    }
    qttest::SettingsFile settings;
    QTemporaryDir dir;
    ScriptedMessages messages;
    Program program;
};

TEST_F(ProgramFlowTest, NewConfigurationAndEditFileOpenTheEditorOnTheirPages)
{
    TMainForm *main = program.mainForm;
    bool firstPage = false;
    WhenEditorShows([&](TCfgNewDlg *w) {
        firstPage = !w->OnSecondPage() && w->windowTitle() == QLatin1String("Create New Configuration") &&
                    w->cmbDrive->count() == 10;
        w->CancelBtnClick();
    });
    main->NewConfiguration();
    EXPECT_TRUE(firstPage);

    const std::string motor = MotorNames(false, 640).at(1); // a motor of the fieldbus drive's bus
    Cfg made;
    FillDefaults(made, motor, "SVE735", 1, 1.0, DefaultIoMap(false, 1));
    const std::string file = dir.filePath(QStringLiteral("cfg/edit.cfg")).toStdString();
    ASSERT_GT(made.Save(file, 1735), 0);
    main->SetOpenCfgDialog(std::make_unique<FixedFileDialog>(file));
    bool secondPage = false;
    WhenEditorShows([&](TCfgNewDlg *w) {
        secondPage = w->OnSecondPage() && w->windowTitle().toStdString() == file && w->DriveText() == "SVE735" &&
                     w->MotorText().toStdString() == motor && w->ModeText() == "Velocity Mode -- Analog Command" &&
                     w->PageControl1->isVisible();
        w->btnBackClick();
    });
    main->EditFile();
    EXPECT_TRUE(secondPage);
    EXPECT_TRUE(messages.texts().empty());
    EXPECT_TRUE(program.Find<TCfgNewDlg>()->Finished());
}

TEST_F(ProgramFlowTest, UploadOpensTheEditorOnTheDrivesConfiguration)
{
    qttest::DriveSim sim({"--model", "743", "--axes", "1", "--serial-control"});
    ASSERT_TRUE(sim.Ready());
    bool shown = false;
    WhenEditorShows([&](TCfgNewDlg *w) {
        shown = w->OnSecondPage() && w->windowTitle() == QLatin1String(kUploadedName) &&
                w->DriveText() == "SV743" && w->Core().EntryMode == kEntryUpload;
        w->btnBackClick();
    });
    program.mainForm->Upload();
    ASSERT_TRUE(qttest::Settle([&] { return program.mainForm->DriveBusy(); }));
    EXPECT_TRUE(shown);
}

TEST_F(ProgramFlowTest, EveryEditorWindowHasItsHelpPage)
{
    const HelpIndex &index = AppHelp().Index();
    for (int context : {kHelpNewConfiguration, kHelpConfigurationEditor, kHelpSaveWindow, kHelpIOWizard})
        EXPECT_NE(index.ByContext(context), nullptr) << context;
    // F1 opens the page of the window's context: the save window's, for one.
    RequestHelp(program.Find<TSaveForm>());
    EXPECT_TRUE(AppHelp().CurrentFile().endsWith(QLatin1String("/save.html"))) << AppHelp().CurrentFile().toStdString();
    RequestHelp(program.Find<TIOWizardDlg>());
    EXPECT_TRUE(AppHelp().CurrentFile().endsWith(QLatin1String("/iowizard.html")));
    AppHelp().hide();
}

TEST_F(ProgramFlowTest, DiagnosticsAndTheTuningWizardOpenFromTheMainWindow)
{
    qttest::DriveSim sim({"--model", "733", "--configured"});
    ASSERT_TRUE(sim.Ready());
    TMainForm *main = program.mainForm;
    EXPECT_TRUE(main->bbtnTrouble->isEnabled());
    EXPECT_TRUE(main->mnuTrouble->isEnabled());
    auto *trouble = program.Find<TTroubleshooting>();
    ASSERT_NE(trouble, nullptr);
    main->Diagnostics();
    ASSERT_TRUE(qttest::Settle([&] { return main->DriveBusy(); }));
    EXPECT_TRUE(trouble->isVisible());
    EXPECT_FALSE(trouble->isModal());
    RequestHelp(trouble);
    EXPECT_TRUE(AppHelp().CurrentFile().endsWith(QLatin1String("/diagnostics.html")));
    AppHelp().hide();
    trouble->btnCancelClick();

    // Not on line: the drive and motor choice, modal.
    messages.Queue(Answer::No);
    bool offline = false;
    qttest::WhenModal<TslTuningBox>([&](TslTuningBox *box) {
        offline = box->cmbDrive->count() > 0;
        box->btnCancelClick();
    });
    main->TuningWizard();
    EXPECT_TRUE(offline);
    EXPECT_EQ(messages.texts().back(), "Would you like to use Tuning Wizard Online?");

    // On line: the ratio dialog with its on-line purpose.
    messages.Queue(Answer::Yes);
    int purpose = 0;
    qttest::WhenModal<TInertiaRDlg>([&](TInertiaRDlg *dlg) {
        purpose = dlg->Purpose();
        dlg->btnCancelClick();
    });
    main->TuningWizard();
    ASSERT_TRUE(qttest::Settle([&] { return main->DriveBusy(); }));
    EXPECT_EQ(purpose, TInertiaRDlg::kOnlineTuning);
    EXPECT_FALSE(program.Find<TTuning>()->isVisible()) << "Cancel starts nothing";
    RequestHelp(program.Find<TTuning>());
    EXPECT_TRUE(AppHelp().CurrentFile().endsWith(QLatin1String("/tuning.html")));
    AppHelp().hide();
}

} // namespace
