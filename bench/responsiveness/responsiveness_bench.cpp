// responsiveness_bench: how the program's windows keep answering while the drive is healthy,
// silent, goes silent midway, answers just before the time-out, or refuses. The whole program
// runs in this process (its start-up, every window, the connection monitor), on Qt's offscreen
// platform unless told otherwise, against drivesim on the simulator channel.
//
//   responsiveness_bench [seconds] [window ...]      (default 4 s of watching per windowed case)
//
// Windows: main (the status updates), online, scope, diagnostics, tuning (the on-line start, then
// Apply), download (the save window's Download), upload (the main window's Upload), firmware (the
// upgrade window's Download). Conditions: healthy; silent from the start (--silent); silent
// midway (SIGUSR1 once the case's work has made some exchanges); late (--delay 450, just under
// the 500 ms reply time-out and every longer one); refusing (--refuse of a name the case needs).
//
// Each cell: the longest gap between two runs of a 5 ms probe timer on the user-interface thread
// (its period included), and, where an exchange failed, the time from the end of the first failed
// exchange to its text on screen (a message box shown, or the window's own failure text: the
// status bar's "No connection", the on-line window's and the scope's "No communications!").
// Exchanges are seen by wrapping the link library's calls in this program (dlsym RTLD_NEXT), which
// also counts the calls made on the user-interface thread. Then, with drivesim --pace, the
// throughput: the scope's frame rate against the wire-limited one, the on-line poll's exchange and
// the firmware download against their paced reply time.
#include "DriveValues.h"
#include "FixedFileDialog.h"
#include "Startup.h"
#include "comm700.h"
#include "support/PacedSim.h"
#include "tools700/Messages.h"
#include "tools700/config/Cfg.h"
#include "tools700/diagnostics/Troubleshooting.h"
#include "tools700/firmware/FWUpgradeForm.h"
#include "tools700/online/VarDlg.h"
#include "tools700/scope/ScopeForm.h"
#include "tools700/shell/MainForm.h"
#include "tools700/tuning/InertiaRDlg.h"
#include "tools700/tuning/Tuning.h"
#include "tools700/widgets/Application.h"
#include "tools700/wizard/SaveForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace tools700;
using Clock = std::chrono::steady_clock;

// ---------------------------------------------------------------------------------------------
// The link library's exchanges, as the program makes them.

namespace {

const Clock::time_point g_start = Clock::now();
double NowMs() { return std::chrono::duration<double, std::milli>(Clock::now() - g_start).count(); }

struct Exchange {
    double startMs, endMs;
    int status;
    bool uiThread;
    const char *kind; // the link call
    int names;        // GetVars700: the names asked for
};

std::mutex g_exchangeMutex;
std::atomic<int> g_editorsClosed{0};
std::vector<Exchange> g_exchanges;
std::thread::id g_uiThread;

// The end of the first failed exchange since the record was cleared (negative: none yet).
std::atomic<double> g_firstFailureMs{-1};

template <class F> int Recorded(const char *kind, F &&call, int names = 0)
{
    const double start = NowMs();
    const int status = call();
    const double end = NowMs();
    const std::lock_guard<std::mutex> lock(g_exchangeMutex);
    g_exchanges.push_back({start, end, status, std::this_thread::get_id() == g_uiThread, kind, names});
    if (status != 0 && g_firstFailureMs.load() < 0)
        g_firstFailureMs.store(end);
    return status;
}

void ClearExchanges()
{
    const std::lock_guard<std::mutex> lock(g_exchangeMutex);
    g_exchanges.clear();
    g_firstFailureMs.store(-1);
}

int Count(const char *const *names)
{
    int n = 0;
    while (names != nullptr && n < 32 && names[n] != nullptr)
        ++n;
    return n;
}

template <class F> F Real(const char *name) { return reinterpret_cast<F>(dlsym(RTLD_NEXT, name)); }

} // namespace

extern "C" {
int GetVar700(const char *name, double *value)
{
    static const auto real = Real<int (*)(const char *, double *)>("GetVar700");
    return Recorded("GetVar700", [&] { return real(name, value); });
}
int GetVars700(const char *const *names, double *values, int *mask)
{
    static const auto real = Real<int (*)(const char *const *, double *, int *)>("GetVars700");
    return Recorded("GetVars700", [&] { return real(names, values, mask); }, Count(names));
}
int PutVar700(const char *name, double value)
{
    static const auto real = Real<int (*)(const char *, double)>("PutVar700");
    return Recorded("PutVar700", [&] { return real(name, value); });
}
int PutVars700(const char *const *names, const double *values, int *result)
{
    static const auto real = Real<int (*)(const char *const *, const double *, int *)>("PutVars700");
    return Recorded("PutVars700", [&] { return real(names, values, result); });
}
int ExeCmd700(const char *name)
{
    static const auto real = Real<int (*)(const char *)>("ExeCmd700");
    return Recorded("ExeCmd700", [&] { return real(name); });
}
int ReadScopeData700(uint16_t op, uint16_t reserved, uint16_t timebase, uint16_t trigger, uint32_t level,
                     uint16_t ch1, uint16_t ch2, double *s1, double *s2, uint16_t *count)
{
    static const auto real =
        Real<int (*)(uint16_t, uint16_t, uint16_t, uint16_t, uint32_t, uint16_t, uint16_t, double *, double *,
                     uint16_t *)>("ReadScopeData700");
    return Recorded("ReadScopeData700", [&] { return real(op, reserved, timebase, trigger, level, ch1, ch2, s1, s2, count); });
}
int ExecLoadSegment(uint16_t count, uint16_t control, uint16_t *replyStatus, uint16_t segment, uint16_t *replyWord,
                    const uint16_t *data)
{
    static const auto real = Real<int (*)(uint16_t, uint16_t, uint16_t *, uint16_t, uint16_t *, const uint16_t *)>(
        "ExecLoadSegment");
    return Recorded("ExecLoadSegment", [&] { return real(count, control, replyStatus, segment, replyWord, data); });
}
int GetUPCRstatus(uint16_t *status)
{
    static const auto real = Real<int (*)(uint16_t *)>("GetUPCRstatus");
    return Recorded("GetUPCRstatus", [&] { return real(status); });
}
int PutUPCRstatus(uint16_t value, uint16_t *status)
{
    static const auto real = Real<int (*)(uint16_t, uint16_t *)>("PutUPCRstatus");
    return Recorded("PutUPCRstatus", [&] { return real(value, status); });
}
} // extern "C"

namespace {

// ---------------------------------------------------------------------------------------------
// Message boxes: noted with their time, answered as a technician would.

class BenchMessages : public Messages {
public:
    Answer Show(BoxKind kind, const std::string &text, unsigned buttons) override
    {
        shown.push_back({NowMs(), text});
        // Never "change the communications setup" (a modal port dialog), never Cancel a check.
        if (text.rfind("Can't communicate with the drive!\n", 0) == 0)
            return Answer::No;
        if (buttons & BtnYes)
            return Answer::Yes;
        (void)kind;
        return Answer::Ok;
    }
    struct Box {
        double atMs;
        std::string text;
    };
    std::vector<Box> shown;
};

enum class Condition { Healthy, Silent, Midway, Late, Refusing, Count };
const char *const kConditionNames[] = {"healthy", "silent", "silent midway", "late (450 ms)", "refusing"};

struct Cell {
    bool run = false;
    double stallMs = 0;
    std::optional<double> textMs; // failure to its text
    bool failed = false;          // an exchange failed
    long uiCalls = 0;             // link calls made on the user-interface thread
};

struct Case {
    const char *window;
    int model;
    const char *refuse;    // --refuse of the refusing condition (null: not applicable)
    int midwayAfter;       // exchanges of the case before the drive goes quiet
    bool watch;            // watched for the given seconds (else: until done, at most limitMs)
    int limitMs;
    std::function<void()> start;
    std::function<bool()> done;       // the case's work has ended (unused when watched)
    std::function<bool()> failureShown; // the window's own failure text is on screen
    std::function<void()> stop;
};

class Bench {
public:
    Bench(Program &program, BenchMessages &messages, int seconds) : p_(program), m_(messages), seconds_(seconds) {}

    Cell Run(const Case &c, Condition condition)
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

    void Settle(int ms)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            CloseEditorWindows();
        }
    }

private:
    struct Sim {
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

    std::unique_ptr<Sim> StartSim(const std::vector<std::string> &options, const Case &)
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

    static int ExchangesSince(double t0)
    {
        const std::lock_guard<std::mutex> lock(g_exchangeMutex);
        return static_cast<int>(std::count_if(g_exchanges.begin(), g_exchanges.end(),
                                              [&](const Exchange &e) { return e.startMs >= t0; }));
    }

public:
    // The configuration editor an upload opens (modal) is closed at once.
    static void CloseEditorWindows()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && modal->objectName() == QLatin1String("CfgNewDlg"))
            if (auto *d = qobject_cast<QDialog *>(modal)) {
                g_editorsClosed.fetch_add(1);
                d->reject();
            }
    }

private:

    Program &p_;
    BenchMessages &m_;
    int seconds_;
};

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

constexpr double kByteMs = 10.0 / 19200.0 * 1000.0;
int FrameBytes(int words) { return 1 + 2 * (words + 1) + 2; }

} // namespace

int main(int argc, char **argv)
{
    if (!bench::OwnNamespace("responsiveness_bench", argv))
        return 1;
    int seconds = 4;
    std::vector<std::string> only;
    for (int i = 1; i < argc; ++i) {
        if (std::atoi(argv[i]) > 0)
            seconds = std::atoi(argv[i]);
        else
            only.emplace_back(argv[i]);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir dir;
    setenv("TOOLS700_SETTINGS", dir.filePath(QStringLiteral("700Tools.ini")).toLocal8Bit().constData(), 1);
    Application app(argc, argv);
    g_uiThread = std::this_thread::get_id();

    BenchMessages messages;
    Program program;
    const QString self = QCoreApplication::applicationFilePath();
    if (StartProgram(program, messages, self, {}) != StartResult::Started)
        return 1;
    TMainForm &main = *program.mainForm;
    main.show();
    main.activateWindow();

    Bench bench(program, messages, seconds);
    bench.Settle(2500); // the splash window goes

    // The firmware image and a configuration as a drive holds it.
    const std::string image = dir.filePath(QStringLiteral("fw.bin")).toStdString();
    {
        std::ofstream out(image, std::ios::binary);
        for (long i = 0; i < 1280; ++i)
            out.put(static_cast<char>((i * 31) & 0xFF));
    }
    testsupport::FixedFileDialog imageDialog(image);
    std::unique_ptr<Cfg> cfg;
    {
        const bench::PacedSim sim("responsiveness_bench", {"--model", "733", "--axes", "1", "--configured"});
        cfg = std::make_unique<Cfg>();
        BenchMessages quiet;
        cfg->Upload(quiet);
        testsupport::IntoBounds(*cfg);
    }

    auto *online = program.Find<Tvardlg>();
    auto *scope = program.Find<TScopeForm>();
    auto *diagnostics = program.Find<TTroubleshooting>();
    auto *ratio = program.Find<TInertiaRDlg>();
    auto *tuning = program.Find<TTuning>();
    auto *save = program.Find<TSaveForm>();
    auto *firmware = program.Find<TFWUpgrade>();
    firmware->SetOpenDialog(&imageDialog);
    diagnostics->SetStepDelay(0);
    bool tuningApplied = false;
    bool firmwareStarted = false;
    int editorsBefore = 0;

    auto shownAfter = [&](std::size_t n) { return messages.shown.size() > n; };
    std::vector<Case> cases = {
        {"main", 733, "DriveStatus=68", 3, true, 0, [] {}, {},
         [&] {
             const QString t = main.PanelText(2);
             return t.startsWith(QStringLiteral("No connection")) || t == QStringLiteral("CommError?");
         },
         {}},
        {"online", 733, "Velocity=68", 10, true, 0, [&] { online->show(); }, {},
         [&] { return online->pnlFault->isVisible(); }, [&] { online->hide(); }},
        {"scope", 733, nullptr, 20, true, 0, [&] { scope->show(); }, {},
         [&] { return scope->pnlNoComm->isVisible(); }, [&] { scope->close(); }},
        {"diagnostics", 733, "Kvp=68", 10, false, 15000,
         [&] {
             diagnostics->show();
             diagnostics->btnStartClick();
         },
         [&] { return !diagnostics->Running() && diagnostics->btnStart->isEnabled(); },
         [&] { return diagnostics->Checklist->toPlainText().contains(QStringLiteral("failed")); },
         [&] { diagnostics->btnCancelClick(); }},
        {"tuning", 733, "Kvi=68", 5, false, 20000,
         [&] {
             tuningApplied = false;
             ratio->SetPurpose(TInertiaRDlg::kOnlineTuning);
             ratio->btnOKClick();
         },
         [&] {
             // Started: then Apply with a changed Kvp, once.
             if (!tuningApplied && tuning->isVisible() && tuning->btnApply->isVisible()) {
                 tuningApplied = true;
                 const std::size_t before = messages.shown.size();
                 tuning->edtKvp->setText(QString::number(tuning->edtKvp->text().toDouble() * 1.1, 'f', 3));
                 tuning->EditKeyPress(tuning::kFieldKvp);
                 tuning->Timer2Timer();
                 tuning->btnApplyClick();
                 (void)before;
                 return false;
             }
             return (tuningApplied && !tuning->btnApply->isEnabled()) || (!tuning->isVisible() && shownAfter(0));
         },
         {}, [&] { tuning->hide(); }},
        {"download", 733, "Kvp=68", 40, false, 30000,
         [&] {
             save->Begin(*cfg, "bench.cfg", false);
             save->btnDownloadClick();
         },
         [&] { return save->btnDownload->isEnabled() && !save->ProgressBar1->isVisible(); }, {},
         [&] { save->hide(); }},
        {"upload", 733, "Kvp=68", 40, false, 30000,
         [&] {
             editorsBefore = g_editorsClosed.load();
             main.Upload();
         },
         // Ended: the editor opened (and was closed), or a message said why not.
         [&] { return main.pgbLoad->isHidden() && (g_editorsClosed.load() > editorsBefore || shownAfter(0)); }, {},
         {}},
        {"firmware", 743, nullptr, 6, false, 20000,
         [&] {
             firmwareStarted = false;
             firmware->show();
             firmware->btnOpenFileClick();
         },
         [&] {
             // Download once the file is read.
             if (!firmwareStarted) {
                 if (firmware->btnDownload->isEnabled()) {
                     firmwareStarted = true;
                     firmware->btnDownloadClick();
                 }
                 return false;
             }
             return !firmware->Procedure().Running();
         },
         {}, [&] { firmware->reject(); }},
    };

    std::vector<const char *> windows;
    std::map<std::string, std::vector<Cell>> cells;
    for (const Case &c : cases) {
        if (!only.empty() && std::find(only.begin(), only.end(), c.window) == only.end())
            continue;
        windows.push_back(c.window);
        for (int k = 0; k < static_cast<int>(Condition::Count); ++k) {
            const Cell cell = bench.Run(c, static_cast<Condition>(k));
            cells[c.window].push_back(cell);
            std::fprintf(stderr, "%s, %s: stall %.0f ms%s\n", c.window, kConditionNames[k], cell.stallMs,
                         cell.run ? "" : " (not run)");
        }
    }
    std::printf("responsiveness_bench: the whole program against drivesim on the simulator channel, %d s per watched "
                "window\n",
                seconds);
    PrintTable(windows, cells);

    // Throughput with replies paced at 19200 bit/s, the connection monitor paused (as the windows
    // that need the line to themselves pause it), so each figure is the window's own.
    std::printf("\nThroughput, drivesim --pace, connection monitor paused:\n");
    program.session.SuspendStatusPolling();
    auto wanted = [&](const char *w) { return only.empty() || std::find(only.begin(), only.end(), w) != only.end(); };
    if (wanted("scope")) {
        const bench::PacedSim sim("responsiveness_bench", {"--model", "733", "--axes", "1", "--pace"});
        scope->show();
        bench.Settle(500);
        const std::uint64_t before = scope->Pump().Fetches();
        ClearExchanges();
        const double t0 = NowMs();
        QElapsedTimer t;
        t.start();
        bench.Settle(seconds * 1000);
        const double fps = static_cast<double>(scope->Pump().Fetches() - before) / (static_cast<double>(t.elapsed()) / 1000.0);
        const double t1 = NowMs();
        scope->close();
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
    if (wanted("online")) {
        const bench::PacedSim sim("responsiveness_bench", {"--model", "733", "--axes", "1", "--pace"});
        online->show();
        bench.Settle(1500); // the rows are read
        ClearExchanges();
        bench.Settle(seconds * 1000);
        online->hide();
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
    if (wanted("firmware")) {
        // An image of 16 KiB: 128 segments, so the programming dominates the erase.
        {
            std::ofstream out(image, std::ios::binary | std::ios::trunc);
            for (long i = 0; i < 16380; ++i)
                out.put(static_cast<char>((i * 31 + i / 509) & 0xFF));
        }
        const bench::PacedSim sim("responsiveness_bench", {"--model", "743", "--axes", "1", "--pace"});
        ClearExchanges();
        QElapsedTimer t;
        firmware->show();
        firmware->btnOpenFileClick();
        bench.Settle(300);
        t.start();
        firmware->btnDownloadClick();
        while ((firmware->Procedure().Running() || t.elapsed() < 300) && t.elapsed() < 120000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const double total = static_cast<double>(t.elapsed());
        const bool finished = firmware->Procedure().GetPhase() == firmware::Phase::Finished ||
                              (firmware->isHidden() && firmware->result() == TFWUpgrade::kResultYes);
        if (firmware->isVisible())
            firmware->reject();
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
                    finished ? "programmed" : firmware->Procedure().Failure().c_str(), segments, upcr, total, line,
                    total / line, replies);
    }
    program.session.ResumeStatusPolling();
    return 0;
}
