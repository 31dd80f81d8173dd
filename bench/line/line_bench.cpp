// line_bench: the whole line's workflows against drivesim pacing its replies at 19200 bit/s.
//
//   line_bench [seconds of live status]     (default 10)
//
// 1. Backup of four drives: its time against the line time of its own exchanges (the bytes the
//    link counted both ways at 10 bits a byte; target <= 1.1x) and against four one-by-one
//    uploads (target: at least 2.5 times faster).
// 2. Scan of 1..32 with four drives (target <= 15 s).
// 3. The live status of six drives: the share of the line's time its reads take (target
//    <= 40 %), and the time of a round of all six (at least 1 s).
// The simulator paces only its replies; the requests on the simulator channel travel at memory
// speed, so the replies' share of the line time is printed too.
#include "comm700.h"
#include "support/PacedSim.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/config/Cfg.h"
#include "tools700/machine/AxisList.h"
#include "tools700/machine/Backup.h"
#include "tools700/machine/LineScan.h"
#include "tools700/machine/LiveStatus.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using namespace tools700;
using namespace tools700::machine;
using Clock = std::chrono::steady_clock;

namespace {

double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

struct Bytes {
    uint64_t sent = 0, received = 0;
    static Bytes Now()
    {
        uint64_t c[LINE_STAT_COUNT] = {};
        GetLineStats700(c, LINE_STAT_COUNT);
        return {c[LINE_BYTES_SENT], c[LINE_BYTES_RECEIVED]};
    }
    Bytes operator-(const Bytes &o) const { return {sent - o.sent, received - o.received}; }
    double LineSeconds() const { return LineMilliseconds(sent + received) / 1000.0; }
    double ReplySeconds() const { return LineMilliseconds(received) / 1000.0; }
};

const std::vector<std::string> kFour{"--pace", "--axes", "1:733,2:743,3:1735,4:1743", "--configured",
                                     "--serial-control"};

bool BenchBackup()
{
    bench::PacedSim sim("line_bench", kFour);
    if (!sim.Up())
        return false;
    DirectLineAccess line(1);
    SetAxis700(1);
    const std::string folder = std::filesystem::temp_directory_path() / ("line-bench-" + std::to_string(getpid()));
    BackupObserver quiet;
    const Bytes before = Bytes::Now();
    auto t0 = Clock::now();
    const BackupResult r = BackupLine(line, folder, {1, 2, 3, 4}, 0, quiet);
    const double backup = Since(t0);
    const Bytes used = Bytes::Now() - before;
    std::filesystem::remove_all(folder);
    if (r.backedUp != 4) {
        std::fprintf(stderr, "line_bench: the backup kept %d of 4 drives\n", r.backedUp);
        return false;
    }

    const Bytes beforeUploads = Bytes::Now();
    t0 = Clock::now();
    for (int axis : {1, 2, 3, 4}) {
        SetAxis700(axis);
        double model = 0;
        GetVar700("Model", &model);
        Cfg cfg(static_cast<int>(model));
        ScriptedMessages none;
        if (!cfg.Upload(none)) {
            std::fprintf(stderr, "line_bench: the upload of axis %d failed\n", axis);
            return false;
        }
    }
    const double uploads = Since(t0);
    const Bytes uploadBytes = Bytes::Now() - beforeUploads;

    std::printf("Backup of four drives (SV733, SV743, SVE735, SVE743), --pace:\n");
    std::printf("  backup                  %7.3f s  (%llu bytes sent, %llu received)\n", backup,
                static_cast<unsigned long long>(used.sent), static_cast<unsigned long long>(used.received));
    std::printf("  its line time           %7.3f s  (replies alone %.3f s)\n", used.LineSeconds(), used.ReplySeconds());
    std::printf("  backup / line time      %7.2f x  (target <= 1.10)   / reply time %.2f x\n",
                backup / used.LineSeconds(), backup / used.ReplySeconds());
    std::printf("  four one-by-one uploads %7.3f s  (line time %.3f s)\n", uploads, uploadBytes.LineSeconds());
    std::printf("  backup faster by        %7.2f x  (target >= 2.5)\n\n", uploads / backup);
    return true;
}

bool BenchScan()
{
    bench::PacedSim sim("line_bench", kFour);
    if (!sim.Up())
        return false;
    DirectLineAccess line(1);
    ScanObserver quiet;
    const auto t0 = Clock::now();
    const ScanResult r = ScanLine(line, DefaultScanAxes(), quiet);
    const double seconds = Since(t0);
    std::printf("Scan of 1..32 with four drives: %.2f s (target <= 15 s), %zu drives found\n\n", seconds,
                r.drives.size());
    return r.drives.size() == 4;
}

bool BenchLive(double seconds)
{
    bench::PacedSim sim("line_bench",
                        {"--pace", "--axes", "1:733,2:743,3:1735,4:733,5:743,6:1745", "--configured",
                         "--serial-control"});
    if (!sim.Up())
        return false;
    DirectLineAccess line(1);
    LiveStatus live({1, 2, 3, 4, 5, 6});
    const Bytes before = Bytes::Now();
    const auto t0 = Clock::now();
    int reads = 0, answered = 0;
    double longestRound = 0, shortestRound = 1e9;
    auto roundStart = t0;
    while (Since(t0) < seconds) {
        LiveRow row;
        if (!live.ReadNext(line, row))
            return false;
        ++reads;
        answered += row.answered;
        if (reads % 6 == 0) {
            const double round = Since(roundStart);
            longestRound = std::max(longestRound, round);
            shortestRound = std::min(shortestRound, round);
        }
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(live.DelayMs()));
        if (reads % 6 == 0)
            roundStart = Clock::now();
    }
    const double elapsed = Since(t0);
    const Bytes used = Bytes::Now() - before;
    std::printf("Live status of six drives for %.1f s: %d reads (%d answered), rounds of %.2f..%.2f s\n", elapsed,
                reads, answered, shortestRound, longestRound);
    std::printf("  share of the line's time %5.1f %%  (target <= 40 %%; replies alone %.1f %%)\n",
                100.0 * used.LineSeconds() / elapsed, 100.0 * used.ReplySeconds() / elapsed);
    return answered == reads;
}

} // namespace

int main(int argc, char **argv)
{
    if (!bench::OwnNamespace("line_bench", argv))
        return 1;
    const double liveSeconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    UseSerialPort(0);
    bool ok = BenchBackup();
    ok = BenchScan() && ok;
    ok = BenchLive(liveSeconds > 0 ? liveSeconds : 10.0) && ok;
    return ok ? 0 : 1;
}
