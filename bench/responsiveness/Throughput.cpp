#include "Throughput.h"

#include "ExchangeRecord.h"
#include "support/PacedSim.h"
#include "tools700/firmware/FWUpgradeForm.h"
#include "tools700/online/VarDlg.h"
#include "tools700/scope/ScopeForm.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace responsiveness {

using namespace tools700;

namespace {

constexpr double kByteMs = 10.0 / 19200.0 * 1000.0;
int FrameBytes(int words) { return 1 + 2 * (words + 1) + 2; }

} // namespace

void ScopeThroughput(Bench &bench, TScopeForm &scope, int seconds)
{
    const bench::PacedSim sim("responsiveness_bench", {"--model", "733", "--axes", "1", "--pace"});
    scope.show();
    bench.Settle(500);
    const std::uint64_t before = scope.Pump().Fetches();
    ClearExchanges();
    const double t0 = NowMs();
    QElapsedTimer t;
    t.start();
    bench.Settle(seconds * 1000);
    const double fps = static_cast<double>(scope.Pump().Fetches() - before) / (static_cast<double>(t.elapsed()) / 1000.0);
    const double t1 = NowMs();
    scope.close();
    bench.Settle(300);
    // The share of the time the line carried the scope's fetches: what the program adds between
    // two fetches is the rest (the drive's own capture time is inside each exchange).
    double busy = 0;
    int fetches = 0;
    {
        const std::lock_guard<std::mutex> lock(g_exchangeMutex);
        for (const Exchange &e : g_exchanges)
            if (std::strcmp(e.kind, "ReadScopeData700") == 0 && e.endMs <= t1) {
                busy += e.endMs - e.startMs;
                ++fetches;
            }
    }
    const double wireFps = 1000.0 / (kByteMs * FrameBytes(207));
    std::printf("scope: %.2f frames/s, wire-limited %.2f frames/s (%.1f %%); mean fetch %.0f ms, the fetches "
                "held the line %.1f %% of the time\n",
                fps, wireFps, 100 * fps / wireFps, fetches ? busy / fetches : 0.0, 100 * busy / (t1 - t0));
}

void OnlineThroughput(Bench &bench, Tvardlg &online, int seconds)
{
    const bench::PacedSim sim("responsiveness_bench", {"--model", "733", "--axes", "1", "--pace"});
    online.show();
    bench.Settle(1500); // the rows are read
    ClearExchanges();
    bench.Settle(seconds * 1000);
    online.hide();
    double sum = 0;
    int n = 0;
    {
        const std::lock_guard<std::mutex> lock(g_exchangeMutex);
        for (const Exchange &e : g_exchanges)
            if (std::strcmp(e.kind, "GetVars700") == 0 && e.names == 26) {
                sum += e.endMs - e.startMs;
                ++n;
            }
    }
    const double reply = kByteMs * FrameBytes(70);
    if (n > 0)
        std::printf("on-line poll: %d batches, mean exchange %.1f ms, paced reply %.1f ms (%.2fx)\n", n, sum / n,
                    reply, sum / n / reply);
}

void FirmwareThroughput(Bench &bench, TFWUpgrade &firmware, const std::string &image)
{
    // An image of 16 KiB: 128 segments, so the programming dominates the erase.
    {
        std::ofstream out(image, std::ios::binary | std::ios::trunc);
        for (long i = 0; i < 16380; ++i)
            out.put(static_cast<char>((i * 31 + i / 509) & 0xFF));
    }
    const bench::PacedSim sim("responsiveness_bench", {"--model", "743", "--axes", "1", "--pace"});
    ClearExchanges();
    QElapsedTimer t;
    firmware.show();
    firmware.btnOpenFileClick();
    bench.Settle(300);
    t.start();
    firmware.btnDownloadClick();
    while ((firmware.Procedure().Running() || t.elapsed() < 300) && t.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double total = static_cast<double>(t.elapsed());
    const bool finished = firmware.Procedure().GetPhase() == firmware::Phase::Finished ||
                          (firmware.isHidden() && firmware.result() == TFWUpgrade::kResultYes);
    if (firmware.isVisible())
        firmware.reject();
    long upcr = 0, segments = 0;
    double line = 0;
    {
        const std::lock_guard<std::mutex> lock(g_exchangeMutex);
        for (const Exchange &e : g_exchanges) {
            const bool seg = std::strcmp(e.kind, "ExecLoadSegment") == 0;
            if (!seg && std::strcmp(e.kind, "GetUPCRstatus") != 0 && std::strcmp(e.kind, "PutUPCRstatus") != 0)
                continue;
            line += e.endMs - e.startMs;
            (seg ? segments : upcr) += 1;
        }
    }
    const double replies = kByteMs * static_cast<double>(upcr + segments) * FrameBytes(8);
    std::printf("firmware: %s, %ld segments and %ld UPCR exchanges in %.0f ms; the exchanges themselves %.0f ms "
                "(total / exchanges %.2fx); paced replies %.0f ms\n",
                finished ? "programmed" : firmware.Procedure().Failure().c_str(), segments, upcr, total, line,
                total / line, replies);
}

} // namespace responsiveness
