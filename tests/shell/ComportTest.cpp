// The port and axis dialog against stored settings, with pseudo-terminals as serial ports and
// the drive simulator answering on one of them.
#include "QtTestSupport.h"

#include "tools700/common/ScriptedMessages.h"
#include "tools700/shell/ComportDlg.h"
#include "tools700/widgets/Settings.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>

#include <gtest/gtest.h>
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tools700;

namespace {

// The dialog's drive work, and what it hands back, have ended.
void Settle(const tools700::TComportDlg &dlg) { ASSERT_TRUE(qttest::Settle([&] { return dlg.DriveBusy(); })); }


// A pseudo-terminal whose far end the test holds, so the device opens like a real port.
struct Pty {
    Pty()
    {
        char name[256] = {};
        openpty(&master, &slave, name, nullptr, nullptr);
        path = name;
    }
    ~Pty()
    {
        close(slave);
        close(master);
    }
    int master = -1, slave = -1;
    std::string path;
};

class ComportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qttest::App();
        // Ports 1, 2 and 4 are terminals; port 3 names a device that does not exist.
        auto store = OpenSettings();
        StorePortDevice(*store, 1, QString::fromStdString(pty1.path));
        StorePortDevice(*store, 2, QString::fromStdString(pty2.path));
        StorePortDevice(*store, 3, QStringLiteral("/nonexistent/ttyS2"));
        StorePortDevice(*store, 4, QString::fromStdString(pty4.path));
    }
    void TearDown() override { UseSerialPort(0); }

    void Store(std::optional<int> comport, std::optional<int> axis)
    {
        auto store = OpenSettings();
        store->remove(QStringLiteral("SOFTWARE/Korvane/700/Comm/Comport"));
        store->remove(QStringLiteral("SOFTWARE/Korvane/700/Comm/Axis"));
        if (comport)
            store->setValue(QStringLiteral("SOFTWARE/Korvane/700/Comm/Comport"), *comport);
        if (axis)
            store->setValue(QStringLiteral("SOFTWARE/Korvane/700/Comm/Axis"), *axis);
    }
    std::optional<int> Stored(const char *name)
    {
        auto store = OpenSettings();
        return ReadInt(*store, QStringLiteral("SOFTWARE/Korvane/700/Comm/") + QLatin1String(name));
    }

    qttest::SettingsFile settings;
    Pty pty1, pty2, pty4;
    ScriptedMessages messages;
};

TEST_F(ComportTest, FirstStartOffersTheOpenablePortsAndTheAutomaticAxis)
{
    TComportDlg dlg(messages);
    EXPECT_TRUE(dlg.rdiPort(1)->isEnabled());
    EXPECT_TRUE(dlg.rdiPort(2)->isEnabled());
    EXPECT_FALSE(dlg.rdiPort(3)->isEnabled());
    EXPECT_TRUE(dlg.rdiPort(4)->isEnabled());
    for (int n = 1; n <= 4; ++n)
        EXPECT_FALSE(dlg.rdiPort(n)->isChecked()) << n;
    EXPECT_EQ(dlg.lblDevice(2)->text().toStdString(), pty2.path);
    EXPECT_EQ(dlg.lblDevice(3)->text(), "/nonexistent/ttyS2");
    EXPECT_EQ(dlg.Port(), 0);
    EXPECT_EQ(dlg.Axis(), 255);
    EXPECT_TRUE(dlg.rdiAuto()->isChecked());
    EXPECT_FALSE(dlg.edtAddress()->isEnabled());
    EXPECT_EQ(dlg.windowTitle(), "Comm Port and Axis Selection");
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(ComportTest, StoredPortAndAxisAreSelectedAndReachTheLink)
{
    qttest::DriveSim sim({"--pty", "--model", "733", "--axes", "5,7"});
    ASSERT_FALSE(sim.ptyPath().empty());
    {
        auto store = OpenSettings();
        StorePortDevice(*store, 2, QString::fromStdString(sim.ptyPath()));
    }
    Store(2, 5);
    TComportDlg dlg(messages);
    EXPECT_EQ(dlg.Port(), 2);
    EXPECT_TRUE(dlg.rdiPort(2)->isChecked());
    EXPECT_TRUE(dlg.rdiSelect()->isChecked());
    EXPECT_FALSE(dlg.rdiAuto()->isChecked());
    EXPECT_TRUE(dlg.edtAddress()->isEnabled());
    EXPECT_EQ(dlg.edtAddress()->text(), "5");
    ASSERT_TRUE(sim.Ready());
    dlg.btnTestClick();
    Settle(dlg);
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0], "You are currently connected to axis 5");
    EXPECT_EQ(messages.shown()[0].kind, BoxKind::Plain);

    // The other drive of the line, then no drive at that address.
    dlg.edtAddress()->setText(QStringLiteral("7"));
    EXPECT_TRUE(dlg.btnOkClick());
    Settle(dlg);
    dlg.btnTestClick();
    Settle(dlg);
    EXPECT_EQ(messages.texts().back(), "You are currently connected to axis 7");
    dlg.edtAddress()->setText(QStringLiteral("9"));
    EXPECT_TRUE(dlg.btnOkClick());
    Settle(dlg);
    dlg.btnTestClick();
    Settle(dlg);
    EXPECT_EQ(messages.texts().back(), "No connection!");
}

TEST_F(ComportTest, WithoutAStoredPortTheAxisIsNotReadEither)
{
    Store(std::nullopt, 5);
    TComportDlg dlg(messages);
    EXPECT_EQ(dlg.Port(), 0);
    EXPECT_EQ(dlg.Axis(), 255);
    EXPECT_TRUE(dlg.rdiAuto()->isChecked());
}

TEST_F(ComportTest, StoredPortThatDidNotOpenIsNotSelected)
{
    Store(3, 255);
    TComportDlg dlg(messages);
    EXPECT_EQ(dlg.Port(), 0);
    EXPECT_FALSE(dlg.rdiPort(3)->isChecked());
}

TEST_F(ComportTest, StoredAxisOutsideTheAddressesMeansAutomatic)
{
    Store(1, 0);
    TComportDlg dlg(messages);
    EXPECT_EQ(dlg.Port(), 1);
    EXPECT_EQ(dlg.Axis(), 255);
    EXPECT_TRUE(dlg.rdiAuto()->isChecked());
}

TEST_F(ComportTest, AddressChecksKeepTheDialogOpenAndTheAxisUnchanged)
{
    TComportDlg dlg(messages);
    dlg.show();
    dlg.rdiSelectClick();
    EXPECT_EQ(dlg.edtAddress()->text(), "1");
    EXPECT_EQ(dlg.Axis(), 1);
    dlg.edtAddress()->setText(QStringLiteral("42"));
    ASSERT_TRUE(dlg.btnOkClick());
    Settle(dlg);

    const std::pair<const char *, const char *> bad[] = {{"0", "Must be from 1 to 255"},
                                                         {"256", "Must be from 1 to 255"},
                                                         {"-3", "Must be from 1 to 255"},
                                                         {"x", "Invalid axis address"},
                                                         {"", "Invalid axis address"},
                                                         {"1.5", "Invalid axis address"}};
    for (const auto &[text, message] : bad) {
        dlg.edtAddress()->setText(QString::fromLatin1(text));
        dlg.btnOk()->click();
        EXPECT_EQ(messages.texts().back(), message) << text;
        EXPECT_TRUE(dlg.isVisible()) << text;
        EXPECT_EQ(dlg.Axis(), 42) << text;
    }
    dlg.edtAddress()->setText(QStringLiteral("255"));
    dlg.btnOk()->click();
    Settle(dlg);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.Axis(), 255);
    EXPECT_EQ(messages.texts().size(), std::size(bad));

    // Choosing "Select Axis" again resets the box to 1.
    dlg.rdiSelectClick();
    EXPECT_EQ(dlg.edtAddress()->text(), "1");
    EXPECT_EQ(dlg.Axis(), 1);
}

TEST_F(ComportTest, ClosingAnyWayStoresPortAndAxis)
{
    Store(std::nullopt, std::nullopt);
    {
        TComportDlg dlg(messages);
        dlg.show();
        dlg.rdiPortClick(4);
        dlg.rdiSelectClick();
        dlg.edtAddress()->setText(QStringLiteral("12"));
        dlg.btnOkClick();
        Settle(dlg);
        dlg.close();  // the title bar's close button
    }
    EXPECT_EQ(Stored("Comport"), 4);
    EXPECT_EQ(Stored("Axis"), 12);
    TComportDlg again(messages);
    EXPECT_EQ(again.Port(), 4);
    EXPECT_EQ(again.Axis(), 12);
    EXPECT_TRUE(again.rdiPort(4)->isChecked());
}

// Another program holds a device the way this program's link does (an advisory lock).
struct HeldElsewhere {
    explicit HeldElsewhere(const std::string &path)
    {
        int ready[2];
        if (pipe(ready) != 0)
            return;
        pid = fork();
        if (pid == 0) {
            const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
            const char ok = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? '1' : '0';
            (void)!write(ready[1], &ok, 1);
            pause();
            _exit(0);
        }
        char ok = '0';
        (void)!read(ready[0], &ok, 1);
        held = ok == '1';
        close(ready[0]);
        close(ready[1]);
    }
    ~HeldElsewhere() { End(); }
    void End()
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        pid = -1;
    }
    pid_t pid = -1;
    bool held = false;
};

TEST_F(ComportTest, APortThatDoesNotOpenIsReportedAndNeitherSelectedNorStored)
{
    Store(2, std::nullopt);
    {
        TComportDlg dlg(messages);
        ASSERT_EQ(dlg.Port(), 2);
        HeldElsewhere other(pty4.path);
        ASSERT_TRUE(other.held);
        dlg.show();
        dlg.rdiPortClick(4);
        Settle(dlg);
        ASSERT_FALSE(messages.texts().empty());
        EXPECT_EQ(messages.texts().back(), "NO PORT\nPort COM4 (" + pty4.path +
                                               ") is in use by another program (process " +
                                               std::to_string(other.pid) + ")");
        EXPECT_EQ(dlg.Port(), 2);
        EXPECT_TRUE(dlg.rdiPort(2)->isChecked());
        EXPECT_FALSE(dlg.rdiPort(4)->isChecked());
        dlg.close();
        EXPECT_EQ(Stored("Comport"), 2);

        // Once the other program has ended, the port opens.
        other.End();
        dlg.rdiPortClick(4);
        Settle(dlg);
        EXPECT_EQ(dlg.Port(), 4);
        dlg.show();
        dlg.close();
    }
    EXPECT_EQ(Stored("Comport"), 4);
}

TEST_F(ComportTest, TestButtonOnTheSimulatorChannelFindsTheAutomaticAxis)
{
    Store(std::nullopt, std::nullopt);
    TComportDlg dlg(messages);
    dlg.btnTestClick();
    Settle(dlg);
    EXPECT_EQ(messages.texts().back(), "No connection!");
    qttest::DriveSim sim({"--model", "742", "--axes", "3"});
    ASSERT_TRUE(sim.Ready());
    dlg.btnTestClick();
    Settle(dlg);
    EXPECT_EQ(messages.texts().back(), "You are currently connected to axis 3");
}

TEST_F(ComportTest, TheSettingsFileHoldsTheKeyPathsTheCommandLineToolReads)
{
    Store(2, 17);
    QFile f(settings.path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("[SOFTWARE]"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Korvane\\700\\Comm\\Comport=2"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Korvane\\700\\Comm\\Axis=17"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Korvane\\700\\Comm\\Devices\\COM2=") + QString::fromStdString(pty2.path)))
        << text.toStdString();
}

} // namespace
