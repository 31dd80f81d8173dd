// The main window against the drive simulator: its layout, the status updates for each kind of
// drive, the connection monitor filling the status bar, and the window's fixed maximised size.
#include "MainFormFixture.h"

using namespace tools700;
using mainformtest::MainFormTest;
using qttest::DriveSim;
using mainformtest::Read;

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
