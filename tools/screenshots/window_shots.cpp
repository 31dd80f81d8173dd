// window_shots OUTDIR [PART...]: saves pictures of the program's windows in typical states as
// OUTDIR/<name>.png. Parts: "wizard" (the configuration editor: first page, the I/O wizard for a
// 730 drive in mode 7 and for a 740 drive, each tab of the second page, the save window),
// "scope" (the oscilloscope free running and after a single sweep, on a simulated drive that the
// caller has started), "motoredit" (the motor database editor in browse and edit mode for a
// rotary and a linear motor), "firmware" (the upgrade window while it programs; needs a
// 740-family drivesim on the line), "diagnostics" (a run of the checklist on the drive at axis 1
// of the simulator channel) and "tuning" (the off-line start dialog, the tuning wizard on line
// with that drive and off line) and "analysis" (the sweep analysis of a step response with the
// reference of a gentler try behind it, and the scope showing that reference; needs drivesim
// --step on the line).
// Message boxes are answered at once (TOOLS700_AUTO_ANSWER). Run it under a display (Xvfb).
#include "Startup.h"

#include "comm700.h"
#include "mdb700.h"
#include "tools700/config/Generator.h"
#include "tools700/config/MotorChoice.h"
#include "tools700/diagnostics/Troubleshooting.h"
#include "tools700/tuning/SlTuningBox.h"
#include "tools700/tuning/Tuning.h"

#include "tools700/common/Session.h"
#include "tools700/analysis/AnalysisGraph.h"
#include "tools700/analysis/SweepAnalysis.h"
#include "tools700/shell/MainForm.h"
#include "tools700/shell/Splash.h"
#include "tools700/scope/ScopeForm.h"
#include "tools700/scope/ScopeGraph.h"
#include "tools700/widgets/Application.h"
#include "tools700/widgets/QtMessages.h"
#include "tools700/wizard/CfgNewDlg.h"
#include "tools700/wizard/IOWizardDlg.h"
#include "tools700/wizard/SaveForm.h"

#include "FixedFileDialog.h"
#include "comm700.h"
#include "tools700/firmware/FWUpgradeForm.h"

#include <QFile>
#include <QProgressBar>
#include "tools700/config/Motor.h"
#include "tools700/motoredit/EditMDBDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>

using namespace tools700;

namespace {

bool Save(QWidget *w, const QString &dir, const char *name)
{
    QCoreApplication::processEvents();
    const QString file = QDir(dir).filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
    const bool ok = w->grab().save(file);
    std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(file));
    return ok;
}

void Choose(QComboBox *box, const char *text)
{
    box->setCurrentIndex(box->findText(QString::fromLatin1(text)));
}

// The first page filled in for a drive and mode, then "Next >>": the I/O wizard shows.
void FirstPage(TCfgNewDlg &w, const char *drive, const char *mode)
{
    w.BeginNew();
    Choose(w.cmbDrive, drive);
    w.cmbDriveChange();
    w.cmbMotor->setCurrentIndex(std::min(4, w.cmbMotor->count() - 1));
    Choose(w.cmbOpMode, mode);
    w.cmbOpModeClick();
}

bool WizardShots(Program &program, const QString &dir)
{
    TCfgNewDlg &w = *program.Find<TCfgNewDlg>();
    TIOWizardDlg &io = *program.Find<TIOWizardDlg>();
    TSaveForm &save = *program.Find<TSaveForm>();
    bool ok = true;

    FirstPage(w, "SV743", "Velocity Mode -- Analog Command");
    w.OKBtnClick();
    ok &= Save(&io, dir, "iowizard-740");
    io.hide();
    w.CancelBtnClick();

    FirstPage(w, "SV733", "Position Mode -- Predefined Moves");
    ok &= Save(&w, dir, "wizard-first-page");
    w.OKBtnClick();
    ok &= Save(&io, dir, "iowizard-730-mode7");
    io.btnOKClick();
    struct Shot {
        const char *mode;
        EditorTab tab;
        const char *name;
    };
    const Shot shots[] = {
        {"Position Mode -- Predefined Moves", EditorTab::Digital, "wizard-tab-digital-io"},
        {"Position Mode -- Predefined Moves", EditorTab::Analog, "wizard-tab-analog-io"},
        {"Position Mode -- Predefined Moves", EditorTab::Loop, "wizard-tab-loop-gains"},
        {"Position Mode -- Predefined Moves", EditorTab::Predefined, "wizard-tab-predefined-moves"},
        {"Position Mode -- Predefined Moves", EditorTab::Feedback, "wizard-tab-feedback"},
        {"Torque Mode -- Analog Command", EditorTab::Torque, "wizard-tab-torque-controller"},
        {"Velocity Mode -- Serial Command", EditorTab::Velocity, "wizard-tab-velocity-controller"},
        {"Position Mode -- Step and Direction", EditorTab::Position, "wizard-tab-position-controller"},
    };
    for (const Shot &s : shots) {
        if (w.ModeText() != QLatin1String(s.mode)) {
            // A mode change with the defaults question answered (TOOLS700_AUTO_ANSWER).
            Choose(w.cmbOpMode, s.mode);
            w.cmbOpModeClick();
        }
        w.PageControl1->setCurrentWidget(w.tabs[static_cast<int>(s.tab)]);
        if (s.tab == EditorTab::Predefined) {
            // A move of a type that shows most rows.
            auto *type = w.findChild<QComboBox *>(QStringLiteral("pcmbMoveType"));
            Choose(type, "Incremental Registration");
            w.MoveTypeRule();
        }
        ok &= Save(&w, dir, s.name);
    }

    Cfg *cfg = w.Core().WorkingCfg;
    save.Begin(*cfg, w.Core().Caption, true);
    ok &= Save(&save, dir, "save-window");
    save.hide();
    w.hide();
    return ok;
}

// Runs the event loop until `done` holds; false after `ms`.
bool WaitUntil(const std::function<bool()> &done, int ms = 10000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void Enter(QLineEdit *edit, const char *text, const std::function<void()> &exit)
{
    edit->setText(QString::fromLatin1(text));
    exit();
}

bool ScopeShots(Program &program, const QString &dir)
{
    TScopeForm &scope = *program.Find<TScopeForm>();
    program.session.Open(Window::Oscilloscope);
    scope.FormActivate();
    Choose(scope.cmbSource1, "Velocity Feedback");
    Choose(scope.cmbSource2, "Current Command");
    Enter(scope.edtCh1Gain, "250", [&] { scope.edtCh1GainExit(); });
    Enter(scope.edtCh2Gain, "2", [&] { scope.edtCh2GainExit(); });
    scope.ckbThickTrace1->setChecked(true);
    scope.ckbThickTrace1Click();
    scope.cmbTimebase->setCurrentIndex(1);
    // A few frames drawn, so the picture shows the drive's signals and no "No communications!".
    const int before = scope.graph->Repaints();
    bool ok = WaitUntil([&] { return scope.graph->Repaints() > before + 3 && scope.Pump().ReadOk(); });
    ok &= Save(&scope, dir, "scope-free-running");

    // One sweep triggered by Velocity Feedback rising through 0, the cursor half-way.
    scope.cmbTimebase->setCurrentIndex(2);
    scope.cmbTrigger->setCurrentIndex(1);
    Enter(scope.edtTriggerLevel, "0", [&] { scope.edtTriggerLevelExit(); });
    scope.ckbSingleSweep->setChecked(true);
    scope.ckbSingleSweepClick();
    ok &= WaitUntil([&] { return scope.Pump().State() == scope::SweepState::Waiting; });
    scope.btnResetClick();
    ok &= WaitUntil([&] { return scope.btnReset->isEnabled(); });
    scope.graph->Update();
    scope.graph->SetCursorPoint(50);
    // The blinking caption shown, not its blank half.
    ok &= WaitUntil([&] { return !scope.ckbSingleSweep->text().isEmpty(); });
    ok &= Save(&scope, dir, "scope-single-sweep");
    scope.ckbSingleSweep->setChecked(false);
    scope.ckbSingleSweepClick();
    scope.hide();
    return ok;
}
// Two user motors in a folder of their own: a rotary one in metric units with a Comcoder, and a
// linear one in English units.
bool MotorEditorShots(Program &program, const QString &dir)
{
    QTemporaryDir folder;
    Motor rotary;
    for (const auto &[name, value] : {std::pair<const char *, double>{"MotorType", 0}, {"ShowMetric", 1},
                                      {"RotaryKe", 0.55}, {"Inertia", 0.12}, {"Inductance", 6.5},
                                      {"PoleCount", 8}, {"ICS", 4.2}, {"CommSrc", 2}, {"HallOffset", 30},
                                      {"ThermalTimeConst", 20}, {"MaxVBus", 340}})
        rotary.Set(name, value);
    rotary.Save(folder.filePath(QStringLiteral("ROT100.MDE")).toStdString(), 0);
    Motor linear;
    for (const auto &[name, value] : {std::pair<const char *, double>{"MotorType", 1}, {"ShowMetric", 0},
                                      {"LinearKe", 8.5}, {"CoilWeight", 2.2}, {"Inductance", 12},
                                      {"PoleSpacing", 1.2}, {"EncoderResolution", 1}, {"ICS", 3},
                                      {"CommSrc", 1}, {"ThermalTimeConst", 10}, {"MaxVBus", 340}})
        linear.Set(name, value);
    linear.Save(folder.filePath(QStringLiteral("LIN200.MDE")).toStdString(), 0);

    const std::string programDir = program.session.ProgramDir;
    program.session.ProgramDir = folder.path().toStdString() + "/";
    TEditMDBDlg &w = *program.Find<TEditMDBDlg>();
    w.FormShow();
    w.show();
    bool ok = true;
    for (const char *name : {"ROT100", "LIN200"}) {
        w.cmbMotorList->setCurrentIndex(w.cmbMotorList->findText(QString::fromLatin1(name)));
        w.adjustSize();
        const QString base = QStringLiteral("motoredit-") + (name[0] == 'R' ? QStringLiteral("rotary") : QStringLiteral("linear"));
        ok &= Save(&w, dir, (base + QStringLiteral("-browse")).toLatin1().constData());
        w.btnEditClick();
        w.adjustSize();
        ok &= Save(&w, dir, (base + QStringLiteral("-edit")).toLatin1().constData());
        w.btnCancelClick();
    }
    // Closed without writing: the pictures leave the motors as they were.
    w.hide();
    program.session.ProgramDir = programDir;
    return ok;
}

// The upgrade window part-way through programming an image into the drive on the line.
bool FirmwareShots(Program &program, const QString &dir)
{
    QTemporaryDir folder;
    const QString image = folder.filePath(QStringLiteral("SV743_FW.bin"));
    {
        QFile f(image);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        QByteArray bytes(40000, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>((i * 31) & 0xFF);
        f.write(bytes);
    }
    SetAxis700(1);
    TFWUpgrade &w = *program.Find<TFWUpgrade>();
    testsupport::FixedFileDialog chosen(image.toStdString());
    w.SetOpenDialog(&chosen);
    w.open();
    w.btnOpenFile->click();
    QElapsedTimer t;
    t.start();
    // The image is read on the window's worker.
    while (!w.btnDownload->isEnabled() && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    w.btnDownload->click();
    t.restart();
    while (w.pgbFWLoad->value() < w.pgbFWLoad->maximum() / 3 && w.Procedure().Running() && t.elapsed() < 60000)
        QCoreApplication::processEvents();
    const bool ok = w.Procedure().Running() && Save(&w, dir, "firmware-programming");
    w.reject();
    w.SetOpenDialog(nullptr);
    return ok;
}

// Lets the windows' timers run for a while (the tuning wizard evaluates 600 ms after a change).
void Settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

void UseSimulatedDrive()
{
    UseSerialPort(0);
    SetAxis700(1);
}

bool DiagnosticsShots(Program &program, const QString &dir)
{
    UseSimulatedDrive();
    TTroubleshooting &w = *program.Find<TTroubleshooting>();
    w.SetStepDelay(0);
    w.show();
    w.btnStartClick();
    const bool ok = Save(&w, dir, "diagnostics-failures");
    w.btnCancelClick();
    return ok;
}

// The first motor of the database with the data the wizard needs.
std::string TunableMotor()
{
    for (const std::string &m : MotorNames(false, 320))
        if (mdb_Ke(m.c_str()) > 0 && mdb_Inertia(m.c_str()) > 0 && mdb_Inductance(m.c_str()) > 0)
            return m;
    return {};
}

bool TuningShots(Program &program, const QString &dir)
{
    UseSimulatedDrive();
    TTuning &tuning = *program.Find<TTuning>();
    TslTuningBox &select = *program.Find<TslTuningBox>();
    const std::string motor = TunableMotor();
    bool ok = true;

    select.show();
    Choose(select.cmbDrive, "SVE745");
    select.cmbDriveClick();
    select.cmbMotor->setCurrentIndex(0);
    ok &= Save(&select, dir, "tuning-select");
    select.hide();

    // On line: the drive carries the motor and a Kvp of a moderate bandwidth.
    PutVar700("Motor1", PackMotorName(motor, 0));
    PutVar700("Motor2", PackMotorName(motor, 1));
    PutVar700("Kvp", tuning::KvpFromBandwidth(90, mdb_Ke(motor.c_str()), mdb_Inertia(motor.c_str()), 2));
    PutVar700("Kvi", 8);
    program.session.InertiaRatio = 2;
    tuning.Prepare(tuning::kOnline);
    if (tuning.LoadTuningData() != 0)
        return false;
    tuning.ShowWizard();
    Settle(900);
    ok &= Save(&tuning, dir, "tuning-online");
    tuning.hide();

    program.session.InertiaRatio = 1.5;
    tuning.Prepare(tuning::kOffline, "SV733", motor);
    if (tuning.LoadTuningData() != 0)
        return false;
    tuning.ShowWizard();
    Settle(900);
    ok &= Save(&tuning, dir, "tuning-offline");
    tuning.hide();
    return ok;
}

// A step response armed as the tuning wizard's link arms it, until the analysis shows it.
bool StepResponse(Program &program, double bandwidth)
{
    TSweepAnalysis &analysis = *program.Find<TSweepAnalysis>();
    int ended = 0;
    const int listener = program.session.Sweeps.OnSweepEnded([&] { ++ended; });
    program.session.Sweeps.StepBandwidthHz = bandwidth;
    program.session.Open(Window::StepResponse);
    const bool ok = WaitUntil([&] { return ended > 0 && analysis.isVisible() && analysis.Current().size() == 100; });
    program.session.Sweeps.Remove(listener);
    return ok;
}

bool AnalysisShots(Program &program, const QString &dir)
{
    UseSimulatedDrive();
    TScopeForm &scope = *program.Find<TScopeForm>();
    TSweepAnalysis &analysis = *program.Find<TSweepAnalysis>();
    const std::string motor = "KS082A";
    const double ke = mdb_Ke(motor.c_str()), inertia = mdb_Inertia(motor.c_str());
    // The step of 500 rpm fills the scope's chart at 100 rpm a division.
    program.session.Open(Window::Oscilloscope);
    scope.FormActivate();
    Choose(scope.cmbSource1, "Velocity Command");
    Choose(scope.cmbSource2, "Velocity Feedback");
    Enter(scope.edtCh1Gain, "100", [&] { scope.edtCh1GainExit(); });
    Enter(scope.edtCh2Gain, "100", [&] { scope.edtCh2GainExit(); });
    Enter(scope.edtCh1Offset, "-200", [&] { scope.edtCh1OffsetExit(); });
    Enter(scope.edtCh2Offset, "-200", [&] { scope.edtCh2OffsetExit(); });
    // A gentle try kept as the reference, then a stiffer one over it.
    PutVar700("Kvp", tuning::KvpFromBandwidth(15, ke, inertia, 1));
    bool ok = StepResponse(program, 25);
    analysis.btnKeepReferenceClick();
    PutVar700("Kvp", tuning::KvpFromBandwidth(35, ke, inertia, 1));
    ok &= StepResponse(program, 25);
    analysis.graph->SetCursor(AnalysisGraph::A, 0);
    analysis.graph->SetCursor(AnalysisGraph::B, 8);
    Settle(300);
    ok &= Save(&analysis, dir, "analysis-step-reference");
    ok &= Save(&scope, dir, "scope-step-reference");
    // The data folder keeps no reference of the pictures.
    analysis.btnClearReferenceClick();
    analysis.hide();
    scope.ckbSingleSweep->setChecked(false);
    scope.ckbSingleSweepClick();
    scope.hide();
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    Application app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: window_shots OUTDIR [wizard] [scope] [motoredit] [firmware] [diagnostics] [tuning] "
                             "[analysis]\n");
        return 2;
    }
    const QString dir = args[1];
    QDir().mkpath(dir);
    QStringList parts = args.mid(2);
    if (parts.isEmpty())
        parts << QStringLiteral("wizard");
    Program program;
    if (StartProgram(program, AppMessages(), QCoreApplication::applicationFilePath(), {}) != StartResult::Started)
        return 1;
    program.splash->hide();
    // The ratio dialog would wait for a user; the pictures keep the ratio as it is.
    program.session.Register(Window::InertiaRatio, [] {});
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    bool ok = true;
    for (const QString &part : parts) {
        if (part == QLatin1String("wizard")) {
            ok &= WizardShots(program, dir);
        } else if (part == QLatin1String("scope")) {
            ok &= ScopeShots(program, dir);
        } else if (part == QLatin1String("motoredit")) {
            ok &= MotorEditorShots(program, dir);
        } else if (part == QLatin1String("firmware")) {
            ok &= FirmwareShots(program, dir);
        } else if (part == QLatin1String("diagnostics")) {
            ok &= DiagnosticsShots(program, dir);
        } else if (part == QLatin1String("tuning")) {
            ok &= TuningShots(program, dir);
        } else if (part == QLatin1String("analysis")) {
            ok &= AnalysisShots(program, dir);
        } else {
            std::fprintf(stderr, "window_shots: unknown part %s\n", qPrintable(part));
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
