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
#include "support/PacedSim.h"
#include "tools700/online/OnlineDrive.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>


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
    if (!bench::OwnNamespace("online_bench", argv))
        return 1;
    const bench::PacedSim sim("online_bench", {"--model", "733", "--configured", "--pace"});
    if (!sim.Up())
        return 1;
    const std::string &trace = sim.Trace();

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
    return rc;
}
