// scope_bench: the scope window capturing continuously from the drive simulator, on Qt's
// offscreen platform unless told otherwise.
//
//   scope_bench [seconds]      (default 10 per run)
//
// Two runs, each with a window of its own:
// - drivesim --pace (replies at 19200 bit/s): frames per second next to the wire-limited rate of
//   the scope reply (SOH + 2 x 208 bytes of count and 207 words + 2 CRC bytes, 10 bits a byte;
//   DLE escapes not counted, the request travels at memory speed on the simulator channel);
// - drivesim unpaced: the frame rate the engine and the chart keep up with when the line is no
//   limit, the worst case for the user-interface thread.
// In each: the user-interface thread's longest stall (the largest gap between the ticks of a 1 ms
// timer beyond its period, frames being drawn meanwhile) and the process's CPU use (user + system
// time over wall time; 100 % is one core).
#include "comm700.h"
#include "support/PacedSim.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/common/Session.h"
#include "tools700/scope/ScopeForm.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

using namespace tools700;

namespace {

constexpr double kByteSeconds = 10.0 / 19200.0;
constexpr int kReplyBytes = 1 + 2 * (207 + 1) + 2;

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Figures {
    double fps = 0;
    double stallMs = 0;
    double cpuPercent = 0;
    std::uint64_t failures = 0;
};

Figures Capture(int seconds, bool paced)
{
    const bench::PacedSim sim("scope_bench", paced ? std::vector<std::string>{"--model", "733", "--pace"}
                                                   : std::vector<std::string>{"--model", "733"});
    Figures f;
    if (!sim.Up())
        return f;
    Session session;
    session.ProgramDir = "/tmp/";
    ScriptedMessages messages;
    TScopeForm form(session, messages);
    form.show();
    form.FormActivate();
    form.cmbSource1->setCurrentIndex(form.cmbSource1->findText(QStringLiteral("Velocity Feedback")));
    form.cmbSource2->setCurrentIndex(form.cmbSource2->findText(QStringLiteral("Current Command")));

    // A second to settle (first frames, the chart's first layout), then the measured time.
    QEventLoop settle;
    QTimer::singleShot(1000, &settle, &QEventLoop::quit);
    settle.exec();

    QElapsedTimer wall;
    QElapsedTimer sinceTick;
    double worstGap = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        worstGap = std::max(worstGap, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6 - 1.0);
        sinceTick.restart();
    });
    const std::uint64_t fetches0 = form.Pump().Fetches();
    const std::uint64_t failures0 = form.Pump().FailedFetches();
    const double cpu0 = CpuSeconds();
    wall.start();
    sinceTick.start();
    ticker.start();
    QEventLoop run;
    QTimer::singleShot(seconds * 1000, &run, &QEventLoop::quit);
    run.exec();
    ticker.stop();
    const double elapsed = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    f.fps = static_cast<double>(form.Pump().Fetches() - fetches0) / elapsed;
    f.cpuPercent = 100.0 * (CpuSeconds() - cpu0) / elapsed;
    f.stallMs = worstGap;
    f.failures = form.Pump().FailedFetches() - failures0;
    form.FormHide();
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    if (!bench::OwnNamespace("scope_bench", argv))
        return 1;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const double wireFps = 1.0 / (kByteSeconds * kReplyBytes);
    std::printf("scope_bench: the scope window capturing Velocity Feedback and Current Command, free running,\n"
                "timebase 0.01 s/div, %d s per run after 1 s to settle\n",
                seconds);
    const Figures paced = Capture(seconds, true);
    std::printf("drivesim --pace: %.2f frames/s; wire-limited %.2f frames/s (reply %d bytes = %.1f ms): %.1f %% of it\n"
                "                 longest user-interface stall %.1f ms; CPU %.1f %% of one core; failed fetches %llu\n",
                paced.fps, wireFps, kReplyBytes, kByteSeconds * kReplyBytes * 1000.0, 100.0 * paced.fps / wireFps,
                paced.stallMs, paced.cpuPercent, static_cast<unsigned long long>(paced.failures));
    const Figures fast = Capture(seconds, false);
    std::printf("drivesim unpaced: %.1f frames/s; longest user-interface stall %.1f ms; CPU %.1f %% of one core;\n"
                "                  failed fetches %llu\n",
                fast.fps, fast.stallMs, fast.cpuPercent, static_cast<unsigned long long>(fast.failures));
    std::printf("targets: at least 95 %% of the wire-limited rate, stalls under 20 ms\n");
    const bool met = paced.fps >= 0.95 * wireFps && paced.stallMs < 20 && fast.stallMs < 20;
    return met ? 0 : 1;
}
