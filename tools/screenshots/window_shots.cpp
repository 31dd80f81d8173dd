// window_shots OUTDIR [PART...]: saves pictures of the program's windows in typical states as
// OUTDIR/<name>.png. Parts: "wizard" (the configuration editor: first page, the I/O wizard for a
// 730 drive in mode 7 and for a 740 drive, each tab of the second page, the save window);
// "diagnostics" (a run of the checklist on the drive at axis 1 of the simulator channel) and
// "tuning" (the off-line start dialog, the tuning wizard on line with that drive and off line).
// Message boxes are answered at once (TOOLS700_AUTO_ANSWER). Run it under a display (Xvfb).
#include "Startup.h"

#include "comm700.h"
#include "mdb700.h"
#include "tools700/config/Generator.h"
#include "tools700/config/MotorChoice.h"
#include "tools700/diagnostics/Troubleshooting.h"
#include "tools700/tuning/SlTuningBox.h"
#include "tools700/tuning/Tuning.h"

#include "tools700/Session.h"
#include "tools700/shell/MainForm.h"
#include "tools700/shell/Splash.h"
#include "tools700/widgets/Application.h"
#include "tools700/widgets/QtMessages.h"
#include "tools700/wizard/CfgNewDlg.h"
#include "tools700/wizard/IOWizardDlg.h"
#include "tools700/wizard/SaveForm.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

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

} // namespace

int main(int argc, char **argv)
{
    Application app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: window_shots OUTDIR [wizard] [diagnostics] [tuning]\n");
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
        } else if (part == QLatin1String("diagnostics")) {
            ok &= DiagnosticsShots(program, dir);
        } else if (part == QLatin1String("tuning")) {
            ok &= TuningShots(program, dir);
        } else {
            std::fprintf(stderr, "window_shots: unknown part %s\n", qPrintable(part));
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
