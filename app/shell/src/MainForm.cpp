#include "tools700/shell/MainForm.h"

#include "comm700.h"
#include "mdb700.h"
#include "tools700/ControlModeSwitch.h"
#include "tools700/Error.h"
#include "tools700/Line.h"
#include "tools700/MainWindowRules.h"
#include "tools700/Messages.h"
#include "tools700/Session.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/DriveState.h"
#include "tools700/config/FileDialog.h"
#include "tools700/config/StatusText.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/platform/LineClaim.h"
#include "tools700/shell/ComportDlg.h"
#include "tools700/shell/ConnectionStatus.h"
#include "tools700/shell/Splash.h"
#include "tools700/widgets/Application.h"
#include "tools700/widgets/CfgFileDialog.h"
#include "tools700/widgets/HelpViewer.h"
#include "tools700/widgets/RockerSwitch.h"
#include "tools700/widgets/WindowWorker.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace tools700 {

namespace {

const char *const kCommWarning =
    "     Can't communicate with the drive!  \n     \n     Please check the menu to see that the correct \n"
    "     serial port and drive address are selected,\n     and verify that the drive is connected to the\n"
    "     serial port.\n";

} // namespace

TMainForm::TMainForm(Session &session, Messages &messages, const QString &programFile, const QStringList &args,
                     QWidget *parent)
    : QMainWindow(parent), session_(session), messages_(messages)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Korvane 700Tools"));
    setFont(QFont(QStringLiteral("Verdana"), font().pointSize()));
    setProperty("helpContext", kHelpMainForm);

    // 1. Program folder and configuration folder.
    session_.Folders = FindProgramFolders(QFileInfo(programFile).absoluteFilePath().toStdString());
    session_.ProgramDir = session_.Folders.dataDir;
    session_.CfgDir = session_.ProgramDir + "cfg/";
    // 2. The "cfg" folder, and with it the user's data folder of an installed program (a failure
    // is not reported; the dialogs then start elsewhere).
    QDir().mkpath(QString::fromStdString(session_.CfgDir));
    // 4. "-inhouse", alone on the command line.
    session_.InHouse =
        args.size() == 1 && args.front().compare(QStringLiteral("-inhouse"), Qt::CaseInsensitive) == 0;

    BuildControls();
    BuildMenus();
    exit_ = [](int code) { QCoreApplication::exit(code); };

    // 7.
    session_.DriveModel = 0;
    session_.SerialControl = false;
    session_.InertiaRatio = 1.0;
    // 8. FormCreate: the file dialogs start in CfgDir; the monitor is created suspended.
    openCfgDlg_ = MakeCfgFileDialog(false, "Open Existing Configuration File", session_.CfgDir, this);
    saveCfgDlg_ = MakeCfgFileDialog(true, "Save Configuration to File", session_.CfgDir, this);
    session_.SaveCfgDlg = saveCfgDlg_.get();
    StatusMonitor = std::make_unique<TConnectionStatus>(
        [this](const std::string &text, const StatusReading &reading) { MonitorReport(text, reading); });
    session_.SetStatusPolling([this](bool on) { on ? ResumeStatusPolling() : SuspendStatusPolling(); });
    worker_ = std::make_unique<WindowWorker>(this, messages_);
    // A worker that opens a window (a download's retry opens the port dialog) does it here.
    session_.SetWindowThreadRunner([this](const std::function<void()> &call) { RunOnObjectThread(this, call); });
    session_.SetRegistrationListener([this] { ApplyAvailability(); });
    ApplyAvailability();
}

TMainForm::~TMainForm()
{
    worker_.reset();
    session_.SetWindowThreadRunner({});
    session_.SetStatusPolling({});
    session_.SetRegistrationListener({});
    session_.SetAxisSelector({});
    if (session_.SaveCfgDlg == saveCfgDlg_.get())
        session_.SaveCfgDlg = nullptr;
    if (StatusMonitor)
        StatusMonitor->WaitFor();
}

void TMainForm::SetComportDlg(TComportDlg *dlg)
{
    comportDlg_ = dlg;
    session_.Register(Window::PortAxis, dlg ? std::function<void()>([dlg] { dlg->exec(); }) : std::function<void()>());
    session_.SetAxisSelector(dlg ? Session::AxisSelector([dlg](int axis) { dlg->SelectAxis(axis); })
                                 : Session::AxisSelector());
}

void TMainForm::SetOpenCfgDialog(std::unique_ptr<FileDialog> dialog) { openCfgDlg_ = std::move(dialog); }
FileDialog &TMainForm::SaveCfgDlg() { return *saveCfgDlg_; }
FileDialog &TMainForm::OpenCfgDlg() { return *openCfgDlg_; }

void TMainForm::RaiseStatus(int status) { throw Error(StatusText(status)); }

void TMainForm::CheckConnection(std::function<void()> connected)
{
    worker_->Run<bool>(
        [] {
            double value = 0;
            return line::GetVar700("AxisAddr", &value) == 0;
        },
        [this, connected = std::move(connected)](const bool &answered) {
            if (!answered)
                messages_.Warning(kCommWarning, BtnOk);
            else if (connected)
                connected();
        });
}

bool TMainForm::DriveBusy() const { return worker_->Busy(); }

void TMainForm::UpdateStatus(const std::string &text, const StatusReading &reading)
{
    const StatusUpdate update = rules_.Report(text, reading);
    session_.DriveModel = update.driveModel;
    stbPanel[0]->setText(QString::fromStdString(update.drivePanel));
    Show740(update.switchShown);
    ApplyAvailability();
    if (update.userUnconfigureVisible)
        emit userUnconfigureVisibleChanged(*update.userUnconfigureVisible);
    if (update.modeReadStatus != 0)
        RaiseStatus(update.modeReadStatus);
    if (update.modePanel)
        stbPanel[1]->setText(QString::fromStdString(*update.modePanel));
    if (update.switchOn)
        swt740Mode->SetOn(*update.switchOn);
    if (update.serialControl)
        session_.SerialControl = *update.serialControl;
    if (update.opMode)
        OpMode = *update.opMode;
    std::string shown = text;
    if (text == "No connection") {
        // Say why when another program holds this program's line.
        const std::string inUse = platform::LineInUseText(comportDlg_ ? comportDlg_->Port() : 0);
        if (!inUse.empty())
            shown += ": " + inUse;
    }
    stbPanel[2]->setText(QString::fromStdString(shown));
    emit statusUpdated(stbPanel[2]->text());
}

void TMainForm::MonitorReport(const std::string &text, const StatusReading &reading)
{
    try {
        UpdateStatus(text, reading);
        statusErrorShown_ = false;
    } catch (const std::exception &e) {
        // The drive could not be asked for its control mode. The mode panel says so at every
        // poll; the error box comes once until a status update succeeds again. It is shown after
        // this report has returned, so the monitor goes on polling meanwhile.
        const std::string shown = ErrorBoxText(e.what());
        stbPanel[1]->setText(QString::fromStdString(shown));
        stbPanel[2]->setText(QString::fromStdString(text));
        if (!statusErrorShown_) {
            statusErrorShown_ = true;
            QTimer::singleShot(0, this, [this, shown] {
                if (!closing_)
                    messages_.Show(BoxKind::Error, shown, BtnOk);
            });
        }
    }
}

void TMainForm::SuspendStatusPolling()
{
    if (StatusMonitor)
        StatusMonitor->StopPolling();
}

void TMainForm::ResumeStatusPolling()
{
    if (StatusMonitor)
        StatusMonitor->StartPolling();
}

void TMainForm::UploadProgress(double fraction)
{
    pgbLoad->setValue(static_cast<int>(pgbLoad->maximum() * fraction));
}

void TMainForm::Upload()
{
    // One upload at a time (the button is pressed again while the drive is read).
    if (uploading_)
        return;
    uploading_ = true;
    struct Uploaded {
        bool connected = false;
        bool read = false;
        std::unique_ptr<Cfg> cfg;
    };
    auto result = std::make_shared<Uploaded>();
    // The monitor stays out of the upload from the click on (a report in between would update the
    // status bar under the transfer); it polls again afterwards if it did before.
    const bool wasPolling = StatusMonitor && StatusMonitor->Polling();
    if (StatusMonitor)
        StatusMonitor->StopPolling();
    worker_->Run(
        [this, result] {
            double axis = 0;
            if (line::GetVar700("AxisAddr", &axis) != 0)
                return;
            result->connected = true;
            const int model = ReadDriveModel();
            result->cfg = Is740Family(model) ? std::make_unique<Cfg>(740) : std::make_unique<Cfg>();
            worker_->Post([this] {
                // Centre the progress bar over the Upload button.
                const QRect b = bbtnUpload->geometry();
                pgbLoad->move(b.left() + (b.width() - pgbLoad->width()) / 2,
                              b.top() + (b.height() - pgbLoad->height()) / 2);
                pgbLoad->setValue(0);
                pgbLoad->show();
                pgbLoad->raise();
            });
            result->read = result->cfg->Upload(worker_->Questions(), worker_->Progress([this](double f) { UploadProgress(f); }));
        },
        [this, result] {
            if (!result->connected) {
                messages_.Warning(kCommWarning, BtnOk);
                return;
            }
            pgbLoad->hide();
            if (result->read)
                session_.EditConfiguration(3, *result->cfg, "<no name assigned -- uploaded from drive>");
        },
        [this, wasPolling] {
            uploading_ = false;
            pgbLoad->hide();
            if (wasPolling && StatusMonitor)
                StatusMonitor->StartPolling();
        });
}

void TMainForm::EditFile()
{
    std::string file;
    int family = 730;
    {
        Cfg probe;
        if (!openCfgDlg_ || !openCfgDlg_->Execute(file))
            return;
        // A file without a Model line leaves 0 here, which chooses the 740 family.
        probe.Set("Model", 0);
        probe.Load(file);
        family = Is730Family(TruncToInt(probe.Get("Model"))) ? 730 : 740;
    }
    std::unique_ptr<Cfg> cfg = family == 740 ? std::make_unique<Cfg>(740) : std::make_unique<Cfg>();
    if (cfg->Load(file) != 0)
        session_.EditConfiguration(2, *cfg, file);
}

void TMainForm::CompareFile()
{
    std::string file;
    if (openCfgDlg_ && openCfgDlg_->Execute(file))
        session_.CompareWithDrive(nullptr, file);
}

void TMainForm::EditOnline()
{
    CheckConnection([this] { session_.Open(Window::OnlineDrive); });
}

void TMainForm::Oscilloscope()
{
    CheckConnection([this] { session_.Open(Window::Oscilloscope); });
}

void TMainForm::Diagnostics()
{
    CheckConnection([this] { session_.Open(Window::Diagnostics); });
}

void TMainForm::NewConfiguration() { session_.Open(Window::NewConfiguration); }

void TMainForm::EditMotorDatabase()
{
    // The motor editor works on the built-in table alone; the extensions come back afterwards.
    mdb_FlushExtensions();
    session_.Open(Window::MotorDatabase);
    if (loadMotorExtensions_)
        loadMotorExtensions_();
}

void TMainForm::UpgradeFW() { session_.Open(Window::FirmwareUpgrade); }

void TMainForm::TuningWizard()
{
    if (!messages_.Confirm("Would you like to use Tuning Wizard Online?")) {
        session_.Open(Window::TuningOffline);
        return;
    }
    CheckConnection([this] { session_.Open(Window::TuningOnline); });
}

void TMainForm::PortAxis() { session_.Open(Window::PortAxis); }

void TMainForm::DrivesOnLine() { session_.Open(Window::DrivesOnLine); }

void TMainForm::Contents() { AppHelp().ShowContents(); }
void TMainForm::TopicSearch() { AppHelp().KeywordSearch(QString()); }

void TMainForm::About()
{
    if (about_)
        about_->exec();
}

void TMainForm::Exit()
{
    if (AskSercosBeforeExit(session_.DriveModel, session_.SerialControl) &&
        messages_.WarnYesNo("Your drive is in Serial Control Mode, would you like to switch to SERCOS control before "
                            "this software terminates?")) {
        // Their results are not looked at; the program ends once they are made.
        worker_->Run(
            [] {
                line::PutVar700("MfgLock", 1);
                line::PutVar700("Enable", 0);
            },
            [this] { EndProgram(); });
        return;
    }
    EndProgram();
}

void TMainForm::EndProgram()
{
    if (StatusMonitor)
        StatusMonitor->WaitFor();
    exit_(0);
}

void TMainForm::swt740ModeClick()
{
    // A click while the switch runs is handled once it has ended, from the state it left.
    if (switching_) {
        ++pendingSwitchClicks_;
        return;
    }
    switching_ = true;
    const bool serial = session_.SerialControl;
    worker_->Run<SwitchOutcome>([serial, this] { return SwitchControlMode(serial, worker_->Questions()); },
                                [this](const SwitchOutcome &out) {
                                    switch (out.end) {
                                    case SwitchOutcome::End::Refused:
                                    case SwitchOutcome::End::NotConfirmed:
                                        return;
                                    case SwitchOutcome::End::ModeKept:
                                        swt740Mode->SetOn(out.switchOn);
                                        return;
                                    case SwitchOutcome::End::Switched:
                                        swt740Mode->SetOn(out.switchOn);
                                        session_.SerialControl = out.serialControl;
                                        stbPanel[1]->setText(QString::fromStdString(out.modePanel));
                                        return;
                                    }
                                },
                                [this] {
                                    switching_ = false;
                                    if (pendingSwitchClicks_ > 0) {
                                        --pendingSwitchClicks_;
                                        swt740ModeClick();
                                    }
                                });
}

void TMainForm::FormActivate()
{
    if (closing_)
        return;
    worker_->Run<int>([] { return ReadDriveModel(); },
                      [this](const int &model) {
                          if (closing_)
                              return;
                          session_.DriveModel = model;
                          // A window that paused the polling for an exchange still under way
                          // keeps it paused; its resume turns it on.
                          if (!session_.StatusPollingPaused())
                              StatusMonitor->StartPolling();
                          StatusMonitor->Resume();
                      });
}

void TMainForm::FormClose()
{
    closing_ = true;
    worker_->Cancel();
    if (StatusMonitor)
        StatusMonitor->WaitFor();
}

void TMainForm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        RunAction([this] { FormActivate(); });
    if (event->type() == QEvent::WindowStateChange)
        KeepMaximisedSize();
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
    // The hidden single-instance windows end with the program.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::quit(); });
}

} // namespace tools700
