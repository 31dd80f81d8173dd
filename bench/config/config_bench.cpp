// config_bench: upload and download of a full 730-family configuration through the drive
// simulator pacing its replies at 19200 bit/s, against the wire time of the exchanges; and the
// comparison of the configuration with the drive, which reads it 32 variables an exchange.
//
//   config_bench [rounds]      (default 3)
//
// Wire time of an exchange: its request and reply frames at 10 bits per byte and 19200 bit/s,
// each frame SOH + 2 x (N + 1) bytes of count and words + 2 CRC bytes (DLE escapes, which are
// rare, not counted). The simulator paces only its replies; the host's requests on the
// simulator channel travel at memory speed, so the reply share is given too.
#include "comm700.h"
#include "support/PacedSim.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/Comparison.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>


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
const Exchange kGetVars{FrameBytes(36), FrameBytes(70)};

struct Tally {
    int gets = 0, puts = 0, exes = 0, getVars = 0;
    int Exchanges() const { return gets + puts + exes + getVars; }
    double Wire() const
    {
        return kByteSeconds * (gets * (kGet.request + kGet.reply) + puts * (kPut.request + kPut.reply) +
                               exes * (kExe.request + kExe.reply) + getVars * (kGetVars.request + kGetVars.reply));
    }
    double ReplyWire() const
    {
        return kByteSeconds * (gets * kGet.reply + puts * kPut.reply + exes * kExe.reply + getVars * kGetVars.reply);
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
        else if (command == "GET_VARS")
            ++t.getVars;
    }
    return t;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
} // namespace

int main(int argc, char **argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    if (!bench::OwnNamespace("config_bench", argv))
        return 1;
    const bench::PacedSim sim("config_bench", {"--model", "733", "--pace"});
    if (!sim.Up())
        return 1;
    const std::string &trace = sim.Trace();
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
        std::ofstream(trace, std::ios::trunc).close();
        t0 = Clock::now();
        const CompareResult compared = CompareWithDrive(cfg, nullptr, {});
        const double compareSeconds = Seconds(Clock::now() - t0);
        Tally compareTally = CountTrace(trace);
        if (!okUp || !okDown || compared.outcome != CompareOutcome::Compared ||
            compared.comparison.DifferenceCount() != 0) {
            std::fprintf(stderr, "config_bench: transfer failed (%s)\n",
                         msgs.texts().empty() ? "no message" : msgs.texts().back().c_str());
            rc = 1;
            break;
        }
        for (auto [label, secs, tally] : {std::tuple{"upload", upSeconds, upTally},
                                          std::tuple{"download", downSeconds, downTally},
                                          std::tuple{"compare", compareSeconds, compareTally}})
            std::printf("%-9s %6d %9.3f %10.3f %10.3f %8.2f\n", label, tally.Exchanges(),
                        secs, tally.Wire(), tally.ReplyWire(), secs / tally.Wire());
    }
    return rc;
}
