// Unit rules reading their input from the drive simulator, a separate process answering on
// the simulator channel through the real link library.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "comm700.h"
#include "tools700/dictionary/Enums.h"

extern char **environ;

using namespace tools700;

namespace {

// Starts drivesim with the given model on axis 1 and waits for its ready line.
class Simulator {
public:
    explicit Simulator(const std::string &model)
    {
        int out[2];
        if (pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const std::string program = std::string(TOOLS700_BIN_DIR) + "/drivesim";
        std::string a0 = program, a1 = "--model", a2 = model, a3 = "--axes", a4 = "1";
        char *argv[] = {a0.data(), a1.data(), a2.data(), a3.data(), a4.data(), nullptr};
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        FILE *fromChild = fdopen(out[0], "r");
        char line[256];
        // The ready line comes once the simulator listens; end of file means it failed.
        ready_ = pid_ > 0 && fromChild != nullptr && std::fgets(line, sizeof line, fromChild) != nullptr;
        if (fromChild != nullptr)
            std::fclose(fromChild);
        else
            close(out[0]);
    }
    ~Simulator()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
    }
    bool Ready() const { return ready_; }

private:
    pid_t pid_ = -1;
    bool ready_ = false;
};

} // namespace

TEST(DrivesimUnitText, UnitsFollowTheSimulatedDrive)
{
    Simulator sim("733");
    ASSERT_TRUE(sim.Ready()) << "drivesim did not start";
    SetDriveReader(nullptr);
    UseSerialPort(0);
    ASSERT_EQ(SetAxis700(1), 0);

    // a fresh drive holds the dictionary's defaults: BlkType 1, RemoteFB 0, DM1Map 9, DM2Map 1
    EXPECT_EQ(UnitText("CmdGain"), "kRPM/volt");
    EXPECT_EQ(UnitText("Move3RunSpeed"), "RPM");
    EXPECT_EQ(UnitText("ActiveAccelRate"), "RPM/sec");
    EXPECT_EQ(UnitText("DM1Gain"), "volts/amp");
    EXPECT_EQ(UnitText("DM2Gain"), "volts/kRPM");
    EXPECT_EQ(UnitText("ADOffset"), "volts");

    ASSERT_EQ(PutVar700("BlkType", 8), 0);
    ASSERT_EQ(PutVar700("RemoteFB", 1), 0);
    ASSERT_EQ(PutVar700("DM1Map", 15), 0);
    EXPECT_EQ(UnitText("cmdgain2"), "(No Effect)");
    EXPECT_EQ(UnitText("ADOffset"), "(No Effect)");
    EXPECT_EQ(UnitText("Move3RunSpeed"), "CPS");
    EXPECT_EQ(UnitText("Move3DecelRate"), "CPS/sec");
    EXPECT_EQ(UnitText("DM1Gain"), "volts/cycle");
}
