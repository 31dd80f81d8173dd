// "Tools700 --simulator [MODEL]": the option, the simulated drive the windows show, and the real
// program with its own drivesim, which ends with it whether the program ends, is asked to end
// (SIGTERM) or is killed.
#include "QtTestSupport.h"

#include "SimulatedDrive.h"
#include "Startup.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/platform/Process.h"
#include "tools700/settings/SettingsFile.h"
#include "tools700/shell/MainForm.h"
#include "tools700/widgets/Settings.h"

#include <QFile>
#include <QLabel>
#include <QSettings>

#include <filesystem>
#include <fstream>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace tools700;

namespace {

const std::string kBin = TOOLS700_BIN_DIR;

// The shared-memory objects of a namespace.
int ObjectsOf(const std::string &ns)
{
    int n = 0;
    for (const auto &e : std::filesystem::directory_iterator("/dev/shm"))
        n += e.path().filename().string().rfind(ns + ".", 0) == 0;
    return n;
}

std::string ReadText(const std::string &path)
{
    std::ifstream f(path);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// The children of a process (Linux keeps them in /proc/<pid>/task/<pid>/children).
std::vector<pid_t> ChildrenOf(pid_t pid)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    std::vector<pid_t> children;
    for (pid_t c; f >> c;)
        children.push_back(c);
    return children;
}

std::string CommandLineOf(pid_t pid)
{
    std::string text = ReadText("/proc/" + std::to_string(pid) + "/cmdline");
    std::replace(text.begin(), text.end(), '\0', ' ');
    return text;
}

TEST(SimulatorOptionTest, TheOptionAndItsModelAreTakenOutOfTheArguments)
{
    struct Case {
        std::vector<std::string> args;
        bool wanted;
        std::string model;
        std::vector<std::string> rest;
    } cases[] = {
        {{"--simulator"}, true, "", {}},
        {{"--simulator", "743"}, true, "743", {}},
        {{"--simulator", "-inhouse"}, true, "", {"-inhouse"}},
        {{"-inhouse", "--simulator", "1745"}, true, "1745", {"-inhouse"}},
        {{"--simulator=742", "x"}, true, "742", {"x"}},
        {{"-inhouse"}, false, "", {"-inhouse"}},
        {{}, false, "", {}},
    };
    for (Case &c : cases) {
        SimulatorOption o = TakeSimulatorOption(c.args);
        EXPECT_EQ(o.wanted, c.wanted) << testing::PrintToString(c.rest);
        EXPECT_EQ(o.model, c.model);
        EXPECT_EQ(c.args, c.rest);
    }
    EXPECT_NE(UsageText().find("--simulator [MODEL]"), std::string::npos);
    EXPECT_EQ(SimulatorNamespace(42), "tools700-simulator-42");
    EXPECT_EQ(SimulatorBesideProgram("/usr/bin/Tools700"), "/usr/bin/drivesim");
}

class SimulatorTest : public ::testing::Test {
protected:
    void SetUp() override { qttest::App(); }
    void TearDown() override
    {
        for (pid_t pid : started_)
            if (waitpid(pid, nullptr, WNOHANG) == 0 && kill(pid, SIGKILL) == 0)
                waitpid(pid, nullptr, 0);
    }

    // Starts build/bin/Tools700 --simulator MODEL; `connected` gets a line once the status bar
    // shows the drive.
    pid_t StartProgram(const std::string &model, const std::string &connected)
    {
        const std::string program = kBin + "/Tools700";
        const std::string log = dir_.filePath(QStringLiteral("messages.log")).toStdString();
        const pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlives a failed test
            setenv("TOOLS700_CONNECTED_FILE", connected.c_str(), 1);
            setenv("TOOLS700_MESSAGE_LOG", log.c_str(), 1);
            setenv("TOOLS700_AUTO_ANSWER", "ok", 1);
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            execl(program.c_str(), program.c_str(), "--simulator", model.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        started_.push_back(pid);
        return pid;
    }
    // Waits for the line in `connected`, then gives the program's drivesim.
    pid_t WaitConnected(pid_t program, const std::string &connected)
    {
        const bool up = qttest::WaitFor([&] { return ReadText(connected).find("connected") != std::string::npos; }, 30000);
        EXPECT_TRUE(up) << ReadText(dir_.filePath(QStringLiteral("messages.log")).toStdString());
        const std::vector<pid_t> children = ChildrenOf(program);
        EXPECT_EQ(children.size(), 1u);
        return children.empty() ? -1 : children.front();
    }
    static int WaitExit(pid_t pid)
    {
        int status = 0;
        if (!qttest::WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 15000))
            return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    qttest::SettingsFile settings_;
    QTemporaryDir dir_;
    std::vector<pid_t> started_;
};

TEST_F(SimulatorTest, TheWindowsShowTheSimulatedDriveWhichEndsWithStop)
{
    SimulatedDrive drive;
    ASSERT_EQ(drive.Start(kBin + "/drivesim", "743"), "");
    const pid_t sim = drive.Pid();
    EXPECT_TRUE(platform::ProcessAlive(sim));
    EXPECT_NE(CommandLineOf(sim).find("--model 743 --axes 1"), std::string::npos) << CommandLineOf(sim);
    {
        ScriptedMessages messages;
        Program program;
        ASSERT_EQ(tools700::StartProgram(program, messages, dir_.filePath(QStringLiteral("Tools700")), {}),
                  StartResult::Started);
        program.mainForm->show(); // the connection monitor starts with the main window
        QLabel *drivePanel = program.mainForm->stbPanel[0];
        EXPECT_TRUE(qttest::WaitFor([&] { return drivePanel->text().contains(QStringLiteral("743")); }, 15000))
            << drivePanel->text().toStdString();
        EXPECT_TRUE(program.mainForm->stbPanel[2]->text().startsWith(QStringLiteral("Status: Axis 1")))
            << program.mainForm->stbPanel[2]->text().toStdString();
    }
    drive.Stop();
    EXPECT_FALSE(platform::ProcessAlive(sim));
    EXPECT_EQ(drive.Pid(), -1);
    drive.Stop(); // twice is harmless
}

TEST_F(SimulatorTest, ASimulatorThatCannotStartSaysWhy)
{
    SimulatedDrive drive;
    const std::string missing = drive.Start(dir_.filePath(QStringLiteral("drivesim")).toStdString(), "");
    EXPECT_NE(missing.find("cannot be run: No such file or directory"), std::string::npos) << missing;
    const std::string badModel = drive.Start(kBin + "/drivesim", "999");
    EXPECT_NE(badModel.find("ended before it was ready: drivesim: --model: unknown drive model '999'"),
              std::string::npos)
        << badModel;
    EXPECT_EQ(drive.Pid(), -1);
}

TEST_F(SimulatorTest, TheProgramEndsItsSimulatorOnExitSigtermAndWhenKilled)
{
    // A real drive's port in the user's settings: the simulated run neither uses nor changes it.
    {
        std::unique_ptr<QSettings> store = OpenSettings();
        WriteInt(*store, QString::fromLatin1(settings::kComportKey), 2);
    }
    const std::string userSettings = settings::FilePath();
    const std::string before = ReadText(userSettings);
    const std::string simSettings =
        (std::filesystem::path(userSettings).parent_path() / "700Tools-simulator.ini").string();
    EXPECT_EQ(SimulatorSettingsPath(), simSettings);

    // SIGTERM: the program winds down, ends its simulator, removes its namespace, and ends by the
    // signal.
    const std::string up1 = dir_.filePath(QStringLiteral("up1")).toStdString();
    const pid_t first = StartProgram("743", up1);
    const pid_t sim1 = WaitConnected(first, up1);
    EXPECT_NE(CommandLineOf(sim1).find("drivesim --model 743 --axes 1"), std::string::npos) << CommandLineOf(sim1);
    const std::string ns1 = SimulatorNamespace(first);
    EXPECT_GT(ObjectsOf(ns1), 0);
    EXPECT_NE(ReadText(simSettings).find("Comport=0"), std::string::npos) << ReadText(simSettings);
    kill(first, SIGTERM);
    EXPECT_EQ(WaitExit(first), 128 + SIGTERM);
    EXPECT_FALSE(platform::ProcessAlive(sim1));
    EXPECT_EQ(ObjectsOf(ns1), 0);
    EXPECT_EQ(ReadText(userSettings), before);

    // Killed: the simulator gets its parent-death signal; the namespace stays until the next
    // simulated run removes it.
    const std::string up2 = dir_.filePath(QStringLiteral("up2")).toStdString();
    const pid_t second = StartProgram("", up2);
    const pid_t sim2 = WaitConnected(second, up2);
    EXPECT_EQ(CommandLineOf(sim2).find("--model"), std::string::npos) << "the simulator's default model";
    kill(second, SIGKILL);
    EXPECT_EQ(WaitExit(second), 128 + SIGKILL);
    EXPECT_TRUE(qttest::WaitFor([&] { return !platform::ProcessAlive(sim2); }, 5000));
    const std::string ns2 = SimulatorNamespace(second);
    EXPECT_GT(ObjectsOf(ns2), 0);

    // Another simulated run removes what the killed one left.
    const std::string up3 = dir_.filePath(QStringLiteral("up3")).toStdString();
    const pid_t third = StartProgram("733", up3);
    const pid_t sim3 = WaitConnected(third, up3);
    EXPECT_EQ(ObjectsOf(ns2), 0) << "the killed run's namespace is removed";
    // Ctrl-C in a terminal ends it the same way (a normal end runs the same wind-down).
    kill(third, SIGINT);
    EXPECT_EQ(WaitExit(third), 128 + SIGINT);
    EXPECT_FALSE(platform::ProcessAlive(sim3));
    EXPECT_EQ(ObjectsOf(SimulatorNamespace(third)), 0);
}

} // namespace
