#include "tools700/wizard/CfgNewDlg.h"

#include "tools700/common/Error.h"
#include "tools700/common/Messages.h"
#include "tools700/common/Session.h"
#include "tools700/common/NumberText.h"
#include "mdb700.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/BoundControls.h"
#include "tools700/widgets/Controls.h"
#include "tools700/widgets/HelpViewer.h"
#include "tools700/widgets/UserNumbers.h"
#include "tools700/wizard/IOWizardDlg.h"
#include "tools700/wizard/SaveForm.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tools700 {

namespace {

constexpr int kFirstPageHeight = 250;
constexpr int kSecondPageHeight = 600;

QComboBox *DropDown(QWidget *parent, const char *name)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(false);
    box->setMinimumWidth(220);
    return box;
}

void Select(QComboBox *box, int index)
{
    const QSignalBlocker block(box);
    box->setCurrentIndex(index);
}

} // namespace

TCfgNewDlg::TCfgNewDlg(Session &session, Messages &messages, TSaveForm &saveForm, QWidget *parent)
    : QDialog(parent), session_(session), messages_(messages), saveForm_(saveForm)
{
    setObjectName(QStringLiteral("CfgNewDlg"));
    setWindowTitle(QStringLiteral("Create New Configuration"));
    setProperty("helpContext", kHelpNewConfiguration);
    setFont(QFont(QStringLiteral("Verdana"), font().pointSize()));
    setSizeGripEnabled(false);

    // The plain dialog's bevel holds everything but the buttons.
    bevel_ = new QFrame(this);
    bevel_->setObjectName(QStringLiteral("Bevel1"));
    bevel_->setFrameShape(QFrame::StyledPanel);
    bevel_->setFrameShadow(QFrame::Raised);
    BuildFirstPage();
    BuildTabs();

    auto *inside = new QVBoxLayout(bevel_);
    auto *top = new QHBoxLayout;
    top->addWidget(GroupBox10);
    top->addWidget(grpMotor);
    top->addWidget(grpMode);
    top->addWidget(grpTuning);
    inside->addLayout(top);
    inside->addWidget(PageControl1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton *b : {OKBtn, CancelBtn, btnHelp1, btnBack, btnNext, btnHelp2})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(bevel_, 1);
    layout->addLayout(buttons);

    // Creation: the bound controls' hints from the dictionary; the first tab active.
    SetHints(this, Dictionary());
    PageControl1->setCurrentWidget(tabs[static_cast<int>(EditorTab::Digital)]);
    NameControl(PageControl1, QStringLiteral("Configuration"));
    resize(1000, kFirstPageHeight);
    ShowPage(false);
}

TCfgNewDlg::~TCfgNewDlg() = default;

void TCfgNewDlg::BuildFirstPage()
{
    auto group = [this](const char *name, const char *title) {
        auto *g = new QGroupBox(QString::fromLatin1(title), bevel_);
        g->setObjectName(QString::fromLatin1(name));
        return g;
    };
    auto labelled = [](QGroupBox *g, const char *label, QWidget *control) {
        auto *l = new QLabel(QString::fromLatin1(label), g);
        l->setBuddy(control);
        auto *v = new QVBoxLayout(g);
        v->addWidget(l);
        v->addWidget(control);
        v->addStretch(1);
    };
    GroupBox10 = group("GroupBox10", "Drive");
    cmbDrive = DropDown(GroupBox10, "cmbDrive");
    cmbDrive->setMinimumWidth(120);
    labelled(GroupBox10, "Drive Type", cmbDrive);
    grpMotor = group("grpMotor", " Motor");
    cmbMotor = DropDown(grpMotor, "cmbMotor");
    cmbMotor->setMinimumWidth(120);
    labelled(grpMotor, "Motor Type", cmbMotor);
    grpMode = group("grpMode", " Mode of Operation ");
    cmbOpMode = DropDown(grpMode, "cmbOpMode");
    cmbOpMode->setMinimumWidth(300);
    labelled(grpMode, "Mode", cmbOpMode);
    NameControl(cmbOpMode, QStringLiteral("Mode of Operation"));
    grpTuning = group("grpTuning", "Tuning");
    edtInertia = new QLineEdit(QStringLiteral("1"), grpTuning);
    edtInertia->setObjectName(QStringLiteral("edtInertia"));
    labelled(grpTuning, "Inertia Ratio (0 to 100)", edtInertia);

    OKBtn = NewButton(this, QStringLiteral("OKBtn"), QStringLiteral("Next >>"), EnterKey::NeverPresses);
    OKBtn->setDefault(true);
    CancelBtn = NewButton(this, QStringLiteral("CancelBtn"), QStringLiteral("Cancel"), EnterKey::NeverPresses);
    btnHelp1 = NewButton(this, QStringLiteral("btnHelp1"), QStringLiteral("&Help"), EnterKey::NeverPresses);
    btnBack = NewButton(this, QStringLiteral("btnBack"), QStringLiteral("Cancel"), EnterKey::NeverPresses);
    btnNext = NewButton(this, QStringLiteral("btnNext"), QStringLiteral("&Next >>"), EnterKey::NeverPresses);
    btnHelp2 = NewButton(this, QStringLiteral("btnHelp2"), QStringLiteral("&Help"), EnterKey::NeverPresses);

    auto run = [this](void (TCfgNewDlg::*handler)()) {
        return [this, handler] {
            try {
                (this->*handler)();
            } catch (const std::exception &e) {
                messages_.Show(BoxKind::Error, ErrorBoxText(e.what()), BtnOk);
            }
        };
    };
    connect(cmbDrive, &QComboBox::activated, this, run(&TCfgNewDlg::cmbDriveChange));
    connect(cmbOpMode, &QComboBox::activated, this, run(&TCfgNewDlg::cmbOpModeClick));
    connect(cmbMotor, &QComboBox::activated, this, run(&TCfgNewDlg::cmbMotorChange));
    connect(OKBtn, &QPushButton::clicked, this, run(&TCfgNewDlg::OKBtnClick));
    connect(CancelBtn, &QPushButton::clicked, this, run(&TCfgNewDlg::CancelBtnClick));
    connect(btnHelp1, &QPushButton::clicked, this, run(&TCfgNewDlg::btnHelp1Click));
    connect(btnBack, &QPushButton::clicked, this, run(&TCfgNewDlg::btnBackClick));
    connect(btnNext, &QPushButton::clicked, this, run(&TCfgNewDlg::btnNextClick));
    connect(btnHelp2, &QPushButton::clicked, this, run(&TCfgNewDlg::btnHelp2Click));
}

// ---- entry points ----

void TCfgNewDlg::BeginNew()
{
    core_.EntryMode = kEntryNew;
    finished_ = false;
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void TCfgNewDlg::BeginEdit(int entryMode, Cfg &cfg, const std::string &name)
{
    core_.EntryMode = entryMode;
    // The boxes bound anew show this configuration's values, not a previous one's.
    core_.WorkingCfg = &cfg;
    BindDigitalIo(cfg.Indexes740());
    core_.EditConfiguration(*this, cfg, name);
    setWindowTitle(QString::fromStdString(name));
    finished_ = false;
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void TCfgNewDlg::RunModal()
{
    // The window hides itself while the save window is up, so its modal loop is its own
    // rather than QDialog::exec's, which would end on hiding.
    QEventLoop loop;
    loop_ = &loop;
    if (!finished_)
        loop.exec(QEventLoop::DialogExec);
    loop_ = nullptr;
}

void TCfgNewDlg::NewConfiguration()
{
    BeginNew();
    RunModal();
}

void TCfgNewDlg::EditConfiguration(int entryMode, Cfg &cfg, const std::string &name)
{
    BeginEdit(entryMode, cfg, name);
    RunModal();
    // The caller discards its configuration now.
    if (core_.WorkingCfg == &cfg)
        core_.WorkingCfg = nullptr;
}

void TCfgNewDlg::Close()
{
    finished_ = true;
    if (ioWizard_)
        ioWizard_->hide();
    hide();
    if (loop_)
        loop_->quit();
}

void TCfgNewDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    try {
        FormActivate();
    } catch (const std::exception &e) {
        messages_.Show(BoxKind::Error, ErrorBoxText(e.what()), BtnOk);
    }
}

void TCfgNewDlg::closeEvent(QCloseEvent *event)
{
    // The title bar's close button is the page's Cancel.
    event->ignore();
    if (OnSecondPage())
        btnBackClick();
    else
        CancelBtnClick();
}

void TCfgNewDlg::reject()
{
    // Escape: as Cancel.
    if (OnSecondPage())
        btnBackClick();
    else
        CancelBtnClick();
}

// ---- activation and Refresh ----

void TCfgNewDlg::FormActivate()
{
    cmbDrive->clear();
    for (const std::string &name : DriveModelNames())
        cmbDrive->addItem(QString::fromStdString(name));
    Select(cmbDrive, -1);
    Refresh();
}

bool TCfgNewDlg::OnSecondPage() const { return core_.EntryMode != kEntryNew; }

void TCfgNewDlg::ShowPage(bool second)
{
    PageControl1->setVisible(second);
    for (QPushButton *b : {CancelBtn, btnHelp1, OKBtn})
        b->setVisible(!second);
    for (QPushButton *b : {btnBack, btnNext, btnHelp2})
        b->setVisible(second);
    OKBtn->setDefault(!second);
    btnNext->setDefault(second);
    setProperty("helpContext", second ? kHelpConfigurationEditor : kHelpNewConfiguration);
    setFixedHeight(second ? kSecondPageHeight : kFirstPageHeight);
}

void TCfgNewDlg::Refresh()
{
    if (core_.EntryMode == kEntryNew) {
        setWindowTitle(QStringLiteral("Create New Configuration"));
        ShowPage(false);
        grpTuning->hide();
        cmbDrive->setEnabled(true);
        for (QComboBox *box : {cmbOpMode, cmbMotor}) {
            box->setEnabled(false);
            Select(box, -1);
        }
        edtInertia->setText(QStringLiteral("1"));
        return;
    }
    ShowPage(true);
    cmbOpMode->setEnabled(true);
    cmbMotor->setEnabled(true);
    Cfg *working = core_.WorkingCfg;
    if (!working)
        return;
    setWindowTitle(QString::fromStdString(core_.Caption));

    // 3. The drive of the configuration, which cannot be changed here.
    const int index = ddb_Index(working->Get("Model"));
    if (index >= 0)
        Select(cmbDrive, index);
    cmbDrive->setEnabled(false);
    const std::string drive = DriveText().toStdString();

    // 4., 5. Motors of the drive's bus class; the configuration's motor selected.
    core_.BusClass = BusClassOf(drive);
    FillMotorList(core_.BusClass);
    const QString motor = QString::fromStdString(PackedMotorName(*working));
    for (int i = 0; i < cmbMotor->count() && i <= 501; ++i) {
        if (cmbMotor->itemText(i).compare(motor, Qt::CaseInsensitive) == 0) {
            Select(cmbMotor, i);
            break;
        }
    }

    // 6. Modes and the velocity command of the family; a drive of no family leaves both.
    if (cmbDrive->currentIndex() >= 0) {
        const bool f740 = Is740DriveText(drive);
        std::vector<std::string> modes;
        FillEnumList(modes, f740 ? "OpMode740" : "OpMode730");
        const QSignalBlocker block(cmbOpMode);
        cmbOpMode->clear();
        for (const std::string &m : modes)
            cmbOpMode->addItem(QString::fromStdString(m));
        BindVelCmd(f740);
    }

    // 7. The configuration's mode.
    const QString modeText = QString::fromStdString(EnumText("OpMode730", ModeFromBlocks(*working)));
    Select(cmbOpMode, -1);
    for (int i = 0; i < cmbOpMode->count() && i <= 10; ++i) {
        if (cmbOpMode->itemText(i) == modeText) {
            Select(cmbOpMode, i);
            break;
        }
    }
    core_.SelectedMode = cmbOpMode->currentIndex() >= 0 ? EnumValue("OpMode730", ModeText().toStdString()) : -1;

    // 8. Back from the I/O wizard: the configuration generated with the map the user chose.
    if (core_.EntryMode == kEntryFromIoWizard && core_.OwnCfg) {
        BindDigitalIo(Is740DriveText(drive));
        edtInertia->setText(UserNumberText(numtext::General(session_.InertiaRatio)));
        StoreAll(*core_.OwnCfg);
        StartConfiguration(*core_.OwnCfg, kNoNameYet, core_.IoMap, session_.InertiaRatio, core_.SelectedMode, drive,
                           MotorText().toStdString());
    }
    ShowTabsForMode();
}

void TCfgNewDlg::FillMotorList(int busClass)
{
    const QSignalBlocker block(cmbMotor);
    cmbMotor->setEnabled(true);
    cmbMotor->clear();
    for (const std::string &name : MotorNames(session_.InHouse, busClass))
        cmbMotor->addItem(QString::fromStdString(name));
    cmbMotor->setCurrentIndex(-1);
}

void TCfgNewDlg::StartConfiguration(Cfg &cfg, const std::string &name, const IoMap &io, double ratio, int mode,
                                    const std::string &drive, const std::string &motor)
{
    core_.StartConfiguration(*this, cfg, name, io, ratio, mode, drive, motor);
    setWindowTitle(QString::fromStdString(name));
}

void TCfgNewDlg::Bind(BoundControl *control, const std::string &name)
{
    if (control && control->Info()->VarName() != name)
        control->SetVarName(QString::fromStdString(name));
}

void TCfgNewDlg::BindDigitalIo(bool family740)
{
    const std::array<std::string, 10> vars = DigitalIoVariables(family740);
    for (int i = 0; i < 10; ++i) {
        BoundControl *box = i < 6 ? static_cast<BoundControl *>(pcmbInpMap[i]) : pcmbOutMap[i - 6];
        const bool rebound = box->Info()->VarName() != vars[i];
        Bind(box, vars[i]);
        // A box bound anew shows the working configuration's value of its new variable.
        if (rebound && core_.WorkingCfg)
            box->Info()->Init(core_.WorkingCfg);
    }
}

void TCfgNewDlg::BindVelCmd(bool family740)
{
    const char *name = VelocityCommandVariable(family740);
    if (pedtVelCmd->Info()->VarName() == name)
        return;
    Bind(pedtVelCmd, name);
    if (core_.WorkingCfg)
        pedtVelCmd->Info()->Init(core_.WorkingCfg);
}

void TCfgNewDlg::InitAll(ValueSet &set) { tools700::InitAll(set, this); }
void TCfgNewDlg::StoreAll(ValueSet &set) { tools700::StoreAll(set, this); }

QString TCfgNewDlg::DriveText() const { return cmbDrive->currentIndex() >= 0 ? cmbDrive->currentText() : QString(); }
QString TCfgNewDlg::MotorText() const { return cmbMotor->currentIndex() >= 0 ? cmbMotor->currentText() : QString(); }
QString TCfgNewDlg::ModeText() const { return cmbOpMode->currentIndex() >= 0 ? cmbOpMode->currentText() : QString(); }

// ---- first page ----

void TCfgNewDlg::cmbDriveChange()
{
    const std::string drive = DriveText().toStdString();
    cmbOpMode->setEnabled(true);
    std::vector<std::string> modes;
    FillEnumList(modes, ModeEnumeration(drive));
    {
        const QSignalBlocker block(cmbOpMode);
        cmbOpMode->clear();
        for (const std::string &m : modes)
            cmbOpMode->addItem(QString::fromStdString(m));
        cmbOpMode->setCurrentIndex(-1);
    }
    core_.BusClass = BusClassOf(drive);
    FillMotorList(core_.BusClass);
}

void TCfgNewDlg::cmbOpModeClick()
{
    core_.SelectedMode = EnumValue("OpMode730", ModeText().toStdString());
    if (!OnSecondPage()) {
        grpTuning->setVisible(core_.SelectedMode != 0 && core_.SelectedMode != 6);
        return;
    }
    DefaultsQuestion(false);
}

void TCfgNewDlg::cmbMotorChange()
{
    if (!OnSecondPage())
        return;
    DefaultsQuestion(true);
}

void TCfgNewDlg::DefaultsQuestion(bool motorChange)
{
    const std::string drive = DriveText().toStdString();
    const std::string motor = MotorText().toStdString();
    if (messages_.WarnYesNo("Do you want to change parameters to default setting?")) {
        Cfg &own = core_.RebuildOwnCfg(drive);
        if (!motorChange) {
            grpTuning->hide();
        } else {
            core_.UseDefaultIo(drive);
            core_.SelectedMode = EnumValue("OpMode730", ModeText().toStdString());
        }
        if (core_.SelectedMode != 0 && core_.SelectedMode != 6)
            session_.Open(Window::InertiaRatio);
        if (!motorChange)
            core_.UseDefaultIo(drive);
        StartConfiguration(own, kNoNameYet, core_.IoMap, session_.InertiaRatio, core_.SelectedMode, drive, motor);
    } else if (core_.WorkingCfg) {
        // What the user typed goes into the configuration first, so that showing the motor's
        // values again brings back nothing older than the controls held.
        StoreAll(*core_.WorkingCfg);
        UpdateForMotor(*core_.WorkingCfg, motor, drive, core_.SelectedMode);
        InitAll(*core_.WorkingCfg);
        StoreAll(*core_.WorkingCfg);
    }
    ShowTabsForMode();
}

void TCfgNewDlg::OKBtnClick()
{
    int focus = -1;
    const std::string problem = ConfigurationWizard::MissingChoice(
        DriveText().toStdString(), MotorText().toStdString(), ModeText().toStdString(), focus);
    if (!problem.empty()) {
        messages_.Message(problem);
        QComboBox *boxes[] = {cmbDrive, cmbMotor, cmbOpMode};
        boxes[focus]->setFocus();
        return;
    }
    const std::optional<double> ratio = ReadUserNumber(edtInertia->text());
    if (!ratio)
        throw Error(numtext::NotANumberText(edtInertia->text().toStdString()));
    session_.InertiaRatio = *ratio;
    const std::string drive = DriveText().toStdString();
    Cfg &own = core_.RebuildOwnCfg(drive);
    InitAll(own);
    core_.SelectedMode = EnumValue("OpMode730", ModeText().toStdString());
    StoreAll(own);
    StartConfiguration(own, kNoNameYet, core_.IoMap, session_.InertiaRatio, core_.SelectedMode, drive,
                       MotorText().toStdString());
    core_.UseDefaultIo(drive);
    if (ioWizard_)
        ioWizard_->Open();
}

void TCfgNewDlg::CancelBtnClick() { Close(); }

void TCfgNewDlg::btnHelp1Click() { AppHelp().ShowContext(kHelpNewConfiguration); }
void TCfgNewDlg::btnHelp2Click() { AppHelp().ShowContext(kHelpConfigurationEditor); }

// ---- second page ----

void TCfgNewDlg::btnNextClick()
{
    if (!core_.WorkingCfg)
        return;
    const bool modified = core_.StoreForSave(*this);
    hide();
    bool finish = false;
    const std::string caption = saveForm_.ShowSaveWindow(*core_.WorkingCfg, core_.Caption, modified, finish,
                                                         [this] { core_.EntryMode = kEntryFromSaveWindow; });
    core_.Caption = caption;
    setWindowTitle(QString::fromStdString(caption));
    if (finish) {
        Close();
        return;
    }
    // Values taken from the drive in the Compare window: the controls show them, and while they
    // are in no file the baseline stays, so that leaving asks before they are lost.
    if (saveForm_.ValuesTaken())
        InitAll(*core_.WorkingCfg);
    show();
    if (!(saveForm_.ValuesTaken() && saveForm_.Unsaved()))
        core_.TakeBaseline(*core_.WorkingCfg);
}

void TCfgNewDlg::btnBackClick()
{
    if (!OnSecondPage()) {
        Close();
        return;
    }
    if (core_.HasChanges(*this) &&
        !messages_.WarnYesNo("Do you really want to lose any changes?\n\nPress YES to lose changes, NO to continue "
                             "editing."))
        return;
    Close();
}

} // namespace tools700
