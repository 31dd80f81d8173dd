// config_bench: upload and download of a full 730-family configuration through the drive
// simulator pacing its replies at 19200 bit/s, against the wire time of the exchanges.
//
//   config_bench [rounds]      (default 3)
//
// Wire time of an exchange: its request and reply frames at 10 bits per byte and 19200 bit/s,
// each frame SOH + 2 x (N + 1) bytes of count and words + 2 CRC bytes (DLE escapes, which are
// rare, not counted). The simulator paces only its replies; the host's requests on the
// simulator channel travel at memory speed, so the reply share is given too.
#include "comm700.h"
#include "tools700/ScriptedMessages.h"
#include "tools700/config/Cfg.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

using namespace tools700;
using Clock = std::chrono::steady_clock;

namespace {
constexpr double kByteSeconds = 10.0 / 19200.0;

// Frame bytes of a message of N words after the count.
int FrameBytes(int n) { return 1 + 2 * (n + 1) + 2; }

struct Exchange {
    int request, reply;
};
// Word counts of the message kinds used here.
const Exchange kGet{FrameBytes(3), FrameBytes(4)};
const Exchange kPut{FrameBytes(5), FrameBytes(4)};
const Exchange kExe{FrameBytes(3), FrameBytes(3)};

struct Tally {
    int gets = 0, puts = 0, exes = 0;
    double Wire() const
    {
        return kByteSeconds * (gets * (kGet.request + kGet.reply) + puts * (kPut.request + kPut.reply) +
                               exes * (kExe.request + kExe.reply));
    }
    double ReplyWire() const
    {
        return kByteSeconds * (gets * kGet.reply + puts * kPut.reply + exes * kExe.reply);
    }
};

Tally CountTrace(const std::string &file)
{
    Tally t;
    std::ifstream in(file);
    std::string axis, command, name, value, result;
    while (in >> axis >> command >> name >> value >> result) {
        if (command.rfind("GET_", 0) == 0 && command != "GET_VARS")
            ++t.gets;
        else if (command.rfind("PUT_", 0) == 0 && command != "PUT_VARS")
            ++t.puts;
        else if (command == "EXEC")
            ++t.exes;
    }
    return t;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
} // namespace

int main(int argc, char **argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    if (!std::getenv("COMM700_NAMESPACE")) {
        // The link library takes its namespace when it is loaded: start again with one of our
        // own, so the benchmark never meets another program on the simulator channel.
        const std::string ns = "config-bench-" + std::to_string(getpid());
        setenv("COMM700_NAMESPACE", ns.c_str(), 1);
        execv("/proc/self/exe", argv);
        std::perror("config_bench: execv");
        return 1;
    }
    char traceTemplate[] = "/tmp/config-bench-trace-XXXXXX";
    int fd = mkstemp(traceTemplate);
    if (fd < 0)
        return 1;
    close(fd);
    const std::string trace = traceTemplate;

    std::string sim = std::string(TOOLS700_BIN_DIR) + "/drivesim";
    std::vector<std::string> args{sim, "--model", "733", "--pace", "--trace", trace};
    std::vector<char *> argv2;
    for (auto &a : args)
        argv2.push_back(a.data());
    argv2.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv2[0], nullptr, nullptr, argv2.data(), environ) != 0) {
        std::fprintf(stderr, "config_bench: cannot start %s\n", sim.c_str());
        return 1;
    }
    UseSerialPort(0);
    SetAxis700(255);
    double model = 0;
    bool up = false;
    for (int i = 0; i < 40 && !up; ++i)
        up = GetVar700("Model", &model) == 0;
    if (!up) {
        std::fprintf(stderr, "config_bench: the simulator does not answer\n");
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return 1;
    }
    // Defaults the simulator refuses to take back.
    PutVar700("ARZ0", 100);
    PutVar700("ARZ1", 1000);
    PutVar700("StopTime", 0.5);

    std::printf("config_bench: 730-family configuration (%zu variables), drivesim --pace (19200 bit/s)\n",
                Cfg().PrimaryList().size());
    std::printf("%-9s %6s %9s %10s %10s %8s\n", "transfer", "exch", "seconds", "wire s", "reply s",
                "ratio");
    int rc = 0;
    for (int r = 0; r < rounds; ++r) {
        Cfg cfg;
        ScriptedMessages msgs({}, Answer::Yes);

        std::ofstream(trace, std::ios::trunc).close();
        auto t0 = Clock::now();
        const bool okUp = cfg.Upload(msgs);
        const double upSeconds = Seconds(Clock::now() - t0);
        Tally upTally = CountTrace(trace);

        std::ofstream(trace, std::ios::trunc).close();
        PutVar700("Enable", 0); // the drive refuses a download while enabled
        std::ofstream(trace, std::ios::trunc).close();
        t0 = Clock::now();
        const bool okDown = cfg.Download(msgs);
        const double downSeconds = Seconds(Clock::now() - t0);
        Tally downTally = CountTrace(trace);
        if (!okUp || !okDown) {
            std::fprintf(stderr, "config_bench: transfer failed (%s)\n",
                         msgs.texts().empty() ? "no message" : msgs.texts().back().c_str());
            rc = 1;
            break;
        }
        for (auto [label, secs, tally] : {std::tuple{"upload", upSeconds, upTally},
                                          std::tuple{"download", downSeconds, downTally}})
            std::printf("%-9s %6d %9.3f %10.3f %10.3f %8.2f\n", label, tally.gets + tally.puts + tally.exes,
                        secs, tally.Wire(), tally.ReplyWire(), secs / tally.Wire());
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    std::remove(trace.c_str());
    return rc;
}
