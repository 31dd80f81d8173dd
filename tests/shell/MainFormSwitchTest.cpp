// The main window's control-mode switch checked from the drive's side: refusals, switching to
// SERCOS and back, a drive that keeps its control, and a link failure inside the switch.
#include "MainFormFixture.h"

using namespace tools700;
using mainformtest::MainFormTest;
using qttest::DriveSim;
using mainformtest::Read;
using mainformtest::PutsIn;

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
