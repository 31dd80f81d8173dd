#include "StallBench.h"

#include "ExchangeRecord.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace responsiveness {

std::atomic<int> g_editorsClosed{0};

struct Bench::Sim {
    pid_t pid = -1;
    pid_t Pid() const { return pid; }
    ~Sim()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

Cell Bench::Run(const Case &c, Condition condition)
{
    Cell cell;
    if (condition == Condition::Refusing && !c.refuse)
        return cell;
    cell.run = true;
    std::vector<std::string> options{"--model", std::to_string(c.model), "--axes", "1", "--configured"};
    if (condition == Condition::Silent)
        options.push_back("--silent");
    if (condition == Condition::Late) {
        options.push_back("--delay");
        options.push_back("450");
    }
    if (condition == Condition::Refusing) {
        options.push_back("--refuse");
        options.push_back(c.refuse);
    }
    auto sim = StartSim(options, c);
    // Let the monitor and the windows settle on the new drive.
    Settle(1200);
    ClearExchanges();
    m_.shown.clear();
    const double t0 = NowMs();
    std::optional<double> textAt;
    double longest = 0;
    bool quiet = condition != Condition::Midway;
    QElapsedTimer sinceProbe;
    sinceProbe.start();
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longest = std::max(longest, static_cast<double>(sinceProbe.nsecsElapsed()) / 1e6);
        sinceProbe.restart();
        if (!quiet && ExchangesSince(t0) >= c.midwayAfter) {
            kill(sim->Pid(), SIGUSR1);
            quiet = true;
        }
        // The window's own failure text, at the first look after the failure.
        if (!textAt && g_firstFailureMs.load() >= 0 && c.failureShown && c.failureShown())
            textAt = NowMs();
        // Also inside the modal loop of the call that opened it.
        CloseEditorWindows();
    });
    probe.start();
    bool started = false;
    QTimer::singleShot(0, [&] {
        started = true;
        c.start();
    });
    QElapsedTimer total;
    total.start();
    const int limit = c.watch ? seconds_ * 1000 : c.limitMs;
    while (total.elapsed() < limit) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (!c.watch && started && total.elapsed() > 200 && c.done())
            break;
    }
    // A stall that lasted to the end (a handler that only returned now) counts too.
    longest = std::max(longest, static_cast<double>(sinceProbe.nsecsElapsed()) / 1e6);
    probe.stop();
    cell.stallMs = longest;
    // The first failed exchange, and the first failure text after it.
    std::optional<double> failedAt;
    {
        const std::lock_guard<std::mutex> lock(g_exchangeMutex);
        for (const Exchange &e : g_exchanges) {
            if (e.uiThread)
                ++cell.uiCalls;
            if (e.status != 0 && e.startMs >= t0 && (!failedAt || e.endMs < *failedAt))
                failedAt = e.endMs;
        }
    }
    cell.failed = failedAt.has_value();
    if (failedAt) {
        std::optional<double> shownAt;
        for (const auto &b : m_.shown)
            if (b.atMs >= *failedAt - 1 && (!shownAt || b.atMs < *shownAt))
                shownAt = b.atMs;
        if (textAt && (!shownAt || *textAt < *shownAt))
            shownAt = textAt;
        if (shownAt)
            cell.textMs = std::max(0.0, *shownAt - *failedAt);
    }
    if (c.stop)
        c.stop();
    Settle(300);
    sim.reset();
    Settle(600);
    return cell;
}

void Bench::Settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        CloseEditorWindows();
    }
}

std::unique_ptr<Bench::Sim> Bench::StartSim(const std::vector<std::string> &options, const Case &)
{
    auto sim = std::make_unique<Sim>();
    const std::string program = std::string(TOOLS700_BIN_DIR) + "/drivesim";
    std::vector<std::string> args{program};
    args.insert(args.end(), options.begin(), options.end());
    int out[2];
    if (pipe(out) != 0)
        return sim;
    sim->pid = fork();
    if (sim->pid == 0) {
        // The simulator ends with the benchmark, however it ends.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        dup2(out[1], 1);
        close(out[0]);
        close(out[1]);
        std::vector<char *> argv;
        for (auto &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    char ch;
    while (read(out[0], &ch, 1) == 1 && ch != '\n') {
    }
    close(out[0]);
    return sim;
}

int Bench::ExchangesSince(double t0)
{
    const std::lock_guard<std::mutex> lock(g_exchangeMutex);
    return static_cast<int>(std::count_if(g_exchanges.begin(), g_exchanges.end(),
                                          [&](const Exchange &e) { return e.startMs >= t0; }));
}

void Bench::CloseEditorWindows()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal->isVisible() && modal->objectName() == QLatin1String("CfgNewDlg"))
        if (auto *d = qobject_cast<QDialog *>(modal)) {
            g_editorsClosed.fetch_add(1);
            d->reject();
        }
}

void PrintTable(const std::vector<const char *> &windows, const std::map<std::string, std::vector<Cell>> &cells)
{
    std::printf("\nLongest gap between two runs of the 5 ms probe on the user-interface thread (ms), and "
                "after \"/\" the time from the first failed exchange to its text on screen (ms):\n\n");
    std::printf("| window |");
    for (int c = 0; c < static_cast<int>(Condition::Count); ++c)
        std::printf(" %s |", kConditionNames[c]);
    std::printf(" link calls on the UI thread |\n|---|");
    for (int c = 0; c < static_cast<int>(Condition::Count); ++c)
        std::printf("---|");
    std::printf("---|\n");
    for (const char *w : windows) {
        const auto &row = cells.at(w);
        long ui = 0;
        std::printf("| %s |", w);
        for (const Cell &cell : row) {
            ui += cell.uiCalls;
            if (!cell.run) {
                std::printf(" n/a |");
                continue;
            }
            char text[32] = "";
            if (cell.textMs)
                std::snprintf(text, sizeof text, " / %.0f", *cell.textMs);
            else if (cell.failed)
                std::snprintf(text, sizeof text, " / none");
            std::printf(" %.0f%s |", cell.stallMs, text);
        }
        std::printf(" %ld |\n", ui);
    }
}

} // namespace responsiveness
