// The main window against the drive simulator: status updates for each kind of drive, the
// control-mode switch checked from the drive's side, the workflows' guards, Upload, Edit File
// and Exit.
#include "QtTestSupport.h"
#include "FixedFileDialog.h"

#include "tools700/Error.h"
#include "tools700/ScriptedMessages.h"
#include "tools700/Session.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/DriveState.h"
#include "tools700/config/FileDialog.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/shell/ConnectionStatus.h"
#include "tools700/shell/MainForm.h"
#include "tools700/widgets/RockerSwitch.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace tools700;
using testsupport::FixedFileDialog;
using qttest::DriveSim;

namespace {

const char kCommWarning[] =
    "     Can't communicate with the drive!  \n     \n     Please check the menu to see that the correct \n"
    "     serial port and drive address are selected,\n     and verify that the drive is connected to the\n"
    "     serial port.\n";


double Read(const char *name)
{
    double v = -1;
    EXPECT_EQ(GetVar700(name, &v), 0) << name;
    return v;
}

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qttest::App();
        UseSerialPort(0);  // the simulator channel
        SetAxis700(255);
        form = std::make_unique<TMainForm>(session, messages, dir.filePath(QStringLiteral("Tools700")), QStringList{});
        form->SetExitFunction([this](int code) { exitCode = code; });
        // Every window is built (the test of a missing one has its own session).
        for (std::size_t w = 0; w < static_cast<std::size_t>(Window::Count); ++w)
            if (static_cast<Window>(w) != Window::PortAxis)
                session.Register(static_cast<Window>(w), [] {});
        session.RegisterEditor([this](int entryMode, Cfg &cfg, const std::string &name) {
            edited.push_back(name);
            editedModel.push_back(cfg.Get("Model"));
            edited740.push_back(cfg.Indexes740());
            entryModes.push_back(entryMode);
        });
    }
    void TearDown() override { form.reset(); }

    std::string Panel(int i) const { return form->PanelText(i).toStdString(); }
    // A status update as the monitor makes it: the reads, then the update (no exchange there).
    void Status(const std::string &text) { form->UpdateStatus(text, ReadStatus(text != "No connection")); }
    void Report(const std::string &text) { form->MonitorReport(text, ReadStatus(text != "No connection")); }
    // The window's drive work, and what it hands back, have ended.
    void Settle() { ASSERT_TRUE(qttest::Settle([this] { return form->DriveBusy(); })); }
    std::string WriteFile(const char *name, const char *text)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return path.toStdString();
    }

    QTemporaryDir dir;
    ScriptedMessages messages;
    Session session;
    std::unique_ptr<TMainForm> form;
    int exitCode = -1;
    std::vector<std::string> edited;
    std::vector<double> editedModel;
    std::vector<bool> edited740;
    std::vector<int> entryModes;
};

TEST_F(MainFormTest, LayoutMenusAndStartingState)
{
    EXPECT_EQ(form->windowTitle(), "Korvane 700Tools");
    EXPECT_EQ(Panel(0), "Drive");
    EXPECT_EQ(Panel(1), "Mode");
    EXPECT_EQ(Panel(2), "<no connection>");
    EXPECT_EQ(form->stbPanel[0]->width(), 125);
    EXPECT_EQ(form->stbPanel[1]->width(), 300);
    EXPECT_EQ(form->bbtnNew->text(), "&New  Configuration");
    EXPECT_EQ(form->bbtnScope->text(), " &Oscilloscope    ");
    EXPECT_EQ(form->bbtnTrouble->text(), "&Diagnostics    ");
    EXPECT_EQ(form->bbtnUpload->toolTip(), "Reads a configuration from the drive and opens the Configuration Editor");
    EXPECT_EQ(form->lbl740Mode->text(), "Control Mode Switch");
    EXPECT_FALSE(form->Is740Visible());
    EXPECT_TRUE(form->pgbLoad->isHidden());
    EXPECT_FALSE(form->mnuUpdateFW->isEnabled());
    QStringList comm;
    for (QAction *a : form->mnuComm->actions())
        comm << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(comm, (QStringList{"Port/Axis", "Drives on the Line", "-", "Upload", "Edit Online", "-", "Exit"}));
    QStringList util;
    for (QAction *a : form->mnuUtilities->actions())
        util << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(util, (QStringList{"Edit &Motor Database", "-", "Upgrade FW", "-", "Tuning Wizard", "-", "Oscilloscope",
                                 "-", "Diagnostics"}));
    EXPECT_EQ(form->mnuHelp->title(), "&Help");
    EXPECT_EQ(session.DriveModel, 0);
    EXPECT_FALSE(session.SerialControl);
    EXPECT_EQ(session.InertiaRatio, 1.0);
    EXPECT_FALSE(session.InHouse);
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("cfg"))).exists());
    EXPECT_EQ(session.CfgDir, (dir.path() + QStringLiteral("/cfg/")).toStdString());
}

TEST_F(MainFormTest, InHouseOnlyForTheOneOptionInAnyCase)
{
    const QString program = dir.filePath(QStringLiteral("Tools700"));
    auto inHouse = [&](const QStringList &args) {
        Session s;
        TMainForm main(s, messages, program, args);
        return s.InHouse;
    };
    EXPECT_TRUE(inHouse({QStringLiteral("-INHOUSE")}));
    EXPECT_TRUE(inHouse({QStringLiteral("-inhouse")}));
    EXPECT_FALSE(inHouse({QStringLiteral("-inhouse"), QStringLiteral("x")}));
    EXPECT_FALSE(inHouse({QStringLiteral("inhouse")}));
}

TEST_F(MainFormTest, Drive730ShowsItsOperatingModeAndNoSwitch)
{
    DriveSim sim({"--model", "733", "--axes", "1"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(PutVar700("BlkType", 2), 0);
    Status("Status: Axis 1  x");
    EXPECT_EQ(session.DriveModel, 733);
    EXPECT_EQ(Panel(0), "Drive: SV733");
    const int mode = OperatingMode(2, static_cast<int>(Read("EncMode")));
    EXPECT_EQ(form->OpMode, mode);
    EXPECT_EQ(Panel(1), EnumText("OpMode730", mode));
    EXPECT_EQ(Panel(2), "Status: Axis 1  x");
    EXPECT_FALSE(form->Is740Visible());
    EXPECT_TRUE(form->bbtnUpload->isEnabled());
    EXPECT_TRUE(form->mnuUpload->isEnabled());
    EXPECT_FALSE(form->mnuUpdateFW->isEnabled());
    EXPECT_EQ(form->mnuTuningWizard->isEnabled(), mode != 0 && mode != 6);

    // A torque mode disables the tuning wizard.
    for (int blk = 0; blk <= 9; ++blk) {
        if (PutVar700("BlkType", blk) != 0)
            continue;
        Status("Status: Axis 1  x");
        EXPECT_EQ(form->mnuTuningWizard->isEnabled(), form->OpMode != 0 && form->OpMode != 6) << blk;
    }

    // The cable is pulled.
    Status("No connection");
    EXPECT_EQ(Panel(0), "Drive");
    EXPECT_EQ(Panel(1), "Mode");
    EXPECT_EQ(Panel(2), "No connection");
    EXPECT_EQ(session.DriveModel, 0);
}

TEST_F(MainFormTest, Drive740InSerialControl)
{
    DriveSim sim({"--model", "1745", "--axes", "1", "--serial-control"});
    ASSERT_TRUE(sim.Ready());
    Status("Status: Axis 1  x");
    EXPECT_EQ(Panel(0), "Drive: SVE745");
    EXPECT_EQ(Panel(1), "Serial Control Mode");
    EXPECT_TRUE(form->Is740Visible());
    EXPECT_FALSE(form->lbl740Mode->isHidden());
    EXPECT_TRUE(form->swt740Mode->IsOn());
    EXPECT_TRUE(session.SerialControl);
    EXPECT_TRUE(form->bbtnUpload->isEnabled());
    EXPECT_TRUE(form->mnuUpdateFW->isEnabled());
}

TEST_F(MainFormTest, Drive740InSercosControl)
{
    DriveSim sim({"--model", "743", "--axes", "1"});
    ASSERT_TRUE(sim.Ready());
    bool unconfigureVisible = true;
    QObject::connect(form.get(), &TMainForm::userUnconfigureVisibleChanged,
                     [&](bool visible) { unconfigureVisible = visible; });
    Status("Status: Axis 1  x");
    EXPECT_EQ(Panel(0), "Drive: SV743");
    EXPECT_EQ(Panel(1), "SERCOS Control Mode");
    EXPECT_TRUE(form->Is740Visible());
    EXPECT_FALSE(form->swt740Mode->IsOn());
    EXPECT_FALSE(session.SerialControl);
    EXPECT_FALSE(form->bbtnUpload->isEnabled());
    EXPECT_FALSE(form->mnuUpload->isEnabled());
    EXPECT_FALSE(form->mnuTuningWizard->isEnabled());
    EXPECT_TRUE(form->mnuUpdateFW->isEnabled());
    EXPECT_FALSE(unconfigureVisible);
}

TEST_F(MainFormTest, CommErrorCountsAsConnectedAndAFailedModelReadShowsSV0)
{
    DriveSim sim({"--model", "743", "--axes", "1", "--refuse", "Model=68"});
    ASSERT_TRUE(sim.Ready());
    Status("CommError?");
    EXPECT_EQ(session.DriveModel, 0);
    EXPECT_EQ(Panel(0), "Drive: SV0");
    EXPECT_FALSE(form->Is740Visible());
    EXPECT_TRUE(form->bbtnUpload->isEnabled());
    EXPECT_EQ(Panel(2), "CommError?");
}

TEST_F(MainFormTest, FailedMfgLockReadIsShownOnceAndPollingGoesOn)
{
    DriveSim sim({"--model", "742", "--axes", "1", "--refuse", "MfgLock=68"});
    ASSERT_TRUE(sim.Ready());
    try {
        Status("Status: Axis 1  x");
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_STREQ(e.what(), "NOT IMPLEMENTED");
    }
    // Through the monitor, twice: the mode panel names the failure, the box comes once.
    Report("Status: Axis 1  x");
    Report("Status: Axis 1  x");
    EXPECT_EQ(Panel(1), "NOT IMPLEMENTED.");
    EXPECT_EQ(Panel(2), "Status: Axis 1  x");
    ASSERT_TRUE(qttest::WaitFor([&] { return !messages.texts().empty(); }));
    QCoreApplication::processEvents();
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, BoxKind::Error);
    EXPECT_EQ(messages.texts()[0], "NOT IMPLEMENTED.");

    // The real monitor keeps polling and reporting.
    form->FormActivate();
    Settle();
    const int before = form->StatusMonitor->Reports();
    ASSERT_TRUE(qttest::WaitFor([&] { return form->StatusMonitor->Reports() >= before + 2; }, 8000));
    EXPECT_TRUE(form->StatusMonitor->Polling());
    EXPECT_EQ(messages.texts().size(), 1u);
}

TEST_F(MainFormTest, SwitchRefusesWhileTheDriveIsEnabledOrCannotBeAsked)
{
    {
        DriveSim sim({"--model", "743", "--axes", "1", "--serial-control"});
        ASSERT_TRUE(sim.Ready());
        ASSERT_EQ(ExeCmd700("TableGen"), 0);
        ASSERT_EQ(PutVar700("Enable", 1), 0);
        ASSERT_EQ(Read("Enabled"), 1);
        Status("Status: Axis 1  x");
        form->swt740ModeClick();
    Settle();
        ASSERT_EQ(messages.texts().size(), 1u);
        EXPECT_EQ(messages.texts()[0], "The drive is enabled, so we can't switch the control mode now");
        EXPECT_EQ(Read("MfgLock"), 1);  // nothing written
        EXPECT_EQ(Read("Enabled"), 1);
        EXPECT_TRUE(session.SerialControl);
    }
    DriveSim sim({"--model", "743", "--axes", "1", "--refuse", "Enabled=4"});
    ASSERT_TRUE(sim.Ready());
    form->swt740ModeClick();
    Settle();
    EXPECT_EQ(messages.texts().back(), "There are some communication problems, so we can't switch the control mode now");
}

TEST_F(MainFormTest, SwitchingToSercosAndBack)
{
    DriveSim sim({"--model", "744", "--axes", "1", "--serial-control"});
    ASSERT_TRUE(sim.Ready());
    Status("Status: Axis 1  x");
    ASSERT_TRUE(session.SerialControl);

    // "No": nothing changes in the drive.
    messages.Queue(Answer::No);
    form->swt740ModeClick();
    Settle();
    EXPECT_EQ(messages.texts().back(),
              " Switching to SERCOS Control will disable the Serial Control. Are you sure to do it? ");
    EXPECT_EQ(messages.shown().back().kind, BoxKind::Confirmation);
    EXPECT_EQ(Read("MfgLock"), 1);
    EXPECT_TRUE(session.SerialControl);

    messages.Queue(Answer::Yes);
    form->swt740ModeClick();
    Settle();
    EXPECT_EQ(Read("MfgLock"), 0);
    EXPECT_EQ(Read("Enabled"), 0);
    EXPECT_FALSE(session.SerialControl);
    EXPECT_FALSE(form->swt740Mode->IsOn());
    EXPECT_EQ(Panel(1), " SERCOS Control Mode");

    ASSERT_EQ(PutVar700("BlkType", 3), 0);
    messages.Queue(Answer::Yes);
    form->swt740ModeClick();
    Settle();
    EXPECT_EQ(messages.texts().back(),
              " Switching to Serial Control will disable the SERCOS Control. Are you sure to do it? ");
    EXPECT_EQ(Read("MfgLock"), 1);
    EXPECT_EQ(Read("BlkType"), 8);
    EXPECT_EQ(Read("Enable"), 0);
    EXPECT_TRUE(session.SerialControl);
    EXPECT_TRUE(form->swt740Mode->IsOn());
    EXPECT_EQ(Panel(1), "Serial Control Mode");

    // The next status update sets the buttons from the drive.
    Status("Status: Axis 1  x");
    EXPECT_TRUE(form->bbtnUpload->isEnabled());
    EXPECT_EQ(form->OpMode, OperatingMode(8, static_cast<int>(Read("EncMode"))));
}

// The writes the simulator received, in order, from its trace file ("<axis> PUT_<kind> <name> <value> <result>";
// the form talks to the automatic axis 255).
std::vector<std::string> PutsIn(const QString &traceFile)
{
    std::vector<std::string> puts;
    QFile f(traceFile);
    if (!f.open(QIODevice::ReadOnly))
        return puts;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.contains(" PUT_"))
            puts.push_back(line.toStdString());
    return puts;
}

// A drive whose fieldbus master holds it accepts the MfgLock write and stays where it was: the
// program reads the lock back, says so, and the rocker (clicked with the mouse, whatever position
// it showed) is left at the drive's actual control.
TEST_F(MainFormTest, SwitchToSercosRefusedByTheDriveKeepsSerialControl)
{
    const QString trace = dir.filePath(QStringLiteral("trace.txt"));
    DriveSim sim({"--model", "743", "--axes", "1", "--serial-control", "--mfglock-stuck", "--trace",
                  trace.toStdString()});
    ASSERT_TRUE(sim.Ready());
    Status("Status: Axis 1  x");
    ASSERT_TRUE(session.SerialControl);
    ASSERT_EQ(Panel(1), "Serial Control Mode");
    form->swt740Mode->SetOn(false);

    messages.Queue(Answer::Yes);
    QTest::mouseClick(form->swt740Mode, Qt::LeftButton);
    Settle();

    const auto shown = messages.shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, " Switching to SERCOS Control will disable the Serial Control. Are you sure to do it? ");
    EXPECT_EQ(shown[1].kind, BoxKind::Information);
    EXPECT_EQ(shown[1].buttons, unsigned(BtnOk));
    EXPECT_EQ(shown[1].text, "Drive is still controlled by 700tools. The action is failed");
    EXPECT_TRUE(form->swt740Mode->IsOn());
    EXPECT_TRUE(session.SerialControl);
    EXPECT_EQ(Panel(1), "Serial Control Mode");
    EXPECT_EQ(PutsIn(trace), (std::vector<std::string>{"255 PUT_INT Enable 0 ok", "255 PUT_INT MfgLock 1 ok"}));
    EXPECT_EQ(Read("MfgLock"), 1);

    // The next status update agrees with the drive.
    Status("Status: Axis 1  x");
    EXPECT_TRUE(form->swt740Mode->IsOn());
    EXPECT_TRUE(session.SerialControl);
}

TEST_F(MainFormTest, SwitchToSerialRefusedByTheDriveKeepsSercosControl)
{
    const QString trace = dir.filePath(QStringLiteral("trace.txt"));
    DriveSim sim({"--model", "1745", "--axes", "1", "--mfglock-stuck", "--trace", trace.toStdString()});
    ASSERT_TRUE(sim.Ready());
    Status("Status: Axis 1  x");
    ASSERT_FALSE(session.SerialControl);
    ASSERT_EQ(Panel(1), "SERCOS Control Mode");
    form->swt740Mode->SetOn(true);

    messages.Queue(Answer::Yes);
    QTest::mouseClick(form->swt740Mode, Qt::LeftButton);
    Settle();

    const auto shown = messages.shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, " Switching to Serial Control will disable the SERCOS Control. Are you sure to do it? ");
    EXPECT_EQ(shown[1].kind, BoxKind::Information);
    EXPECT_EQ(shown[1].buttons, unsigned(BtnOk));
    EXPECT_EQ(shown[1].text, " Drive is still controlled by SERCOS. The action is failed");
    EXPECT_FALSE(form->swt740Mode->IsOn());
    EXPECT_FALSE(session.SerialControl);
    EXPECT_EQ(Panel(1), "SERCOS Control Mode");
    // Neither Enable nor BlkType is written once the drive stayed with SERCOS.
    EXPECT_EQ(PutsIn(trace), (std::vector<std::string>{"255 PUT_INT MfgLock 584219637 ok"}));
    EXPECT_EQ(Read("MfgLock"), 0);

    Status("Status: Axis 1  x");
    EXPECT_FALSE(form->swt740Mode->IsOn());
    EXPECT_FALSE(session.SerialControl);
}

TEST_F(MainFormTest, LinkFailureInsideTheSwitchIsRaisedWithItsStatusText)
{
    DriveSim sim({"--model", "742", "--axes", "1", "--serial-control", "--refuse", "Enable=65"});
    ASSERT_TRUE(sim.Ready());
    Status("Status: Axis 1  x");
    messages.Queue(Answer::Yes);
    {
        // The error reaches the error box, as one of any user action does.
        qttest::BoxWatcher watcher;
        form->swt740ModeClick();
        Settle();
        ASSERT_TRUE(qttest::WaitFor([&] { return !watcher.boxes().empty(); }));
        EXPECT_EQ(watcher.boxes()[0].text, "READONLY.");
        EXPECT_EQ(watcher.boxes()[0].title, "700Tools");
    }
    EXPECT_TRUE(session.SerialControl);
    EXPECT_EQ(Read("MfgLock"), 1);
}

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

TEST_F(MainFormTest, OpensMaximisedAndKeepsThatSize)
{
    // The size of the maximised window, as the layout's minimum (as under a window system that
    // leaves the window at its minimum size): the maximum is fixed all the same.
    form->showMaximized();
    ASSERT_TRUE(qttest::WaitFor([&] { return form->isMaximized() && form->windowHandle()->isExposed(); }));
    qttest::WaitFor([] { return false; }, 300);
    form->hide();
    form->setMinimumSize(form->size());
    form->ShowMaximizedFixed();
    ASSERT_TRUE(qttest::WaitFor([&] { return form->isMaximized() && form->minimumSize() == form->maximumSize(); }));
    qttest::WaitFor([] { return false; }, 300);  // the window system's last word on the size
    const QSize size = form->size();
    const QSize area = form->screen()->availableGeometry().size();
    EXPECT_LE(size.width(), area.width());
    EXPECT_LE(size.height(), area.height());
    EXPECT_EQ(form->minimumSize(), size);
    EXPECT_EQ(form->maximumSize(), size);
    // What a window manager and the accessibility bus are told: nothing to resize or maximise.
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(form.get())->state().sizeable);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    form->resize(size / 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->size(), size);
    form->hide();
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

TEST_F(MainFormTest, MonitorFillsTheStatusBarAndClosingEndsIt)
{
    DriveSim sim({"--model", "733", "--axes", "1"});
    ASSERT_TRUE(sim.Ready());
    form->FormActivate();
    Settle();
    EXPECT_EQ(session.DriveModel, 733);
    ASSERT_TRUE(qttest::WaitFor([&] { return Panel(2).rfind("Status: Axis 1  ", 0) == 0; }, 8000)) << Panel(2);
    EXPECT_EQ(Panel(0), "Drive: SV733");

    // Other windows pause the polling; the status bar keeps its texts.
    form->SuspendStatusPolling();
    EXPECT_FALSE(form->StatusMonitor->Polling());
    form->ResumeStatusPolling();
    EXPECT_TRUE(form->StatusMonitor->Polling());

    sim.Stop();
    ASSERT_TRUE(qttest::WaitFor([&] { return Panel(2) == "No connection"; }, 8000));
    EXPECT_EQ(Panel(0), "Drive");
    form->FormClose();
    EXPECT_FALSE(form->StatusMonitor->Running());
}

// An unplugged USB adapter: its device goes away under the program (here the drive's end of a
// pseudo-terminal closes) and comes back under the same name (a link pointed at a new one).
TEST_F(MainFormTest, AnUnpluggedAdapterShowsNoConnectionAndTheDriveOnceItIsBack)
{
    const std::string link = dir.filePath(QStringLiteral("ttyUSB0")).toStdString();
    auto first = std::make_unique<DriveSim>(std::vector<std::string>{"--pty", "--model", "733", "--axes", "1"});
    ASSERT_FALSE(first->ptyPath().empty());
    ASSERT_EQ(symlink(first->ptyPath().c_str(), link.c_str()), 0);
    setenv("COMM700_COM1", link.c_str(), 1);
    ASSERT_EQ(UseSerialPort(1), 1);
    form->FormActivate();
    Settle();
    ASSERT_TRUE(qttest::WaitFor([&] { return Panel(2).rfind("Status: Axis 1  ", 0) == 0; }, 8000)) << Panel(2);

    first.reset();  // unplugged
    ASSERT_TRUE(qttest::WaitFor([&] { return Panel(2) == "No connection"; }, 8000)) << Panel(2);
    EXPECT_EQ(Panel(0), "Drive");

    DriveSim second({"--pty", "--model", "733", "--axes", "2"});
    ASSERT_FALSE(second.ptyPath().empty());
    const std::string tmp = link + ".new";
    ASSERT_EQ(symlink(second.ptyPath().c_str(), tmp.c_str()), 0);
    ASSERT_EQ(rename(tmp.c_str(), link.c_str()), 0);  // plugged in again
    EXPECT_TRUE(qttest::WaitFor([&] { return Panel(2).rfind("Status: Axis 2  ", 0) == 0; }, 10000)) << Panel(2);
    EXPECT_EQ(Panel(0), "Drive: SV733");
    form->FormClose();
    UseSerialPort(0);
    unsetenv("COMM700_COM1");
}

TEST_F(MainFormTest, TheMonitorDoesNotReportDuringAnUpload)
{
    // A paced line makes the upload take seconds, several of the monitor's poll periods.
    DriveSim sim({"--model", "733", "--axes", "1", "--pace"});
    ASSERT_TRUE(sim.Ready());
    form->FormActivate();
    Settle();
    ASSERT_TRUE(qttest::WaitFor([&] { return Panel(2).rfind("Status: Axis 1  ", 0) == 0; }, 8000)) << Panel(2);
    int updatesDuring = 0;
    bool uploading = false;
    QObject::connect(form.get(), &TMainForm::statusUpdated, [&] { updatesDuring += uploading; });
    session.RegisterEditor([&](int, Cfg &, const std::string &name) { edited.push_back(name); });
    uploading = true;
    form->Upload();
    Settle();
    uploading = false;
    ASSERT_EQ(edited.size(), 1u) << (messages.texts().empty() ? "" : messages.texts().back());
    EXPECT_EQ(updatesDuring, 0);
    EXPECT_TRUE(form->StatusMonitor->Polling()) << "polling goes on after the upload";
    form->FormClose();
}

TEST_F(MainFormTest, ClosingWhileAPollWaitsForASilentDrive)
{
    DriveSim sim({"--model", "733", "--axes", "1", "--silent"});
    form->FormActivate();
    Settle();
    ASSERT_TRUE(qttest::WaitFor([&] { return form->StatusMonitor->Polls() >= 1; }, 8000));
    form->close();
    EXPECT_FALSE(form->StatusMonitor->Running());
}

} // namespace

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
