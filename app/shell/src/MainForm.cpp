#include "tools700/shell/MainForm.h"

#include "comm700.h"
#include "tools700/Line.h"
#include "mdb700.h"
#include "tools700/ControlModeSwitch.h"
#include "tools700/Error.h"
#include "tools700/Messages.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/DriveState.h"
#include "tools700/config/FileDialog.h"
#include "tools700/config/StatusText.h"
#include "tools700/Session.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/widgets/Application.h"
#include "tools700/platform/LineClaim.h"
#include "tools700/shell/ComportDlg.h"
#include "tools700/shell/ConnectionStatus.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/Application.h"
#include "tools700/widgets/CfgFileDialog.h"
#include "tools700/widgets/HelpViewer.h"
#include "tools700/widgets/RockerSwitch.h"
#include "tools700/widgets/WindowWorker.h"
#include "tools700/shell/Splash.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QResizeEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QVBoxLayout>

namespace tools700 {

namespace {

const char *const kCommWarning =
    "     Can't communicate with the drive!  \n     \n     Please check the menu to see that the correct \n"
    "     serial port and drive address are selected,\n     and verify that the drive is connected to the\n"
    "     serial port.\n";

class ProductPicture : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const int w = qMin(width(), 640);
        const int h = qMin(height(), w * 9 / 16);
        PaintProductPicture(p, QRect((width() - w) / 2, (height() - h) / 2, w, h));
    }
};

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

void TMainForm::ApplyAvailability()
{
    // Which window each entry opens; the button and the menu entry of one action share a row.
    struct Entry {
        QWidget *button;
        QAction *menu;
        bool available;
        const char *missing; // the window that is not built, for the tool tip
        bool allowed;        // by the connected drive
    };
    const bool editor = session_.EditorAvailable();
    const bool tuning = session_.Available(Window::TuningOffline) && session_.Available(Window::TuningOnline);
    const Entry entries[] = {
        {bbtnNew, mnuNew, session_.Available(Window::NewConfiguration), WindowTitle(Window::NewConfiguration), true},
        {bbtnUpload, mnuUpload, editor, "the configuration editor", uploadAllowed_},
        {bbtnEditFile, mnuEditFile, editor, "the configuration editor", true},
        {bbtnEditOnline, mnuEditOnline, session_.Available(Window::OnlineDrive), WindowTitle(Window::OnlineDrive), true},
        {bbtnScope, mnuScope, session_.Available(Window::Oscilloscope), WindowTitle(Window::Oscilloscope), true},
        {bbtnTrouble, mnuTrouble, session_.Available(Window::Diagnostics), WindowTitle(Window::Diagnostics), true},
        {nullptr, mnuCompareFile, session_.ComparerAvailable(), "the Compare window", true},
        {nullptr, mnuEditMotor, session_.Available(Window::MotorDatabase), WindowTitle(Window::MotorDatabase), true},
        {nullptr, mnuUpdateFW, session_.Available(Window::FirmwareUpgrade), WindowTitle(Window::FirmwareUpgrade),
         firmwareAllowed_},
        {nullptr, mnuTuningWizard, tuning, WindowTitle(Window::TuningOffline), tuningAllowed_},
        {nullptr, mnuPort, session_.Available(Window::PortAxis), WindowTitle(Window::PortAxis), true},
        {nullptr, mnuDrivesOnLine, session_.Available(Window::DrivesOnLine), WindowTitle(Window::DrivesOnLine), true},
    };
    for (const Entry &e : entries) {
        const QString notBuilt = QStringLiteral("Not available: %1 is not part of this build yet.")
                                     .arg(QString::fromLatin1(e.missing));
        if (e.button) {
            const QString hint = e.button->property("hint").toString();
            e.button->setEnabled(e.available && e.allowed);
            e.button->setToolTip(e.available ? hint : hint + QStringLiteral("\n") + notBuilt);
            e.button->setAccessibleDescription(e.available ? QString() : notBuilt);
        }
        e.menu->setEnabled(e.available && e.allowed);
        e.menu->setToolTip(e.available ? QString() : notBuilt);
    }
}

void TMainForm::BuildControls()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("pnlMain"));
    central->setAutoFillBackground(true);
    QPalette pal = central->palette();
    pal.setColor(QPalette::Window, QColor(0, 128, 128));
    pal.setColor(QPalette::WindowText, Qt::white);
    central->setPalette(pal);
    setCentralWidget(central);

    auto makeButton = [&](const char *name, const char *caption, const char *hint) {
        auto *b = new QPushButton(QString::fromLatin1(caption), central);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(QString::fromLatin1(hint));
        b->setProperty("hint", QString::fromLatin1(hint));
        b->setFixedSize(280, 46);
        b->setPalette(QApplication::palette());
        return b;
    };
    bbtnNew = makeButton("bbtnNew", "&New  Configuration",
                         "Starts the Configuration Wizard to guide you through the configuration process");
    bbtnUpload = makeButton("bbtnUpload", "&Upload", "Reads a configuration from the drive and opens the Configuration Editor");
    bbtnEditFile = makeButton("bbtnEditFile", "Edit &File", "Opens a configuration file and invokes the Configuration Editor");
    bbtnEditOnline = makeButton("bbtnEditOnline", "&Edit Online",
                                "Opens the 'On-Line Drive Configuration' dialog to edit drive parameters");
    bbtnScope = makeButton("bbtnScope", " &Oscilloscope    ",
                           "Activates the Software Oscilloscope to view specific drive signals in real time");
    bbtnTrouble = makeButton("bbtnTrouble", "&Diagnostics    ",
                             "Executes a series of diagnostic tests on the drive to identify common configuration problems");

    lbl740Mode = new QLabel(QStringLiteral("Control Mode Switch"), central);
    lbl740Mode->setObjectName(QStringLiteral("lbl740Mode"));
    swt740Mode = new TRockerSwitch(central);
    swt740Mode->setObjectName(QStringLiteral("swt740Mode"));
    swt740Mode->SetCaptions(QStringLiteral("Serial Control"), QStringLiteral("SERCOS Control"));
    swt740Mode->setPalette(pal);
    NameControl(swt740Mode, lbl740Mode->text());

    auto *column = new QVBoxLayout;
    column->setSpacing(16);
    for (QPushButton *b : {bbtnNew, bbtnUpload, bbtnEditFile, bbtnEditOnline, bbtnScope, bbtnTrouble})
        column->addWidget(b);
    column->addSpacing(24);
    column->addWidget(lbl740Mode);
    column->addWidget(swt740Mode);
    column->addStretch(1);
    auto *picture = new ProductPicture(central);
    picture->setObjectName(QStringLiteral("imgProduct"));
    NameControl(picture, QStringLiteral("700Tools"));
    auto *layout = new QHBoxLayout(central);
    layout->setContentsMargins(40, 32, 40, 24);
    layout->addLayout(column, 0);
    layout->addSpacing(40);
    layout->addWidget(picture, 1);

    pgbLoad = new QProgressBar(central);
    pgbLoad->setObjectName(QStringLiteral("pgbLoad"));
    pgbLoad->setRange(0, 100);
    pgbLoad->setToolTip(QStringLiteral("Opens up a Wizard to guide you throught the configuration process"));
    pgbLoad->setFixedSize(240, 22);
    NameControl(pgbLoad, QStringLiteral("Upload progress"));
    pgbLoad->hide();

    for (int i = 0; i < 3; ++i) {
        stbPanel[i] = new QLabel(this);
        stbPanel[i]->setObjectName(QStringLiteral("stbConnection%1").arg(i));
        stbPanel[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    stbPanel[0]->setFixedWidth(125);
    stbPanel[1]->setFixedWidth(300);
    stbPanel[0]->setText(QStringLiteral("Drive"));
    stbPanel[1]->setText(QStringLiteral("Mode"));
    stbPanel[2]->setText(QStringLiteral("<no connection>"));
    statusBar()->setObjectName(QStringLiteral("stbConnection"));
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(stbPanel[0]);
    statusBar()->addWidget(stbPanel[1]);
    statusBar()->addWidget(stbPanel[2], 1);

    auto guard = [this](void (TMainForm::*action)()) { return [this, action] { RunAction([&] { (this->*action)(); }); }; };
    connect(bbtnNew, &QPushButton::clicked, this, guard(&TMainForm::NewConfiguration));
    connect(bbtnUpload, &QPushButton::clicked, this, guard(&TMainForm::Upload));
    connect(bbtnEditFile, &QPushButton::clicked, this, guard(&TMainForm::EditFile));
    connect(bbtnEditOnline, &QPushButton::clicked, this, guard(&TMainForm::EditOnline));
    connect(bbtnScope, &QPushButton::clicked, this, guard(&TMainForm::Oscilloscope));
    connect(bbtnTrouble, &QPushButton::clicked, this, guard(&TMainForm::Diagnostics));
    connect(swt740Mode, &TRockerSwitch::clicked, this, guard(&TMainForm::swt740ModeClick));

    // The switch is shown only while a 740-family drive is connected.
    Show740(false);
}

void TMainForm::BuildMenus()
{
    auto guard = [this](void (TMainForm::*action)()) { return [this, action] { RunAction([&] { (this->*action)(); }); }; };
    auto entry = [&](QMenu *menu, const char *name, const char *caption, void (TMainForm::*action)()) {
        QAction *a = menu->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, guard(action));
        return a;
    };
    mnuComm = menuBar()->addMenu(QStringLiteral("Communication"));
    mnuComm->setObjectName(QStringLiteral("mnuComm"));
    mnuPort = entry(mnuComm, "mnuPort", "Port/Axis", &TMainForm::PortAxis);
    mnuDrivesOnLine = entry(mnuComm, "mnuDrivesOnLine", "Drives on the Line", &TMainForm::DrivesOnLine);
    mnuComm->addSeparator();
    mnuUpload = entry(mnuComm, "mnuUpload", "Upload", &TMainForm::Upload);
    mnuEditOnline = entry(mnuComm, "mnuEditOnline", "Edit Online", &TMainForm::EditOnline);
    mnuComm->addSeparator();
    mnuExit = entry(mnuComm, "mnuExit", "Exit", &TMainForm::Exit);

    mnuEdit = menuBar()->addMenu(QStringLiteral("Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuNew = entry(mnuEdit, "mnuNew", "New Configuration", &TMainForm::NewConfiguration);
    mnuEditFile = entry(mnuEdit, "mnuEditFile", "Edit File", &TMainForm::EditFile);
    mnuCompareFile = entry(mnuEdit, "mnuCompareFile", "Compare File with Drive", &TMainForm::CompareFile);
    mnuCompareFile->setText(QStringLiteral("Compare File with Drive\u2026"));

    mnuUtilities = menuBar()->addMenu(QStringLiteral("&Utilities"));
    mnuUtilities->setObjectName(QStringLiteral("mnuUtilities"));
    mnuEditMotor = entry(mnuUtilities, "mnuEditMotor", "Edit &Motor Database", &TMainForm::EditMotorDatabase);
    mnuUtilities->addSeparator();
    mnuUpdateFW = entry(mnuUtilities, "mnuUpdateFW", "Upgrade FW", &TMainForm::UpgradeFW);
    mnuUtilities->addSeparator();
    mnuTuningWizard = entry(mnuUtilities, "mnuTuningWizard", "Tuning Wizard", &TMainForm::TuningWizard);
    mnuUtilities->addSeparator();
    mnuScope = entry(mnuUtilities, "mnuScope", "Oscilloscope", &TMainForm::Oscilloscope);
    mnuUtilities->addSeparator();
    mnuTrouble = entry(mnuUtilities, "mnuTrouble", "Diagnostics", &TMainForm::Diagnostics);

    for (QMenu *menu : {mnuComm, mnuEdit, mnuUtilities})
        menu->setToolTipsVisible(true);

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuContents = entry(mnuHelp, "mnuContents", "&Contents", &TMainForm::Contents);
    mnuTopicSearch = entry(mnuHelp, "mnuTopicSearch", "&Topic Search", &TMainForm::TopicSearch);
    mnuHelp->addSeparator();
    mnuAbout = entry(mnuHelp, "mnuAbout", "&About", &TMainForm::About);
    // The menu bar's own button for menus that do not fit.
    if (auto *more = menuBar()->findChild<QWidget *>(QStringLiteral("qt_menubar_ext_button")))
        NameControl(more, QStringLiteral("More menus"));

}

void TMainForm::SetOpenCfgDialog(std::unique_ptr<FileDialog> dialog) { openCfgDlg_ = std::move(dialog); }
FileDialog &TMainForm::SaveCfgDlg() { return *saveCfgDlg_; }
FileDialog &TMainForm::OpenCfgDlg() { return *openCfgDlg_; }

QString TMainForm::PanelText(int i) const { return stbPanel[i]->text(); }

bool TMainForm::Is740Visible() const { return !swt740Mode->isHidden(); }

void TMainForm::Show740(bool visible)
{
    swt740Mode->setVisible(visible);
    lbl740Mode->setVisible(visible);
    session_.ControlSwitchShown = visible;
}

void TMainForm::SetUploadEnabled(bool enabled)
{
    uploadAllowed_ = enabled;
    ApplyAvailability();
}

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
    if (text == "No connection") {
        session_.DriveModel = 0;
        firmwareAllowed_ = false;
        ApplyAvailability();
        Show740(false);
        stbPanel[0]->setText(QStringLiteral("Drive"));
        stbPanel[1]->setText(QStringLiteral("Mode"));
    } else {
        session_.DriveModel = reading.model;
        stbPanel[0]->setText(QString::fromStdString("Drive: " + ModelText(session_.DriveModel)));
        if (Is740Family(session_.DriveModel)) {
            Show740(true);
            firmwareAllowed_ = true;
            ApplyAvailability();
            emit userUnconfigureVisibleChanged(false);
            if (reading.mfgLockStatus != 0)
                RaiseStatus(reading.mfgLockStatus);
            if (reading.mfgLock != 0) {
                stbPanel[1]->setText(QStringLiteral("Serial Control Mode"));
                swt740Mode->SetOn(true);
                session_.SerialControl = true;
                OpMode = reading.opMode;
                tuningAllowed_ = OpMode != 0 && OpMode != 6;
                SetUploadEnabled(true);
            } else {
                stbPanel[1]->setText(QStringLiteral("SERCOS Control Mode"));
                swt740Mode->SetOn(false);
                session_.SerialControl = false;
                tuningAllowed_ = false;
                SetUploadEnabled(false);
            }
        } else {
            Show740(false);
            firmwareAllowed_ = false;
            emit userUnconfigureVisibleChanged(true);
            OpMode = reading.opMode;
            stbPanel[1]->setText(QString::fromStdString(EnumText("OpMode730", OpMode)));
            tuningAllowed_ = OpMode != 0 && OpMode != 6;
            SetUploadEnabled(true);
        }
    }
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
    if (Is740Family(session_.DriveModel) && session_.SerialControl &&
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

void TMainForm::ShowMaximizedFixed()
{
    sizeFixed_ = true;
    // Maximised already: no maximise button. Until a window manager maximises the window, its
    // size is the screen's work area; without one, nothing else would make it that large.
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    if (const QScreen *s = screen())
        setGeometry(s->availableGeometry());
    showMaximized();
    if (QWindow *window = windowHandle()) {
        window->installEventFilter(this);
        exposed_ = window->isExposed();
    }
    KeepMaximisedSize();
}

void TMainForm::KeepMaximisedSize()
{
    // Not resizable: while maximised and on screen, the window keeps the size the window system
    // gave it (which may take more than one step to arrive), its minimum and maximum both that
    // size.
    if (sizeFixed_ && exposed_ && (windowState() & Qt::WindowMaximized) &&
        (minimumSize() != size() || maximumSize() != size()))
        setFixedSize(size());
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed() && !exposed_) {
        exposed_ = true;
        KeepMaximisedSize();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
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
