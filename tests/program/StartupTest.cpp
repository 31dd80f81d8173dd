// Start-up: the order of the windows, the splash window, and one instance per user session
// (the real program, started twice).
#include "QtTestSupport.h"

#include "tools700/common/ScriptedMessages.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/platform/SerialPort.h"
#include "tools700/shell/ComportDlg.h"
#include "tools700/shell/MainForm.h"
#include "tools700/common/Session.h"

#include <QPushButton>
#include "tools700/shell/Splash.h"
#include "Startup.h"
#include "tools700/online/VarChange.h"
#include "tools700/online/VarDlg.h"
#include "tools700/scope/ScopeForm.h"

#include <QDir>
#include "tools700/firmware/FWUpgradeForm.h"
#include "mdb700.h"
#include "tools700/config/Motor.h"
#include "tools700/motoredit/EditMDBDlg.h"

#include <QComboBox>

#include <QFile>
#include <QPushButton>

#include <pty.h>
#include <sys/prctl.h>

#include <gtest/gtest.h>

using namespace tools700;

namespace {

// The versions of both libraries, one per line, as --version shows them.
std::string LibraryVersionsWithoutTimes()
{
    std::string text;
    std::string more = LibraryVersionsText();
    for (size_t start = 0; start < more.size();) {
        const size_t end = more.find('\n', start);
        const std::string line = more.substr(start, end - start);
        text += line.substr(0, line.find(", ")) + "\n";
        start = end + 1;
    }
    return text;
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { qttest::App(); }

    // Starts build/bin/Tools700 with its message boxes logged to `log` and answered at once.
    // With `connected` set, the program appends "connected" to that file once its status bar
    // shows the drive, that is once its start-up is complete.
    pid_t Start(const QString &log, const QString &connected = QString())
    {
        const std::string program = std::string(TOOLS700_BIN_DIR) + "/Tools700";
        const std::string logPath = log.toStdString();
        const std::string connectedPath = connected.toStdString();
        pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives a failed test
            if (!connectedPath.empty())
                setenv("TOOLS700_CONNECTED_FILE", connectedPath.c_str(), 1);
            setenv("TOOLS700_MESSAGE_LOG", logPath.c_str(), 1);
            setenv("TOOLS700_AUTO_ANSWER", "ok", 1);
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            execl(program.c_str(), program.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        started_.push_back(pid);
        return pid;
    }
    void TearDown() override
    {
        // Only our children that still run: a reaped one answers -1 (ECHILD).
        for (pid_t pid : started_) {
            if (waitpid(pid, nullptr, WNOHANG) == 0)
                Kill(pid);
        }
    }
    static QString ReadAll(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    static int WaitExit(pid_t pid, int timeoutMs)
    {
        for (int waited = 0; waited < timeoutMs; waited += 10) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid)
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            usleep(10000);
        }
        return -1;
    }
    static void Kill(pid_t pid)
    {
        if (kill(pid, SIGKILL) == 0)
            waitpid(pid, nullptr, 0);
    }

    std::vector<pid_t> started_;

    qttest::SettingsFile settings;
    QTemporaryDir dir;
};

TEST_F(StartupTest, WindowsAreCreatedOnceHiddenMainWindowFirst)
{
    ScriptedMessages messages;
    Program program;
    ASSERT_EQ(StartProgram(program, messages, dir.filePath(QStringLiteral("Tools700")), {}), StartResult::Started);
    EXPECT_EQ(program.creationOrder,
              (QStringList{"MainForm", "vardlg", "EditMDBDlg", "FWUpgrade", "PrintCfgDialog", "SaveForm", "ScopeForm",
                           "SweepAnalysis", "Troubleshooting", "VarChange", "About", "CfgNewDlg", "IOWizardDlg", "CompareForm",
                           "Tuning", "ComportDlg", "DrivesOnLine", "InertiaRDlg", "slTuningBox"}));
    // The windows built are registered, so their entries are enabled; the others are not.
    EXPECT_TRUE(program.session.Available(Window::NewConfiguration));
    EXPECT_TRUE(program.session.EditorAvailable());
    EXPECT_TRUE(program.session.Available(Window::InertiaRatio));
    EXPECT_TRUE(program.session.Available(Window::PortAxis));
    EXPECT_TRUE(program.session.Available(Window::DrivesOnLine));
    EXPECT_TRUE(program.mainForm->mnuDrivesOnLine->isEnabled());
    EXPECT_TRUE(program.session.Available(Window::Oscilloscope));
    EXPECT_TRUE(program.session.Available(Window::SweepAnalysis));
    EXPECT_TRUE(program.session.Available(Window::StepResponse));
    EXPECT_TRUE(program.session.Available(Window::Diagnostics));
    EXPECT_TRUE(program.session.Available(Window::TuningOffline));
    EXPECT_TRUE(program.session.Available(Window::TuningOnline));
    EXPECT_TRUE(program.mainForm->bbtnNew->isEnabled());
    EXPECT_TRUE(program.mainForm->bbtnEditFile->isEnabled());
    EXPECT_TRUE(program.mainForm->bbtnScope->isEnabled());
    // Edit Online finds the on-line window, which opens the change dialog made after it.
    EXPECT_TRUE(program.session.Available(Window::OnlineDrive));
    EXPECT_TRUE(program.mainForm->bbtnEditOnline->isEnabled());
    auto *vardlg = program.Find<Tvardlg>();
    ASSERT_NE(vardlg, nullptr);
    EXPECT_FALSE(vardlg->isVisible());
    EXPECT_NE(program.Find<TVarChange>(), nullptr);
    EXPECT_TRUE(program.session.Open(Window::OnlineDrive));
    EXPECT_TRUE(vardlg->isVisible());
    // The on-line window and the oscilloscope bring each other up.
    auto *scope = program.Find<TScopeForm>();
    ASSERT_NE(scope, nullptr);
    EXPECT_FALSE(scope->isVisible());
    vardlg->btnSwitchClick();
    EXPECT_TRUE(scope->isVisible());
    vardlg->hide();
    EXPECT_TRUE(scope->btnSwitch->isEnabled());
    scope->btnSwitch->click();
    EXPECT_TRUE(vardlg->isVisible());
    scope->hide();
    vardlg->hide();
    EXPECT_FALSE(program.mainForm->isVisible());
    EXPECT_FALSE(program.comportDlg->isVisible());
    EXPECT_FALSE(program.about->isVisible());
    EXPECT_EQ(QApplication::applicationDisplayName(), "700Tools");

    // The splash window closes itself 2000 ms after the event loop starts.
    EXPECT_TRUE(program.splash->isVisible());
    EXPECT_EQ(program.splash->Timer1().interval(), 2000);
    EXPECT_FALSE(program.splash->Timer1().isActive());
    QCoreApplication::processEvents();
    EXPECT_TRUE(program.splash->Timer1().isActive());
    ASSERT_TRUE(qttest::WaitFor([&] { return !program.splash->isVisible(); }, 4000));

    // About and "&More" name both libraries.
    const std::string more = LibraryVersionsText();
    EXPECT_EQ(std::count(more.begin(), more.end(), '\n'), 2);
    program.about->btnMoreClick();
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0], more);
    EXPECT_EQ(messages.shown()[0].kind, BoxKind::Plain);
    EXPECT_EQ(program.about->windowTitle(), "About 700Tools");

    // The about box names the folders in use; the build-tree test program keeps its data beside
    // itself, where the "cfg" folder now exists.
    const Session &session = program.session;
    EXPECT_EQ(session.ProgramDir, session.Folders.dataDir);
    EXPECT_EQ(session.CfgDir, session.ProgramDir + "cfg/");
    EXPECT_TRUE(QDir(QString::fromStdString(session.CfgDir)).exists());
    const QString folders = program.about->FoldersText();
    EXPECT_TRUE(folders.contains(QString::fromStdString("Data folder: " + session.ProgramDir))) << folders.toStdString();
    EXPECT_TRUE(folders.contains(QString::fromStdString("Help folder: " + session.Folders.helpDir)));
}

// Every window of the program through the accessibility audit, as created (hidden), and the
// splash window and the about box as shown.
TEST_F(StartupTest, EveryWindowPassesTheAccessibilityAudit)
{
    ScriptedMessages messages;
    Program program;
    ASSERT_EQ(StartProgram(program, messages, dir.filePath(QStringLiteral("Tools700")), {}), StartResult::Started);
    ASSERT_FALSE(program.windows.empty());
    for (const auto &w : program.windows)
        EXPECT_EQ(AccessibilityProblems(w.get()), QStringList()) << w->objectName().toStdString();
    EXPECT_TRUE(program.splash->isVisible());
    EXPECT_EQ(AccessibilityProblems(program.splash.get()), QStringList());
    program.about->show();
    EXPECT_EQ(AccessibilityProblems(program.about), QStringList());
    program.about->hide();
}

TEST_F(StartupTest, HelpAndVersionAnswerWithoutStartingAnything)
{
    const std::string usage = UsageText();
    EXPECT_EQ(usage.rfind("Usage: Tools700 [-inhouse] [--simulator [MODEL]]\n", 0), 0u);
    EXPECT_NE(usage.find("--version"), std::string::npos);
    const std::string version = VersionText();
    EXPECT_EQ(version.rfind("Tools700 (700Tools) 1.023\n", 0), 0u) << version;
    EXPECT_EQ(version.substr(version.find('\n') + 1), LibraryVersionsWithoutTimes());

    // The real program: no window, no single-instance lock, exit code 0.
    for (const char *option : {"--help", "--version"}) {
        const std::string program = std::string(TOOLS700_BIN_DIR) + "/Tools700";
        const std::string out = dir.filePath(QStringLiteral("out.txt")).toStdString();
        const std::string command = "env -u DISPLAY QT_QPA_PLATFORM=none " + program + " " + option + " > " + out;
        EXPECT_EQ(std::system(command.c_str()), 0) << option;
        EXPECT_EQ(ReadAll(QString::fromStdString(out)).toStdString(), option == std::string("--help") ? usage : version);
    }
    EXPECT_EQ(RunInformationOption({"-inhouse"}, stdout), std::nullopt);
}

TEST_F(StartupTest, UtilitiesOpenTheMotorEditorAndTheUpgradeWindow)
{
    // A user motor in the program's folder, loaded at start-up.
    Motor user;
    user.Save(dir.filePath(QStringLiteral("USRMOT1.MDE")).toStdString(), 0);
    ScriptedMessages messages;
    Program program;
    ASSERT_EQ(StartProgram(program, messages, dir.filePath(QStringLiteral("Tools700")), {}), StartResult::Started);
    EXPECT_TRUE(program.mainForm->mnuEditMotor->isEnabled());
    EXPECT_EQ(mdb_Exists("USRMOT1"), 1);

    // While the editor is open the database holds the built-in motors only.
    int existsWhileOpen = -1;
    QStringList listed;
    qttest::WhenModal<TEditMDBDlg>([&](TEditMDBDlg *editor) {
        existsWhileOpen = mdb_Exists("USRMOT1");
        for (int i = 0; i < editor->cmbMotorList->count(); ++i)
            listed << editor->cmbMotorList->itemText(i);
        editor->btnExit->click();
    });
    program.mainForm->mnuEditMotor->trigger();
    EXPECT_EQ(existsWhileOpen, 0);
    EXPECT_EQ(listed, QStringList{"USRMOT1"});
    EXPECT_EQ(mdb_Exists("USRMOT1"), 1) << "reloaded after the editor closed";

    // Upgrade FW opens the upgrade window, which Cancel closes.
    bool upgradeShown = false;
    qttest::WhenModal<TFWUpgrade>([&](TFWUpgrade *w) {
        upgradeShown = true;
        w->btnCancel->click();
    });
    EXPECT_TRUE(program.session.Open(Window::FirmwareUpgrade));
    EXPECT_TRUE(upgradeShown);
    mdb_FlushExtensions();
}

TEST_F(StartupTest, ASecondStartSaysSoAndEndsLeavingTheFirstRunning)
{
    // A drive to connect to, so the test can tell when a start-up is complete. This program's own
    // link goes to a terminal of its own: the simulator channel is one line, and a second reader
    // on it would take the programs' replies away.
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    setenv("COMM700_COM1", name, 1);
    ASSERT_EQ(UseSerialPort(1), 1);
    qttest::DriveSim sim({"--model", "733", "--axes", "1"});
    const QString log1 = dir.filePath(QStringLiteral("first.log"));
    const QString log2 = dir.filePath(QStringLiteral("second.log"));
    const QString up1 = dir.filePath(QStringLiteral("first.up"));
    const pid_t first = Start(log1, up1);
    ASSERT_TRUE(qttest::WaitFor([&] { return ReadAll(up1).contains(QStringLiteral("connected")); }, 30000));

    const pid_t second = Start(log2);
    EXPECT_EQ(WaitExit(second, 15000), 0);
    EXPECT_EQ(ReadAll(log2), "plain\tApplication is already running.\n");
    int status = 0;
    EXPECT_EQ(waitpid(first, &status, WNOHANG), 0);  // still running
    EXPECT_FALSE(ReadAll(log1).contains(QStringLiteral("already running")));

    // A killed instance leaves its lock behind; the next start takes it over.
    Kill(first);
    const QString log3 = dir.filePath(QStringLiteral("third.log"));
    const QString up3 = dir.filePath(QStringLiteral("third.up"));
    const pid_t third = Start(log3, up3);
    ASSERT_TRUE(qttest::WaitFor([&] { return ReadAll(up3).contains(QStringLiteral("connected")); }, 30000));
    EXPECT_EQ(waitpid(third, &status, WNOHANG), 0);
    EXPECT_FALSE(ReadAll(log3).contains(QStringLiteral("already running")));
    Kill(third);
    UseSerialPort(0);
    close(slave);
    close(master);
}

} // namespace
