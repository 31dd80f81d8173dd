// online_bench: the line time of the on-line window's poll, once a second, against the drive
// simulator pacing its replies at 19200 bit/s, next to the wire time of the poll's exchange.
//
//   online_bench [seconds]      (default 10)
//
// The poll is the window's own (online::OnlineDrive::Poll: six rows and the 20 fixed names in one
// GetVars700 exchange). Wire time: the request and reply frames at 10 bits per byte and 19200
// bit/s, each frame SOH + 2 x (N + 1) bytes of count and words + 2 CRC bytes (DLE escapes, which
// are rare, not counted). The simulator paces only its replies; the host's request on the
// simulator channel travels at memory speed, so the reply's share is given too.
#include "comm700.h"
#include "tools700/online/OnlineDrive.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

using namespace tools700;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kByteSeconds = 10.0 / 19200.0;
int FrameBytes(int n) { return 1 + 2 * (n + 1) + 2; }
// Word counts of a GetVars request and reply.
const int kRequestBytes = FrameBytes(36);
const int kReplyBytes = FrameBytes(70);

int CountBatches(const std::string &trace)
{
    std::ifstream in(trace);
    std::string axis, command, name, value, result;
    int n = 0;
    while (in >> axis >> command >> name >> value >> result)
        n += command == "GET_VARS";
    return n;
}

} // namespace

int main(int argc, char **argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    if (!std::getenv("COMM700_NAMESPACE")) {
        // The link library takes its namespace when it is loaded: start again with one of our
        // own, so the benchmark never meets another program on the simulator channel.
        const std::string ns = "online-bench-" + std::to_string(getpid());
        setenv("COMM700_NAMESPACE", ns.c_str(), 1);
        execv("/proc/self/exe", argv);
        std::perror("online_bench: execv");
        return 1;
    }
    char traceTemplate[] = "/tmp/online-bench-trace-XXXXXX";
    const int fd = mkstemp(traceTemplate);
    if (fd < 0)
        return 1;
    close(fd);
    const std::string trace = traceTemplate;

    std::string sim = std::string(TOOLS700_BIN_DIR) + "/drivesim";
    std::vector<std::string> args{sim, "--model", "733", "--configured", "--pace", "--trace", trace};
    std::vector<char *> simArgv;
    for (auto &a : args)
        simArgv.push_back(a.data());
    simArgv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, simArgv[0], nullptr, nullptr, simArgv.data(), environ) != 0) {
        std::fprintf(stderr, "online_bench: cannot start %s\n", sim.c_str());
        return 1;
    }
    UseSerialPort(0);
    SetAxis700(255);
    double model = 0;
    bool up = false;
    for (int i = 0; i < 40 && !up; ++i)
        up = GetVar700("Model", &model) == 0;
    if (!up) {
        std::fprintf(stderr, "online_bench: the simulator does not answer\n");
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return 1;
    }

    online::OnlineDrive drive;
    const char *rows[] = {"VelCmd", "Velocity", "Kvp", "Kvi", "ILmtPlus", "DriveStatus"};
    for (int i = 0; i < online::kRows; ++i) {
        drive.SetName(i, rows[i]);
        drive.RefreshRow(i, {});
    }

    const double wire = kByteSeconds * (kRequestBytes + kReplyBytes) * 1000.0;
    const double replyWire = kByteSeconds * kReplyBytes * 1000.0;
    std::printf("online_bench: the on-line window's poll (26 names, one exchange) once a second for %d s,\n"
                "drivesim --pace (19200 bit/s replies); wire time of the exchange %.1f ms (request %d bytes,\n"
                "reply %d bytes = %.1f ms)\n",
                seconds, wire, kRequestBytes, kReplyBytes, replyWire);
    std::printf("%5s %12s %10s\n", "poll", "line ms", "exchanges");
    std::ofstream(trace, std::ios::trunc).close();
    std::vector<double> lines;
    int rc = 0;
    auto next = Clock::now();
    for (int s = 0; s < seconds; ++s) {
        std::this_thread::sleep_until(next);
        next += std::chrono::seconds(1);
        const int before = CountBatches(trace);
        const auto t0 = Clock::now();
        const bool ok = drive.Poll({}).commOk;
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        // The trace line is written as the request arrives; give the file a moment.
        int exchanges = 0;
        for (int tries = 0; tries < 50 && (exchanges = CountBatches(trace) - before) < 1; ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        std::printf("%5d %12.1f %10d%s\n", s + 1, ms, exchanges, ok ? "" : "  (no answer)");
        if (!ok)
            rc = 1;
        lines.push_back(ms);
    }
    double sum = 0, worst = 0;
    for (double ms : lines) {
        sum += ms;
        worst = std::max(worst, ms);
    }
    const double mean = sum / static_cast<double>(lines.size());
    std::printf("line time per second: mean %.1f ms, max %.1f ms (%.1f %% of the line's second); wire time %.1f ms,\n"
                "of it the paced reply %.1f ms: measured / reply wire time %.2f\n",
                mean, worst, mean / 10.0, wire, replyWire, mean / replyWire);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    std::remove(trace.c_str());
    return rc;
}
