// The configuration editor's windows walked through real flows on the offscreen platform, against
// the drive simulator: a new configuration from the first page to a file, a download and NVSave;
// a 740-family drive in serial and in SERCOS control; editing a file and an upload on the second
// page; the questions before losing changes; the defaults question after a motor change; the
// printout as a PDF; and every control named for accessibility tools.
#include "DriveValues.h"
#include "ListingText.h"
#include "QtTestSupport.h"
#include "FixedFileDialog.h"
#include "SimProcess.h"
#include "TempDir.h"
#include "TraceOrder.h"

#include "mdb700.h"
#include "tools700/Session.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/FileDialog.h"
#include "tools700/config/TextCanvas.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/BoundControls.h"
#include "tools700/wizard/CfgNewDlg.h"
#include "tools700/wizard/IOWizardDlg.h"
#include "tools700/wizard/PrintCfgDialog.h"
#include "tools700/wizard/SaveForm.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QRadioButton>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <set>
#include <sstream>

using namespace tools700;
using testsupport::FixedFileDialog;
using testutil::SimProcess;

namespace {

// Answers every box by a rule on its text, and records them all.
class RuleMessages : public Messages {
public:
    using Rule = std::function<Answer(BoxKind, const std::string &)>;
    Answer Show(BoxKind kind, const std::string &text, unsigned) override
    {
        texts.push_back(text);
        kinds.push_back(kind);
        return rule ? rule(kind, text) : Answer::Ok;
    }
    bool Saw(const std::string &prefix) const
    {
        for (const std::string &t : texts)
            if (t.rfind(prefix, 0) == 0)
                return true;
        return false;
    }
    Rule rule;
    std::vector<std::string> texts;
    std::vector<BoxKind> kinds;
};


using qttest::WhenModal;

bool TabShown(TCfgNewDlg &w, EditorTab t)
{
    return w.PageControl1->isTabVisible(w.PageControl1->indexOf(w.tabs[static_cast<int>(t)]));
}

void Choose(QComboBox *box, const QString &text)
{
    const int i = box->findText(text);
    ASSERT_GE(i, 0) << text.toStdString();
    box->setCurrentIndex(i);
}

class WizardWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qttest::App();
        SetControlMessages(&messages);
        session.SaveCfgDlg = &fileDialog;
        session.Register(Window::InertiaRatio, [this] {
            ++inertiaAsked;
            session.InertiaRatio = 3.0;
        });
        session.Register(Window::PortAxis, [] {});
        print = std::make_unique<TPrintCfgDialog>();
        save = std::make_unique<TSaveForm>(session, messages, *print);
        wizard = std::make_unique<TCfgNewDlg>(session, messages, *save);
        io = std::make_unique<TIOWizardDlg>(messages, *wizard, wizard.get());
        wizard->SetIOWizard(io.get());
    }
    void TearDown() override
    {
        io.reset();
        wizard.reset();
        save.reset();
        print.reset();
        SetControlMessages(nullptr);
        UseSerialPort(0);
    }
    std::unique_ptr<SimProcess> Start(std::vector<std::string> options)
    {
        return testutil::StartTraced(std::move(options), dir.File("trace.txt"));
    }
    // The first page filled in and "Next >>" pressed; the I/O wizard then shows.
    void FirstPage(const char *drive, const char *mode, int motorIndex = 0)
    {
        wizard->BeginNew();
        ASSERT_FALSE(wizard->OnSecondPage());
        Choose(wizard->cmbDrive, QString::fromLatin1(drive));
        wizard->cmbDriveChange();
        ASSERT_GT(wizard->cmbMotor->count(), motorIndex);
        wizard->cmbMotor->setCurrentIndex(motorIndex);
        wizard->cmbMotorChange();
        Choose(wizard->cmbOpMode, QString::fromLatin1(mode));
        wizard->cmbOpModeClick();
        wizard->OKBtnClick();
        ASSERT_TRUE(io->isVisible());
    }

    qttest::SettingsFile settings;
    testsupport::TempDir dir;
    Session session;
    RuleMessages messages;
    FixedFileDialog fileDialog;
    int inertiaAsked = 0;
    std::unique_ptr<TPrintCfgDialog> print;
    std::unique_ptr<TSaveForm> save;
    std::unique_ptr<TCfgNewDlg> wizard;
    std::unique_ptr<TIOWizardDlg> io;
};

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

TEST_F(WizardWindowsTest, TheQuestionsBeforeLosingChanges)
{
    Cfg cfg;
    cfg.Set("Model", 733);
    cfg.Set("Kvp", 2.0);
    cfg.ClearModified();
    wizard->BeginEdit(kEntryEditFile, cfg, "/tmp/x.cfg");
    auto *kvp = wizard->Control<TQXEditNum>("pedtKvp");
    ASSERT_NE(kvp, nullptr);
    kvp->setText(QStringLiteral("3.5"));
    kvp->DoExit();
    // Cancel after an edit asks; No keeps editing, Yes closes.
    messages.rule = [](BoxKind, const std::string &) { return Answer::No; };
    wizard->btnBackClick();
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "Do you really want to lose any changes?\n\nPress YES to lose changes, NO to continue "
                                 "editing.");
    EXPECT_EQ(messages.kinds[0], BoxKind::Warning);
    EXPECT_FALSE(wizard->Finished());
    EXPECT_TRUE(wizard->isVisible());

    // The save window's question: Yes goes back to the save window, No finishes; Back returns
    // to the editor with the edit kept and taken as the new baseline.
    int visit = 0;
    std::function<void(TSaveForm *)> step = [&](TSaveForm *s) {
        ++visit;
        if (visit == 1) {
            messages.rule = [](BoxKind, const std::string &) { return Answer::Yes; };
            s->btnFinishClick();
            EXPECT_TRUE(s->isVisible());
            s->btnBackClick();
        } else {
            messages.rule = [](BoxKind, const std::string &) { return Answer::No; };
            s->btnFinishClick();
        }
    };
    WhenModal<TSaveForm>(step);
    wizard->btnNextClick();
    EXPECT_EQ(visit, 1);
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(cfg.Get("Kvp"), 3.5);
    EXPECT_EQ(kvp->text(), "3.50000");
    WhenModal<TSaveForm>(step);
    wizard->btnNextClick();
    EXPECT_EQ(visit, 2);
    EXPECT_TRUE(wizard->Finished());
    EXPECT_TRUE(messages.Saw("You haven't saved this configuration to a file yet!"));
}

TEST_F(WizardWindowsTest, TheDefaultSettingQuestionAfterAMotorChange)
{
    FirstPage("SV733", "Velocity Mode -- Analog Command", 0);
    io->btnOKClick();
    ASSERT_TRUE(wizard->OnSecondPage());
    Cfg *first = wizard->Core().WorkingCfg;
    ASSERT_NE(first, nullptr);
    Cfg before;
    before.Assign(*first);

    // No: only the motor's variables change.
    messages.rule = [](BoxKind, const std::string &) { return Answer::No; };
    wizard->cmbMotor->setCurrentIndex(7);
    wizard->cmbMotorChange();
    EXPECT_EQ(messages.texts.back(), "Do you want to change parameters to default setting?");
    EXPECT_EQ(messages.kinds.back(), BoxKind::Warning);
    EXPECT_EQ(wizard->Core().WorkingCfg, first);
    const std::set<std::string> motorVariables{"BlkType", "EncMode", "Motor1", "Motor2", "PoleCount", "HallOffset"};
    int changed = 0;
    for (TQX *t : first->PrimaryList()) {
        const std::string &n = t->VarName();
        if (t->Val() == before.Get(n))
            continue;
        ++changed;
        const bool harmonic = n.find("HarmCoeff") != std::string::npos;
        EXPECT_TRUE(motorVariables.count(n) || harmonic) << n;
    }
    EXPECT_GT(changed, 0);
    EXPECT_EQ(PackedMotorName(*first), wizard->MotorText().toStdString());
    EXPECT_EQ(inertiaAsked, 0);

    // A value typed (and left, as choosing the motor does) is kept through the change.
    auto *kvp = wizard->Control<TQXEditNum>("pedtKvp");
    ASSERT_NE(kvp, nullptr);
    kvp->setText(QStringLiteral("3.25"));
    kvp->DoExit();
    wizard->cmbMotor->setCurrentIndex(8);
    wizard->cmbMotorChange();
    EXPECT_EQ(first->Get("Kvp"), 3.25);
    EXPECT_EQ(kvp->text().toDouble(), 3.25);
    EXPECT_EQ(PackedMotorName(*first), wizard->MotorText().toStdString());

    // Yes: a new configuration for the motor, the ratio asked for this velocity mode.
    messages.rule = [](BoxKind, const std::string &) { return Answer::Yes; };
    wizard->cmbMotor->setCurrentIndex(9);
    wizard->cmbMotorChange();
    EXPECT_EQ(inertiaAsked, 1);
    Cfg *second = wizard->Core().WorkingCfg;
    EXPECT_EQ(second, wizard->Core().OwnCfg.get());
    EXPECT_EQ(PackedMotorName(*second), wizard->MotorText().toStdString());
    EXPECT_EQ(wizard->Core().IoMap, DefaultIoMap(false, 1));

    // A mode change with Yes: the defaults of the new mode; a torque mode asks no ratio.
    Choose(wizard->cmbOpMode, QStringLiteral("Torque Mode -- Analog Command"));
    wizard->cmbOpModeClick();
    EXPECT_EQ(inertiaAsked, 1);
    EXPECT_EQ(wizard->Core().SelectedMode, 0);
    EXPECT_TRUE(TabShown(*wizard, EditorTab::Torque));
    EXPECT_FALSE(wizard->Control<QWidget>("pedtKvp")->isEnabled());
    EXPECT_EQ(wizard->Core().WorkingCfg->Get("InpMap4"), 0x8007);
    wizard->btnBackClick();
}

TEST_F(WizardWindowsTest, FirstPageRulesAndTheTabHandlers)
{
    wizard->BeginNew();
    EXPECT_EQ(wizard->windowTitle(), "Create New Configuration");
    EXPECT_EQ(wizard->height(), 250);
    EXPECT_TRUE(wizard->PageControl1->isHidden());
    EXPECT_FALSE(wizard->cmbMotor->isEnabled());
    EXPECT_EQ(wizard->cmbDrive->count(), 10);
    wizard->OKBtnClick();
    EXPECT_EQ(messages.texts.back(), "You must select a drive type!");
    Choose(wizard->cmbDrive, QStringLiteral("SVE733"));
    wizard->cmbDriveChange();
    EXPECT_EQ(wizard->Core().BusClass, 640);
    wizard->OKBtnClick();
    EXPECT_EQ(messages.texts.back(), "You must select a motor!");
    wizard->cmbMotor->setCurrentIndex(0);
    wizard->OKBtnClick();
    EXPECT_EQ(messages.texts.back(), "You must select a mode of operation!");
    Choose(wizard->cmbOpMode, QStringLiteral("Torque Mode -- Analog Command"));
    wizard->cmbOpModeClick();
    EXPECT_TRUE(wizard->grpTuning->isHidden());
    Choose(wizard->cmbOpMode, QStringLiteral("Position Mode -- Predefined Moves"));
    wizard->cmbOpModeClick();
    EXPECT_FALSE(wizard->grpTuning->isHidden());
    wizard->edtInertia->setText(QStringLiteral("x"));
    const size_t boxes = messages.texts.size();
    EXPECT_THROW(wizard->OKBtnClick(), std::exception);  // the conversion error, nothing built
    EXPECT_EQ(messages.texts.size(), boxes);
    EXPECT_FALSE(io->isVisible());
    wizard->edtInertia->setText(QStringLiteral("2.5"));
    wizard->OKBtnClick();
    EXPECT_EQ(session.InertiaRatio, 2.5);
    EXPECT_EQ(io->StatusText(), "Default Setting   Please select input port 6 and output port 2");
    // Clear, then Next: an all-zero map.
    io->btnClearClick();
    io->btnOKClick();
    EXPECT_EQ(wizard->Core().IoMap, IoMap{});
    EXPECT_EQ(wizard->height(), 600);
    EXPECT_TRUE(TabShown(*wizard, EditorTab::Predefined));
    EXPECT_EQ(wizard->edtInertia->text(), "2.5");

    // Predefined moves: move 3 of type Home shows the homing rows; registration needs remote
    // feedback.
    wizard->PageControl1->setCurrentWidget(wizard->tabs[static_cast<int>(EditorTab::Predefined)]);
    wizard->rdiMove[3]->setChecked(true);
    EXPECT_EQ(wizard->MoveNumber(), 3);
    EXPECT_EQ(wizard->grpMoveParameters->title(), "Move Parameters for Move 3");
    auto *moveType = wizard->Control<TQXComboBox>("pcmbMoveType");
    EXPECT_EQ(moveType->VarName(), "Move3Type");
    Choose(moveType, QStringLiteral("Home"));
    wizard->MoveTypeRule();
    EXPECT_FALSE(wizard->Control<QWidget>("pcmbHomeMode")->isHidden());
    EXPECT_TRUE(wizard->Control<QWidget>("pedtDistance")->isHidden());
    wizard->Core().WorkingCfg->Set("RemoteFB", 0);
    wizard->MoveTypeRule();
    EXPECT_FALSE(wizard->Control<QWidget>("pcmbRegSelect")->isEnabled());
    Choose(moveType, QStringLiteral("Absolute"));
    wizard->MoveTypeRule();
    EXPECT_EQ(wizard->lblDistance->text(), "Position");
    EXPECT_FALSE(wizard->Control<QWidget>("pedtDistance")->isHidden());

    // Feedback: a Comcoder forces encoder feedback and disables the choice.
    wizard->PageControl1->setCurrentWidget(wizard->tabs[static_cast<int>(EditorTab::Feedback)]);
    Choose(wizard->Control<QComboBox>("pcmbCommSrcBox"), QStringLiteral("Comcoder (Hall/Encoder)"));
    wizard->pcmbCommSrcBoxClick();
    EXPECT_EQ(wizard->Control<QComboBox>("pcmbRemoteFB")->currentText(), "Encoder for Vel & Pos");
    EXPECT_FALSE(wizard->Control<QWidget>("pcmbRemoteFB")->isEnabled());
    EXPECT_EQ(wizard->lblFeedBack->text(), "Closes position and velocity loops around the encoder");
    EXPECT_EQ(wizard->Core().WorkingCfg->Get("RemoteFB"), 2);
    Choose(wizard->Control<QComboBox>("pcmbCommSrcBox"), QStringLiteral("Resolver"));
    wizard->pcmbCommSrcBoxClick();
    Choose(wizard->Control<QComboBox>("pcmbRemoteFB"), QStringLiteral("Resolver for Vel & Pos"));
    wizard->pcmbRemoteFBChange();
    EXPECT_FALSE(wizard->pnlEmulatedEncoder->isHidden());
    EXPECT_TRUE(wizard->pnlEncoder->isHidden());
    messages.rule = [](BoxKind, const std::string &) { return Answer::Yes; };
    wizard->btnBackClick();
    EXPECT_TRUE(wizard->Finished());
}

TEST_F(WizardWindowsTest, ThePrintoutAsAPdfIsTheFamilysShortListing)
{
    if (!testutil::HavePdfToText())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    for (const char *model : {"733", "743"}) {
        const bool f740 = std::string(model) == "743";
        Cfg cfg740(740), cfg730;
        Cfg &cfg = f740 ? cfg740 : cfg730;
        FillDefaults(cfg, MotorNames(false, 320).at(2), f740 ? "SV743" : "SV733", 1, 1.0, DefaultIoMap(f740, 1));
        const std::string pdf = dir.File(std::string("listing") + model + ".pdf");
        print->Printer().setOutputFormat(QPrinter::PdfFormat);
        print->Printer().setOutputFileName(QString::fromStdString(pdf));
        print->Begin(cfg, "my listing");
        EXPECT_EQ(print->lblConfigname->text(), "my listing");
        ASSERT_TRUE(print->btnPrintClick());
        EXPECT_FALSE(print->isVisible());

        std::ostringstream text;
        TextCanvas canvas(text, 10000);
        cfg.Print(canvas, "my listing", false, {}, std::stoi(model));
        auto body = [](const std::vector<std::vector<std::string>> &pages) {
            std::vector<std::string> lines;
            for (const auto &page : pages)
                for (const std::string &l : page)
                    if (l.find(" Page ") == std::string::npos)
                        lines.push_back(l);
            return lines;
        };
        const auto fromPdf = testutil::NormalizedPages(testutil::PdfToText(pdf));
        ASSERT_FALSE(fromPdf.empty());
        EXPECT_EQ(fromPdf[0][0].rfind("my listing ", 0), 0u);
        EXPECT_EQ(body(fromPdf), body(testutil::NormalizedPages(text.str()))) << model;
    }
    // The font chosen stays for the next print; Cancel prints nothing.
    QFont font(QStringLiteral("DejaVu Sans Mono"), 8);
    print->SetPrinterFont(font);
    Cfg cfg;
    print->Begin(cfg, "again");
    print->btnCancel->click();
    EXPECT_EQ(print->PrinterFont(), font);
}

TEST_F(WizardWindowsTest, EveryControlOfTheseWindowsHasAName)
{
    wizard->BeginNew();
    EXPECT_EQ(AccessibilityProblems(wizard.get()), QStringList());
    Choose(wizard->cmbDrive, QStringLiteral("SV733"));
    wizard->cmbDriveChange();
    wizard->cmbMotor->setCurrentIndex(0);
    Choose(wizard->cmbOpMode, QStringLiteral("Velocity Mode -- Analog Command"));
    wizard->cmbOpModeClick();
    wizard->OKBtnClick();
    EXPECT_EQ(AccessibilityProblems(io.get()), QStringList());
    io->btnOKClick();
    EXPECT_EQ(AccessibilityProblems(wizard.get()), QStringList());
    // The tabs the mode does not use are hidden to a screen reader as well.
    QTabBar *bar = wizard->PageControl1->tabBar();
    QAccessibleInterface *tabs = QAccessible::queryAccessibleInterface(bar);
    ASSERT_EQ(tabs->childCount(), bar->count());
    int hidden = 0;
    for (int i = 0; i < bar->count(); ++i) {
        EXPECT_EQ(tabs->child(i)->state().invisible, !bar->isTabVisible(i)) << bar->tabText(i).toStdString();
        hidden += bar->isTabVisible(i) ? 0 : 1;
    }
    EXPECT_GT(hidden, 0);
    Cfg cfg;
    save->Begin(cfg, "x", false);
    EXPECT_EQ(AccessibilityProblems(save.get()), QStringList());
    save->hide();
    print->Begin(cfg, "x");
    EXPECT_EQ(AccessibilityProblems(print.get()), QStringList());
    print->hide();
    messages.rule = [](BoxKind, const std::string &) { return Answer::Yes; };
    wizard->btnBackClick();
}

} // namespace

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
