#include "Startup.h"

#include "SimulatedDrive.h"
#include "TerminationSignals.h"

#include "comm700.h"
#include "mdb700.h"
#include "tools700/common/Error.h"
#include "tools700/motors/MotorExtensions.h"
#include "tools700/common/Release.h"
#include "tools700/platform/InstanceLock.h"
#include "tools700/shell/ComportDlg.h"
#include "tools700/widgets/Application.h"
#include "tools700/shell/MainForm.h"
#include "tools700/widgets/QtMessages.h"
#include "tools700/widgets/Settings.h"
#include "tools700/settings/SettingsFile.h"
#include "tools700/common/ProgramFolders.h"
#include "tools700/shell/Splash.h"
#include "tools700/online/VarChange.h"
#include "tools700/online/VarDlg.h"
#include "tools700/scope/ScopeForm.h"
#include "tools700/analysis/SweepAnalysis.h"
#include "tools700/wizard/CfgNewDlg.h"
#include "tools700/wizard/IOWizardDlg.h"
#include "tools700/wizard/PrintCfgDialog.h"
#include "tools700/wizard/SaveForm.h"
#include "tools700/diagnostics/Troubleshooting.h"
#include "tools700/tuning/InertiaRDlg.h"
#include "tools700/tuning/SlTuningBox.h"
#include "tools700/tuning/Tuning.h"
#include "tools700/firmware/FWUpgradeForm.h"
#include "tools700/motoredit/EditMDBDlg.h"
#include "tools700/compare/CompareForm.h"
#include "tools700/machine/DrivesOnLine.h"

#include <QFile>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <exception>

namespace tools700 {

Program::Program() = default;

Program::~Program()
{
    // The dialogs are the main window's children: they go first, then the main window, whose
    // monitor thread ends with it.
    while (!windows.empty())
        windows.pop_back();
    splash.reset();
    instanceLock.reset();
}

namespace {

// Adds a window to the program's list in creation order.
template <class T> T *Keep(Program &program, std::unique_ptr<T> window)
{
    T *w = window.get();
    program.creationOrder << w->objectName();
    program.windows.push_back(std::move(window));
    return w;
}

// Shows a modeless window and brings it to the front.
void ShowInFront(QWidget *w)
{
    w->show();
    w->raise();
    w->activateWindow();
}

} // namespace

std::string LibraryVersionsText()
{
    char a[80] = {};
    char b[80] = {};
    char line[200];
    std::string text;
    CommDLLVersion700(a);
    CommDLLCompileTime700(b);
    std::snprintf(line, sizeof line, "%s, %s\n", a, b);
    text += line;
    mdb_Version(a);
    mdb_CompileTime(b);
    std::snprintf(line, sizeof line, "%s, %s\n", a, b);
    text += line;
    return text;
}

std::string UsageText()
{
    return R"(Usage: Tools700 [-inhouse] [--simulator [MODEL]]
Sets up, watches and tunes SV7xx servo drives over an RS-232 line: configurations
made with a wizard, uploaded, edited and downloaded; variables, I/O and faults
watched live; an oscilloscope, a diagnostic checklist, the velocity loop's
tuning, the motor database and firmware upgrades.

Options:
  -inhouse     in-house mode: more motors and variables are offered (the only
               option beside --simulator, in any letter case)
  --simulator [MODEL]
               try the program without a drive: starts the drive simulator
               drivesim (model MODEL, default 733; e.g. 743 for a 740-family
               drive) at axis 1 on a line of its own, connects to it, and ends
               it when the program ends; settings are kept apart from those of
               real drives (700Tools-simulator.ini beside the settings file)
  --help       this text
  --version    the release of the program and of its two libraries

Folders:
  Run from its build folder, the program keeps configurations (the "cfg"
  folder), user motor files (*.MDE) and Scope.log beside itself, with the help
  pages in "help". Installed, it keeps what it writes in $XDG_DATA_HOME/700Tools
  (default ~/.local/share/700Tools) and reads the help pages from the
  installation. The about box shows the folders in use.

Environment:
  TOOLS700_SETTINGS   the settings file (default ~/.config/Korvane/700Tools.ini)
  COMM700_COM1..COM4  the serial device of a port (default /dev/ttyS0..3)
  COMM700_NAMESPACE   the link library's namespace; a drive simulator must use
                      the same one
  TOOLS700_HELP_DIR   the folder of the help pages
)";
}

std::string VersionText()
{
    std::string text = ReleaseLine("Tools700");
    char comm[80] = {};
    char mdb[80] = {};
    CommDLLVersion700(comm);
    mdb_Version(mdb);
    return text + comm + "\n" + mdb + "\n";
}

std::optional<int> RunInformationOption(const std::vector<std::string> &args, std::FILE *out)
{
    for (const std::string &a : args) {
        if (a == "--help" || a == "-h") {
            std::fputs(UsageText().c_str(), out);
            return 0;
        }
        if (a == "--version") {
            std::fputs(VersionText().c_str(), out);
            return 0;
        }
    }
    return std::nullopt;
}

StartResult StartProgram(Program &program, Messages &messages, const QString &programFile, const QStringList &args)
{
    // 1. One instance per user session. A lock left by an instance that was killed is taken over.
    program.instanceLock = std::make_unique<platform::InstanceLock>();
    if (program.instanceLock->Take(kSingleInstanceLock) == platform::InstanceLock::Result::HeldElsewhere) {
        program.instanceLock.reset();
        messages.Message("Application is already running.");
        return StartResult::AlreadyRunning;
    }

    // 2. Splash window, painted at once; it closes itself 2000 ms after the event loop starts.
    program.splash = std::make_unique<TSplash>();
    program.splash->show();
    program.splash->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    program.splash->ArmTimer();

    // 4. The windows, hidden, main window first; each part's windows are registered in the
    // session, so the entries and windows that open them find them.
    Session &session = program.session;
    TMainForm *main = Keep(program, std::make_unique<TMainForm>(session, messages, programFile, args));
    program.mainForm = main;
    const std::string folder = session.ProgramDir;
    main->SetMotorExtensionLoader([folder, &messages] { LoadMotorExtensions(folder, messages); });
    LoadMotorExtensions(folder, messages);

    auto *vardlg = Keep(program, std::make_unique<Tvardlg>(session, messages, main));
    session.Register(Window::OnlineDrive, [vardlg] { ShowInFront(vardlg); });
    QObject::connect(main, &TMainForm::userUnconfigureVisibleChanged, vardlg, &Tvardlg::SetUnconfigureVisible);
    // The main window flushes the extension motors before the editor opens and reloads them after.
    auto *mdbEditor = Keep(program, std::make_unique<TEditMDBDlg>(session, messages, main));
    session.Register(Window::MotorDatabase, [mdbEditor] { mdbEditor->Edit(); });
    auto *fwUpgrade = Keep(program, std::make_unique<TFWUpgrade>(session, messages, main));
    session.Register(Window::FirmwareUpgrade, [fwUpgrade] { fwUpgrade->Upgrade(); });
    auto *printDlg = Keep(program, std::make_unique<TPrintCfgDialog>(main));
    auto *saveForm = Keep(program, std::make_unique<TSaveForm>(session, messages, *printDlg, main));
    auto *scopeForm = Keep(program, std::make_unique<TScopeForm>(session, messages, main));
    session.Register(Window::Oscilloscope, [scopeForm] { ShowInFront(scopeForm); });
    session.Register(Window::StepResponse, [scopeForm] {
        ShowInFront(scopeForm);
        scopeForm->ArmStepResponse();
    });
    auto *sweepAnalysis = Keep(program, std::make_unique<TSweepAnalysis>(session, messages, main));
    session.Register(Window::SweepAnalysis, [sweepAnalysis] { sweepAnalysis->ShowScopeSweeps(); });
    auto *trouble = Keep(program, std::make_unique<TTroubleshooting>(messages, main));
    session.Register(Window::Diagnostics, [trouble] { ShowInFront(trouble); });
    vardlg->SetChangeDialog(Keep(program, std::make_unique<TVarChange>(messages, main)));

    program.about = Keep(program, std::make_unique<TAbout>(messages, [] { return LibraryVersionsText(); }, main));
    program.about->SetFolders(FoldersText(session.Folders));
    main->SetAbout(program.about);

    auto *wizard = Keep(program, std::make_unique<TCfgNewDlg>(session, messages, *saveForm, main));
    // The I/O wizard stays usable beside the modal wizard: it is the wizard's own window.
    wizard->SetIOWizard(Keep(program, std::make_unique<TIOWizardDlg>(messages, *wizard, wizard)));
    session.Register(Window::NewConfiguration, [wizard] { wizard->NewConfiguration(); });
    session.RegisterEditor([wizard](int entryMode, Cfg &cfg, const std::string &name) {
        wizard->EditConfiguration(entryMode, cfg, name);
    });

    auto *compare = Keep(program, std::make_unique<TCompareForm>(session, messages, main));
    session.RegisterComparer([compare](Cfg *cfg, const std::string &name) {
        if (cfg)
            return compare->CompareConfiguration(*cfg, name);
        compare->CompareFile(name);
        return 0;
    });

    auto *tuning = Keep(program, std::make_unique<TTuning>(session, messages, main));

    // The port dialog sets up the link from the stored settings.
    program.comportDlg = Keep(program, std::make_unique<TComportDlg>(messages, main));
    main->SetComportDlg(program.comportDlg);
    auto *drivesOnLine = Keep(program, std::make_unique<TDrivesOnLine>(session, messages, main));
    session.Register(Window::DrivesOnLine, [drivesOnLine] { ShowInFront(drivesOnLine); });

    auto *inertia = Keep(program, std::make_unique<TInertiaRDlg>(session, messages, main));
    session.Register(Window::InertiaRatio, [inertia] { inertia->Ask(TInertiaRDlg::kWizardRatio); });
    inertia->SetTuning(tuning);
    session.Register(Window::TuningOnline, [inertia] { inertia->Ask(TInertiaRDlg::kOnlineTuning); });
    auto *slTuning = Keep(program, std::make_unique<TslTuningBox>(session, messages, *tuning, main));
    session.Register(Window::TuningOffline, [slTuning] { slTuning->Ask(); });
    return StartResult::Started;
}

void InstallUnattendedHooks(Program &program)
{
    const QString connectedFile = qEnvironmentVariable("TOOLS700_CONNECTED_FILE");
    const QString screenshot = qEnvironmentVariable("TOOLS700_SCREENSHOT");
    const QString windowName = qEnvironmentVariable("TOOLS700_SCREENSHOT_WINDOW");
    if (connectedFile.isEmpty() && screenshot.isEmpty())
        return;
    const auto &windows = program.windows;
    TMainForm *main = program.mainForm;
    TSplash *splash = program.splash.get();
    if (!screenshot.isEmpty())
        main->setFixedSize(1024, 700);
    auto done = std::make_shared<bool>(false);
    QObject::connect(main, &TMainForm::statusUpdated, main, [=, &windows](const QString &text) {
        if (*done || !text.startsWith(QStringLiteral("Status: Axis")))
            return;
        if (!connectedFile.isEmpty()) {
            *done = screenshot.isEmpty();
            QFile f(connectedFile);
            if (f.open(QIODevice::Append))
                f.write("connected\n");
        }
        if (!screenshot.isEmpty() && !splash->isVisible()) {
            *done = true;
            QWidget *shown = main;
            int delayMs = 100; // one more turn of the event loop so the status bar is painted
            if (!windowName.isEmpty()) {
                shown = nullptr;
                for (const auto &w : windows)
                    if (w->objectName() == windowName)
                        shown = w.get();
                if (!shown) {
                    QCoreApplication::exit(1);
                    return;
                }
                ShowInFront(shown);
                delayMs = 2500;
            }
            QTimer::singleShot(delayMs, main, [shown, screenshot] {
                const bool saved = shown->grab().save(screenshot);
                QCoreApplication::exit(saved ? 0 : 1);
            });
        }
    });
}

namespace {

// A simulated run talks to its own simulator: the simulator channel, whatever port a run before
// chose in the port dialog.
void UseSimulatorChannel()
{
    std::unique_ptr<QSettings> store = OpenSettings();
    WriteInt(*store, QString::fromLatin1(settings::kComportKey), 0);
}

int RunWindows(Application &app, const QStringList &args)
{
    Program program;
    try {
        if (StartProgram(program, AppMessages(), QCoreApplication::applicationFilePath(), args) ==
            StartResult::AlreadyRunning)
            return 0;
    } catch (const std::exception &e) {
        ShowErrorBox(e.what());
        return 1;
    }
    InstallUnattendedHooks(program);
    if (qEnvironmentVariableIsEmpty("TOOLS700_SCREENSHOT"))
        program.mainForm->ShowMaximizedFixed();
    else
        program.mainForm->show();
    program.mainForm->activateWindow();
    if (program.splash->isVisible())
        program.splash->raise();
    return app.exec();
}

} // namespace

int RunProgram(Application &app, const SimulatorOption &simulator)
{
    QStringList qargs = app.arguments();
    if (!qargs.isEmpty())
        qargs.removeFirst();
    std::vector<std::string> rest;
    for (const QString &a : qargs)
        rest.push_back(a.toStdString());
    TakeSimulatorOption(rest);
    QStringList args;
    for (const std::string &a : rest)
        args << QString::fromStdString(a);
    if (!simulator.wanted)
        return RunWindows(app, args);

    TerminationSignals termination;
    SimulatedDrive drive;
    const std::string why = drive.Start(SimulatorBesideProgram(ThisExecutable()), simulator.model);
    if (!why.empty()) {
        std::fprintf(stderr, "Tools700: %s\n", why.c_str());
        ShowErrorBox("The simulated drive cannot be started: " + why);
        return 1;
    }
    UseSimulatorChannel();
    const int code = RunWindows(app, args);
    drive.Stop();
    termination.RaiseReceived();
    return code;
}

} // namespace tools700
