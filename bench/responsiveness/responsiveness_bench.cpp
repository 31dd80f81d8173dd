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
//
// The files of this benchmark: ExchangeRecord (the link calls recorded), StallBench (one case
// under one condition, and the table), WindowCases (the windows as cases), Throughput (paced).

#include "DriveValues.h"
#include "ExchangeRecord.h"
#include "FixedFileDialog.h"
#include "StallBench.h"
#include "Startup.h"
#include "Throughput.h"
#include "WindowCases.h"
#include "support/PacedSim.h"
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

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

using namespace tools700;
using namespace responsiveness;

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

    BenchWindows w{messages, main};
    w.online = program.Find<Tvardlg>();
    w.scope = program.Find<TScopeForm>();
    w.diagnostics = program.Find<TTroubleshooting>();
    w.ratio = program.Find<TInertiaRDlg>();
    w.tuning = program.Find<TTuning>();
    w.save = program.Find<TSaveForm>();
    w.firmware = program.Find<TFWUpgrade>();
    w.firmware->SetOpenDialog(&imageDialog);
    w.diagnostics->SetStepDelay(0);
    w.cfg = cfg.get();
    const std::vector<Case> cases = WindowCases(w);

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
    auto wanted = [&](const char *name) {
        return only.empty() || std::find(only.begin(), only.end(), name) != only.end();
    };
    if (wanted("scope"))
        ScopeThroughput(bench, *w.scope, seconds);
    if (wanted("online"))
        OnlineThroughput(bench, *w.online, seconds);
    if (wanted("firmware"))
        FirmwareThroughput(bench, *w.firmware, image);
    program.session.ResumeStatusPolling();
    return 0;
}
