#include "tools700/motoredit/EditMDBDlg.h"

#include "tools700/common/Messages.h"
#include "tools700/common/Session.h"
#include "tools700/config/Motor.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"
#include "tools700/motoredit/NewMotorDlg.h"
#include "tools700/widgets/BoundControls.h"
#include "tools700/widgets/Controls.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <functional>

namespace tools700 {

using motoredit::Mode;

namespace {

// A panel holding one label (a caption or a units text).
QWidget *LabelPanel(QWidget *parent, const char *name, QLabel *&label, const QString &text)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(QString::fromLatin1(name));
    auto *layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    label = NewLabel(panel, QString(), text);
    layout->addWidget(label);
    return panel;
}

} // namespace

// The rows of the parameter panel: caption, bound edit and units in a grid, one row after the
// other; `onEdit` is called for every edit made.
class MotorParameterRows {
public:
    MotorParameterRows(QGroupBox *group, std::function<void(TQXEditMotorNum *)> onEdit)
        : group_(group), grid_(new QGridLayout(group)), onEdit_(std::move(onEdit))
    {
    }
    QGridLayout *Grid() const { return grid_; }
    // The row to fill next; each call takes a new one.
    int Next() { return row_++; }

    TQXEditMotorNum *Edit(const char *name, const char *var, const QString &caption)
    {
        auto *e = new TQXEditMotorNum(group_);
        e->setObjectName(QString::fromLatin1(name));
        e->SetVarName(QString::fromLatin1(var));
        e->setAccessibleName(caption);
        onEdit_(e);
        return e;
    }
    void Add(QWidget *caption, QWidget *control, QWidget *units)
    {
        const int row = Next();
        grid_->addWidget(caption, row, 0);
        grid_->addWidget(control, row, 1);
        grid_->addWidget(units, row, 2);
    }
    TQXEditMotorNum *Simple(const char *name, const char *var, const char *caption, const char *units)
    {
        auto *label = NewLabel(group_, QString(), QString::fromLatin1(caption));
        auto *e = Edit(name, var, label->text());
        label->setBuddy(e);
        Add(label, e, NewLabel(group_, QString(), QString::fromLatin1(units)));
        return e;
    }
    // A row inside a panel that shows or hides as a whole; the caller places the panel.
    TQXEditMotorNum *InPanel(QWidget *&panel, const char *panelName, const char *name, const char *var,
                             const char *caption, const char *units)
    {
        panel = new QWidget(group_);
        panel->setObjectName(QString::fromLatin1(panelName));
        auto *layout = new QHBoxLayout(panel);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *label = NewLabel(panel, QString(), QString::fromLatin1(caption));
        auto *e = Edit(name, var, label->text());
        e->setParent(panel);
        label->setBuddy(e);
        layout->addWidget(label, 2);
        layout->addWidget(e, 2);
        layout->addWidget(NewLabel(panel, QString(), QString::fromLatin1(units)), 1);
        return e;
    }

private:
    QGroupBox *group_;
    QGridLayout *grid_;
    std::function<void(TQXEditMotorNum *)> onEdit_;
    int row_ = 0;
};

TEditMDBDlg::TEditMDBDlg(Session &session, Messages &messages, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), session_(session),
      messages_(messages)
{
    setObjectName(QStringLiteral("EditMDBDlg"));
    setWindowTitle(QStringLiteral("Motor Database Extension Editor"));
    setModal(true);
    setProperty("helpContext", kHelpMotorEditor);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(BuildMotorChoice());
    BuildParameters();
    layout->addWidget(grpParameters);
    layout->addLayout(BuildButtons());

    NewMotorDlg = new TNewMotorDlg(messages_, this);
    NewMotorDlg->setProperty("helpContext", kHelpNewMotor);

    connect(cmbMotorList, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { cmbMotorListChange(); });
    connect(btnNew, &QPushButton::clicked, this, [this] { btnNewClick(); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
    connect(btnEdit, &QPushButton::clicked, this, [this] { btnEditClick(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    connect(btnExit, &QPushButton::clicked, this, [this] { btnExitClick(); });
    SetMode(Mode::Browse);
}

QLayout *TEditMDBDlg::BuildMotorChoice()
{
    auto *listLabel = NewLabel(this, QString(), QStringLiteral("Motor"));
    cmbMotorList = new QComboBox(this);
    cmbMotorList->setObjectName(QStringLiteral("cmbMotorList"));
    cmbMotorList->setToolTip(QStringLiteral("Scroll up and down to review the current motor database"));
    cmbMotorList->setAccessibleName(QStringLiteral("Motor"));
    listLabel->setBuddy(cmbMotorList);
    lblMotorType = NewLabel(this, QStringLiteral("lblMotorType"), QString());
    auto *top = new QHBoxLayout;
    top->addWidget(listLabel);
    top->addWidget(cmbMotorList, 1);
    top->addWidget(lblMotorType);
    return top;
}

void TEditMDBDlg::BuildParameters()
{
    grpParameters = new QGroupBox(QStringLiteral("Motor Parameters"), this);
    grpParameters->setObjectName(QStringLiteral("grpParameters"));
    MotorParameterRows rows(grpParameters, [this](TQXEditMotorNum *e) {
        connect(e, &QLineEdit::textEdited, this, [this] { edited_ = true; });
    });
    QGridLayout *grid = rows.Grid();

    // Back EMF.
    auto *keLabel = NewLabel(grpParameters, QString(), QStringLiteral("Back EMF (Ke)"));
    pemKe = rows.Edit("pemKe", "RotaryKe", keLabel->text());
    keLabel->setBuddy(pemKe);
    lblKeUnits = NewLabel(grpParameters, QStringLiteral("lblKeUnits"), QString());
    rows.Add(keLabel, pemKe, lblKeUnits);
    BuildInertiaRow(rows);
    pemInductance = rows.Simple("pemInductance", "Inductance", "Inductance", "mH");
    // Pole count or spacing.
    lblPoleCount = NewLabel(grpParameters, QStringLiteral("lblPoleCount"), QStringLiteral("Pole Count"));
    pemPoleCountOrSpacing = rows.Edit("pemPoleCountOrSpacing", "PoleCount", lblPoleCount->text());
    lblPoleCount->setBuddy(pemPoleCountOrSpacing);
    lblPoleCountUnits = NewLabel(grpParameters, QStringLiteral("lblPoleCountUnits"), QString());
    rows.Add(lblPoleCount, pemPoleCountOrSpacing, lblPoleCountUnits);
    pemEncRes = rows.InPanel(pnlEncRes, "pnlEncRes", "pemEncRes", "EncoderResolution", "Encoder Resolution", "microns");
    grid->addWidget(pnlEncRes, rows.Next(), 0, 1, 3);
    pemICS = rows.Simple("pemICS", "ICS", "Stall Current (Ics)", "Amps (0-Peak)");
    // Commutation source and the offset of the source, in one place.
    auto *srcLabel = NewLabel(grpParameters, QString(), QStringLiteral("Commutation Source"));
    pcmCommSrc = new TQXComboMotorBox(grpParameters);
    pcmCommSrc->setObjectName(QStringLiteral("pcmCommSrc"));
    pcmCommSrc->SetVarName(QStringLiteral("CommSrc"));
    pcmCommSrc->setAccessibleName(srcLabel->text());
    srcLabel->setBuddy(pcmCommSrc);
    connect(pcmCommSrc, qOverload<int>(&QComboBox::activated), this, [this] {
        edited_ = true;
        pcmCommSrc->DoExit();
        pcmCommSrcExit();
    });
    const int sourceRow = rows.Next();
    grid->addWidget(srcLabel, sourceRow, 0);
    grid->addWidget(pcmCommSrc, sourceRow, 1, 1, 2);
    pemCommOffset = rows.InPanel(pnlCommOffset, "pnlCommOffset", "pemCommOffset", "CommOffset", "Commutation Offset",
                                 "Elec. Degrees");
    pemHallOffset =
        rows.InPanel(pnlHallOffset, "pnlHallOffset", "pemHallOffset", "HallOffset", "Hall Offset", "Elec. Degrees");
    auto *offsets = new QVBoxLayout;
    offsets->addWidget(pnlCommOffset);
    offsets->addWidget(pnlHallOffset);
    grid->addLayout(offsets, rows.Next(), 0, 1, 3);
    pemThermalTimeConst = rows.Simple("pemThermalTimeConst", "ThermalTimeConst", "Thermal Time Const", "Minutes");
    pemMaxVBus = rows.Simple("pemMaxVBus", "MaxVBus", "Maximum dc Bus Voltage", "Volts");
    // Hidden carriers of the type and the units through InitAll and StoreAll.
    QXEditMotorNum1 =
        rows.Edit("QXEditMotorNum1", "MotorType", QStringLiteral("Dummy for Motor Type -- don't delete this!"));
    QXEditMotorNum1->setText(QXEditMotorNum1->accessibleName());
    QXEditMotorNum1->hide();
    QXEditMotorNum2 = rows.Edit("QXEditMotorNum2", "ShowMetric",
                                QStringLiteral("Dummy for units of measure -- don't delete this!"));
    QXEditMotorNum2->setText(QXEditMotorNum2->accessibleName());
    QXEditMotorNum2->hide();
}

void TEditMDBDlg::BuildInertiaRow(MotorParameterRows &rows)
{
    // Motor inertia or coil weight: caption panels on the left, units panels on the right.
    QLabel *rotaryCaption = nullptr, *coilCaption = nullptr, *metricUnits = nullptr, *englishUnits = nullptr;
    pnlRotaryInertiaLabel = LabelPanel(grpParameters, "pnlRotaryInertiaLabel", rotaryCaption,
                                       QStringLiteral("Motor Inertia (Jm)"));
    pnlCoilWeightLabel = LabelPanel(grpParameters, "pnlCoilWeightLabel", coilCaption, QStringLiteral("Coil Weight"));
    pemWeightOrInertia = rows.Edit("pemWeightOrInertia", "Inertia", rotaryCaption->text());
    pnlInertiaMetric = LabelPanel(grpParameters, "pnlInertiaMetric", metricUnits,
                                  QString::fromUtf8("kg\u00b7m\u00b2 \u00d7 10\u207b\u00b3"));
    pnlInertiaEnglish = LabelPanel(grpParameters, "pnlInertiaEnglish", englishUnits,
                                   QString::fromUtf8("lb\u00b7in\u00b7s\u00b2 \u00d7 10\u207b\u00b3"));
    pnlLinearMass = LabelPanel(grpParameters, "pnlLinearMass", lblLinearMassUnits, QStringLiteral("kg"));
    lblLinearMassUnits->setObjectName(QStringLiteral("lblLinearMassUnits"));
    auto *captions = new QVBoxLayout;
    captions->addWidget(pnlRotaryInertiaLabel);
    captions->addWidget(pnlCoilWeightLabel);
    auto *unitPanels = new QVBoxLayout;
    unitPanels->addWidget(pnlInertiaMetric);
    unitPanels->addWidget(pnlInertiaEnglish);
    unitPanels->addWidget(pnlLinearMass);
    const int row = rows.Next();
    rows.Grid()->addLayout(captions, row, 0);
    rows.Grid()->addWidget(pemWeightOrInertia, row, 1);
    rows.Grid()->addLayout(unitPanels, row, 2);
}

QLayout *TEditMDBDlg::BuildButtons()
{
    const auto button = [this](const char *name, const char *caption, const char *hint = nullptr) {
        return NewButton(this, QString::fromLatin1(name), QString::fromLatin1(caption), EnterKey::MayPress,
                         hint ? QString::fromLatin1(hint) : QString());
    };
    btnNew = button("btnNew", "&New Motor", "Create a new motor definition");
    btnDelete = button("btnDelete", "&Delete Motor", "Delete the current motor from the database");
    btnEdit = button("btnEdit", "&Edit Motor", "Edit the parameters of the currently selected motor");
    btnExit = button("btnExit", "&Exit");
    btnOK = button("btnOK", "OK");
    btnCancel = button("btnCancel", "&Cancel");
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {btnNew, btnDelete, btnEdit, btnOK})
        buttons->addWidget(b);
    buttons->addStretch(1);
    // Exit and Cancel share one place: only one of them shows at a time.
    buttons->addWidget(btnExit);
    buttons->addWidget(btnCancel);
    return buttons;
}

TEditMDBDlg::~TEditMDBDlg() = default;

int TEditMDBDlg::Edit()
{
    FormShow();
    adjustSize();
    if (QScreen *screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    return exec();
}

std::vector<TQXEditMotorNum *> TEditMDBDlg::Edits() const
{
    return {pemKe, pemWeightOrInertia, pemInductance, pemPoleCountOrSpacing, pemEncRes, pemICS,
            pemCommOffset, pemHallOffset, pemThermalTimeConst, pemMaxVBus};
}

void TEditMDBDlg::FormShow()
{
    mayClose_ = false;
    editor_.SetFolder(session_.ProgramDir);
    editor_.Open(messages_);
    FillList(editor_.Names().empty() ? std::string() : editor_.Names().front());
    if (editor_.Names().empty()) {
        Motor fresh;
        ShowMotor(fresh);
        ClearControls();
    } else {
        cmbMotorListChange();
    }
    SetMode(Mode::Browse);
    edited_ = false;
}

void TEditMDBDlg::FillList(const std::string &select)
{
    const QSignalBlocker block(cmbMotorList);
    cmbMotorList->clear();
    for (const std::string &n : editor_.Names())
        cmbMotorList->addItem(QString::fromStdString(n));
    cmbMotorList->setCurrentIndex(cmbMotorList->findText(QString::fromStdString(select)));
}

std::string TEditMDBDlg::Selected() const { return cmbMotorList->currentText().toStdString(); }

void TEditMDBDlg::SetMode(Mode mode)
{
    mode_ = mode;
    const motoredit::ModeRules &r = motoredit::RulesFor(mode);
    cmbMotorList->setEnabled(r.listEnabled);
    grpParameters->setEnabled(r.parametersEnabled);
    // Browse mode draws the values flat on the window's colour, edit mode as white entry boxes.
    for (TQXEditMotorNum *e : Edits()) {
        e->setFrame(r.parametersEnabled);
        QPalette p = e->palette();
        p.setColor(QPalette::Base, r.parametersEnabled ? QColor(Qt::white) : palette().color(QPalette::Button));
        e->setPalette(p);
    }
    btnNew->setVisible(r.newVisible);
    btnDelete->setVisible(r.deleteVisible);
    btnEdit->setVisible(r.editVisible);
    btnExit->setVisible(r.exitVisible);
    btnOK->setVisible(r.okVisible);
    btnCancel->setVisible(r.cancelVisible);
    const bool any = !editor_.Names().empty();
    btnDelete->setEnabled(!r.deleteEditNeedMotors || any);
    btnEdit->setEnabled(!r.deleteEditNeedMotors || any);
    btnExit->setToolTip(QString::fromLatin1(r.exitHint));
    btnCancel->setToolTip(QString::fromLatin1(r.cancelHint));
}

void TEditMDBDlg::ShowMotor(Motor &m)
{
    const motoredit::MotorLayout &l = motoredit::LayoutFor(m.Get("MotorType"), m.Get("ShowMetric"));
    pcmCommSrc->SetVarName(QStringLiteral("CommSrc"));
    if (!l.resolverOffered) {
        const int resolver = pcmCommSrc->findText(QString::fromStdString(EnumText("CommSrc", 0)));
        if (resolver >= 0) {
            const QSignalBlocker block(pcmCommSrc);
            pcmCommSrc->removeItem(resolver);
        }
    }
    lblMotorType->setText(QString::fromLatin1(l.typeText));
    pemKe->SetVarName(QString::fromLatin1(l.keVar));
    lblKeUnits->setText(QString::fromLatin1(l.keUnits));
    pnlCoilWeightLabel->setVisible(l.coilWeightLabel);
    pnlRotaryInertiaLabel->setVisible(!l.coilWeightLabel);
    pnlLinearMass->setVisible(l.linearMassPanel);
    lblLinearMassUnits->setText(QString::fromLatin1(l.massUnits));
    pnlInertiaMetric->setVisible(l.inertiaMetricPanel);
    pnlInertiaEnglish->setVisible(l.inertiaEnglishPanel);
    pemWeightOrInertia->SetVarName(QString::fromLatin1(l.weightVar));
    pemWeightOrInertia->setAccessibleName(l.coilWeightLabel ? QStringLiteral("Coil Weight")
                                                            : QStringLiteral("Motor Inertia (Jm)"));
    pemPoleCountOrSpacing->SetVarName(QString::fromLatin1(l.poleVar));
    lblPoleCount->setText(QString::fromLatin1(l.poleLabel));
    pemPoleCountOrSpacing->setAccessibleName(lblPoleCount->text());
    lblPoleCountUnits->setText(QString::fromLatin1(l.poleUnits));
    lblPoleCountUnits->setVisible(l.linear);
    pnlEncRes->setVisible(l.encResPanel);

    InitAll(m, this);

    const motoredit::OffsetPanels offsets = motoredit::OffsetPanelsFor(m.Get("CommSrc"));
    pnlCommOffset->setVisible(offsets.commOffset);
    pnlHallOffset->setVisible(offsets.hallOffset);
    SetHints(this, MotorParameterTable());
}

void TEditMDBDlg::ClearControls()
{
    for (TQXEditMotorNum *e : Edits())
        e->clear();
    pcmCommSrc->setCurrentIndex(-1);
    pnlEncRes->hide();
    pnlCommOffset->hide();
    pnlHallOffset->hide();
}

void TEditMDBDlg::cmbMotorListChange()
{
    if (Motor *m = editor_.Find(Selected()))
        ShowMotor(*m);
    else
        ClearControls();
}

void TEditMDBDlg::btnNewClick()
{
    Motor m;
    std::string name;
    if (!NewMotorDlg->Ask(m, [this](const std::string &n) { return editor_.Holds(n); }, name))
        return;
    editor_.Add(name, m);
    FillList(name);
    SetMode(Mode::Edit);
    // A new motor can only be confirmed.
    btnCancel->hide();
    ShowMotor(m);
}

void TEditMDBDlg::btnEditClick()
{
    if (editor_.Names().empty())
        return;
    SetMode(Mode::Edit);
    if (Motor *m = editor_.Find(Selected())) {
        ShowMotor(*m);
    } else {
        // A motor whose file could not be read: the table defaults to start from.
        Motor fresh;
        ShowMotor(fresh);
    }
}

void TEditMDBDlg::FinishTyping()
{
    for (TQXEditMotorNum *e : Edits())
        if (e->hasFocus())
            e->DoExit();
}

void TEditMDBDlg::btnOKClick()
{
    FinishTyping();
    const std::string name = Selected();
    Motor stored;
    if (const Motor *m = editor_.Find(name))
        stored = *m;
    StoreAll(stored, this);
    editor_.Store(name, stored);
    SetMode(Mode::Browse);
    ShowMotor(*editor_.Find(name));
    edited_ = false;
}

void TEditMDBDlg::btnCancelClick()
{
    if (edited_ && !messages_.Confirm(kCancelEditQuestion))
        return;
    SetMode(Mode::Browse);
    edited_ = false;
    cmbMotorListChange();
}

void TEditMDBDlg::btnDeleteClick()
{
    if (!messages_.Confirm(kDeleteQuestion) || editor_.Names().empty())
        return;
    editor_.Remove(Selected());
    if (editor_.Names().empty()) {
        FillList(std::string());
        ClearControls();
    } else {
        FillList(editor_.Names().back());
        cmbMotorListChange();
    }
    SetMode(Mode::Browse);
}

void TEditMDBDlg::btnExitClick()
{
    if (editor_.Exit(messages_)) {
        mayClose_ = true;
        accept();
        return;
    }
    // The folder and the editor both still hold their motors; the window may now also be
    // closed without writing.
    mayClose_ = true;
}

void TEditMDBDlg::pcmCommSrcExit()
{
    Motor shown;
    StoreAll(shown, this);
    ShowMotor(shown);
}

void TEditMDBDlg::reject()
{
    if (mayClose_)
        QDialog::reject();
}

void TEditMDBDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && !mayClose_) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace tools700
