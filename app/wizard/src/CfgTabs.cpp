// The second page of the configuration editor: its tabs of bound controls and the rules that
// show, enable and label them.
#include "tools700/wizard/CfgNewDlg.h"

#include "tools700/common/Session.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/BoundControls.h"
#include "tools700/wizard/EditorTabs.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace tools700 {

namespace {

// Builds the controls of one group: rows of label, control and units label.
class Rows {
public:
    explicit Rows(QGroupBox *group) : group_(group), grid_(new QGridLayout(group))
    {
        // Rows stay at the top of their group, the controls at a readable width.
        grid_->setRowStretch(kLastRow, 1);
        grid_->setColumnStretch(3, 1);
        grid_->setColumnMinimumWidth(1, 140);
    }
    static constexpr int kLastRow = 99;

    template <class T> T *Bound(const char *objectName, const char *variable, const char *label, const char *units,
                                const char *unitsName = nullptr)
    {
        auto *control = new T(group_);
        control->setObjectName(QString::fromLatin1(objectName));
        control->SetVarName(QString::fromLatin1(variable));
        auto *caption = new QLabel(QString::fromLatin1(label), group_);
        caption->setObjectName(QStringLiteral("lbl") + QString::fromLatin1(objectName).mid(4));
        caption->setBuddy(control);
        grid_->addWidget(caption, row_, 0);
        grid_->addWidget(control, row_, 1);
        if (units || unitsName) {
            auto *u = new QLabel(units ? QString::fromLatin1(units) : QString(), group_);
            if (unitsName)
                u->setObjectName(QString::fromLatin1(unitsName));
            u->setMinimumWidth(90);
            grid_->addWidget(u, row_, 2);
        }
        ++row_;
        return control;
    }
    QLabel *Heading(const char *text)
    {
        auto *l = new QLabel(QString::fromLatin1(text), group_);
        grid_->addWidget(l, row_++, 0, 1, 3);
        return l;
    }
    QGridLayout *Grid() const { return grid_; }
    int NextRow() { return row_++; }

private:
    QGroupBox *group_;
    QGridLayout *grid_;
    int row_ = 0;
};

QGroupBox *Group(QWidget *parent, const char *title, const char *objectName = nullptr)
{
    auto *g = new QGroupBox(QString::fromLatin1(title), parent);
    if (objectName)
        g->setObjectName(QString::fromLatin1(objectName));
    return g;
}

// The current limits and velocity limits that several tabs share (their bindings are cousins).
void CurrentLimits(QWidget *page, QLayout *layout, const char *prefix)
{
    QGroupBox *g = Group(page, "Current Limits");
    Rows rows(g);
    const QString p = QString::fromLatin1(prefix);
    rows.Bound<TQXEditNum>(qPrintable(QStringLiteral("pedt%1ILmtPlus").arg(p)), "ILmtPlus", "Positive", "% of peak");
    rows.Bound<TQXEditNum>(qPrintable(QStringLiteral("pedt%1ILmtMinus").arg(p)), "ILmtMinus", "Negative", "% of peak");
    layout->addWidget(g);
}

void VelocityLimits(QWidget *page, QLayout *layout, const char *prefix)
{
    QGroupBox *g = Group(page, "Velocity Limits");
    Rows rows(g);
    const QString p = QString::fromLatin1(prefix);
    rows.Bound<TQXEditNum>(qPrintable(QStringLiteral("pedt%1VelLmtHi").arg(p)), "VelLmtHi", "High", "RPM");
    rows.Bound<TQXEditNum>(qPrintable(QStringLiteral("pedt%1VelLmtLo").arg(p)), "VelLmtLo", "Low", "RPM");
    layout->addWidget(g);
}

// A caption and its bound control in row `row` of `grid`.
template <class T>
T *LabelledBound(QWidget *parent, QGridLayout *grid, int row, const char *caption, const char *name,
                 const char *variable)
{
    auto *label = new QLabel(QString::fromLatin1(caption), parent);
    auto *control = new T(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->SetVarName(QString::fromLatin1(variable));
    label->setBuddy(control);
    grid->addWidget(label, row, 0);
    grid->addWidget(control, row, 1);
    return control;
}

// Fills the framed `panel` with a line count: caption, bound control and "lines".
template <class T>
void LineCount(QFrame *panel, const char *panelName, const char *caption, const char *name, const char *variable)
{
    panel->setObjectName(QString::fromLatin1(panelName));
    panel->setFrameShape(QFrame::Panel);
    auto *grid = new QGridLayout(panel);
    LabelledBound<T>(panel, grid, 0, caption, name, variable);
    grid->addWidget(new QLabel(QStringLiteral("lines"), panel), 0, 2);
}

// Runs `after` once the focus has left `control` and the control's own exit handling has run.
class ExitWatcher : public QObject {
public:
    ExitWatcher(QWidget *control, std::function<void()> after) : QObject(control), after_(std::move(after))
    {
        control->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::FocusOut)
            QTimer::singleShot(0, this, [this] { after_(); });
        return false;
    }

private:
    std::function<void()> after_;
};

} // namespace

void TCfgNewDlg::BuildTabs()
{
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    const struct {
        EditorTab tab;
        const char *name;
        const char *caption;
    } pages[] = {
        {EditorTab::Digital, "tabDigital", "Digital I/O"},       {EditorTab::Analog, "tabAnalog", "Analog I/O"},
        {EditorTab::Loop, "tabLoop", "Loop Gains"},              {EditorTab::Torque, "tabTorque", "Torque Controller"},
        {EditorTab::Velocity, "tabVelocity", "Velocity Controller"},
        {EditorTab::Position, "tabPosition", "Position Controller"},
        {EditorTab::Position2, "tabPosition2", "Position Controller"},
        {EditorTab::Predefined, "tabPredefined", "Predefined Moves"}, {EditorTab::Feedback, "tabFeedback", "Feedback"},
    };
    for (const auto &p : pages) {
        auto *page = new QWidget(PageControl1);
        page->setObjectName(QString::fromLatin1(p.name));
        tabs[static_cast<int>(p.tab)] = page;
        PageControl1->addTab(page, QString::fromLatin1(p.caption));
    }
    auto page = [this](EditorTab t) { return tabs[static_cast<int>(t)]; };

    BuildDigitalTab(page(EditorTab::Digital));
    BuildAnalogTab(page(EditorTab::Analog));
    BuildLoopTab(page(EditorTab::Loop));
    BuildTorqueTab(page(EditorTab::Torque));
    BuildVelocityTab(page(EditorTab::Velocity));
    BuildPositionTabs(page(EditorTab::Position), page(EditorTab::Position2));
    BuildPredefinedTab(page(EditorTab::Predefined));
    BuildFeedbackTab(page(EditorTab::Feedback));

    PageControl1->setCurrentWidget(page(EditorTab::Digital));
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) { TabShow(index); });
}

// Digital I/O: the input and output functions.
void TCfgNewDlg::BuildDigitalTab(QWidget *w)
{
    auto *layout = new QHBoxLayout(w);
    QGroupBox *in = Group(w, "Input Functions");
    Rows inRows(in);
    const std::array<std::string, 10> vars = DigitalIoVariables(false);
    for (int i = 0; i < 6; ++i) {
        const std::string name = "pcmbInpMap" + std::to_string(i + 1);
        const std::string label = "Input" + std::to_string(i + 1);
        pcmbInpMap[i] = inRows.Bound<TQXComboBox>(name.c_str(), vars[i].c_str(), label.c_str(), nullptr);
    }
    auto *right = new QVBoxLayout;
    QGroupBox *out = Group(w, "Output Functions");
    Rows outRows(out);
    for (int i = 0; i < 3; ++i) {
        const std::string name = "pcmbOutMap" + std::to_string(i + 1);
        const std::string label = "Output" + std::to_string(i + 1);
        pcmbOutMap[i] = outRows.Bound<TQXComboBox>(name.c_str(), vars[6 + i].c_str(), label.c_str(), nullptr);
    }
    QGroupBox *relay = Group(w, "Relay Function (Output 4)");
    Rows relayRows(relay);
    pcmbOutMap[3] = relayRows.Bound<TQXComboBox>("pcmbOutMap4", vars[9].c_str(), "Relay", nullptr);
    right->addWidget(out);
    right->addWidget(relay);
    right->addStretch(1);
    layout->addWidget(in);
    layout->addLayout(right);
}

// Analog I/O: the two analog outputs and the analog current limits.
void TCfgNewDlg::BuildAnalogTab(QWidget *w)
{
    auto *layout = new QVBoxLayout(w);
    for (int n = 1; n <= 2; ++n) {
        const std::string title = "Analog Output " + std::to_string(n) + " Setup";
        QGroupBox *g = Group(w, title.c_str());
        Rows rows(g);
        const std::string dm = "DM" + std::to_string(n);
        auto *map = rows.Bound<TQXComboBox>(("pcmb" + dm + "Map").c_str(), (dm + "Map").c_str(), "Function", nullptr);
        rows.Bound<TQXEditNum>(("pedt" + dm + "Gain").c_str(), (dm + "Gain").c_str(), "Gain", nullptr,
                               ("lbl" + dm + "GainUnits").c_str());
        rows.Heading("Low-pass Filter");
        rows.Bound<TQXEditNum>(("pedt" + dm + "F0").c_str(), (dm + "F0").c_str(), "Break Frequency", "Hz");
        layout->addWidget(g);
        // Leaving the function box: the gain's unit follows the function just chosen.
        new ExitWatcher(map, [this, n] { pcmbDMMapExit(n); });
        connect(map, &QComboBox::activated, this, [this, map, n] {
            map->DoExit();
            pcmbDMMapExit(n);
        });
    }
    QGroupBox *g = Group(w, "Analog Current Limits");
    Rows rows(g);
    rows.Bound<TQXEditNum>("pedtAnalogILmtGain", "AnalogILmtGain", "Analog Current Limit Gain", "% IPeak / Volt");
    rows.Bound<TQXEditNum>("pedtAnalogILmtFilt", "AnalogILmtFilt", "Analog Current Limit Filter", "Hz");
    layout->addWidget(g);
    layout->addStretch(1);
}

// Loop gains: the position and velocity loop gains.
void TCfgNewDlg::BuildLoopTab(QWidget *w)
{
    auto *layout = new QHBoxLayout(w);
    QGroupBox *pos = Group(w, "Position Loop");
    Rows posRows(pos);
    posRows.Bound<TQXEditNum>("pedtKpp", "Kpp", "Kpp", "Hz");
    posRows.Bound<TQXEditNum>("pedtKvff", "Kvff", "Kvff", "%");
    QGroupBox *vel = Group(w, "Velocity Loop");
    Rows velRows(vel);
    velRows.Bound<TQXEditNum>("pedtKvp", "Kvp", "Kvp", "amp/rad/sec");
    velRows.Bound<TQXEditNum>("pedtKvi", "Kvi", "Kvi", "Hz");
    velRows.Bound<TQXEditNum>("pedtARF0", "ARF0", "ARF0", "Hz");
    velRows.Bound<TQXEditNum>("pedtARF1", "ARF1", "ARF1", "Hz");
    layout->addWidget(pos, 0, Qt::AlignTop);
    layout->addWidget(vel, 0, Qt::AlignTop);
}

// Torque controller: current limits, offset and command gain.
void TCfgNewDlg::BuildTorqueTab(QWidget *w)
{
    auto *layout = new QVBoxLayout(w);
    CurrentLimits(w, layout, "Trq");
    QGroupBox *g = Group(w, "Gain and Offset");
    Rows rows(g);
    rows.Bound<TQXEditNum>("pedtTrqADOffset", "ADOffset", "Offset Voltage", "volts");
    rows.Bound<TQXEditNum>("pedtTrqCmdGain", "CmdGain", "Command Gain", nullptr, "lblTrq_CmdGainUnits");
    layout->addWidget(g);
    layout->addStretch(1);
}

// Velocity controller: limits, gain and offset, the velocity command.
void TCfgNewDlg::BuildVelocityTab(QWidget *w)
{
    auto *grid = new QGridLayout(w);
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    VelocityLimits(w, left, "");
    QGroupBox *accel = Group(w, "Accel / Decel Limits");
    Rows accelRows(accel);
    accelRows.Bound<TQXEditNum>("pedtAccelLmt", "AccelLmt", "Accel", "RPM/sec");
    accelRows.Bound<TQXEditNum>("pedtDecelLmt", "DecelLmt", "Decel", "RPM/Sec");
    left->addWidget(accel);
    grpVelCtrlGainOffset = Group(w, "Gain and Offset", "grpVelCtrlGainOffset");
    Rows gainRows(grpVelCtrlGainOffset);
    gainRows.Bound<TQXEditNum>("pedtADOffset", "ADOffset", "Offset Voltage", nullptr, "lblOffsetVoltageUnits");
    gainRows.Bound<TQXEditNum>("pedtCmdGain", "CmdGain", "Command Gain", nullptr, "lblVel_CmdGainUnits");
    right->addWidget(grpVelCtrlGainOffset);
    CurrentLimits(w, right, "Vel");
    grpVelCmd = Group(w, "Velocity Command", "grpVelCmd");
    Rows cmdRows(grpVelCmd);
    pedtVelCmd = cmdRows.Bound<TQXEditNum>("pedtVelCmd", "VelCmd", "Velocity Command (RPM)", nullptr);
    right->addWidget(grpVelCmd);
    left->addStretch(1);
    right->addStretch(1);
    grid->addLayout(left, 0, 0);
    grid->addLayout(right, 0, 1);
}

// Position controller: the gearing ratio and the limits; and the second position page, which is
// never shown.
void TCfgNewDlg::BuildPositionTabs(QWidget *w, QWidget *w2)
{
    auto *layout = new QVBoxLayout(w);
    grpGearingRatio = Group(w, "Gearing Ratio -- Quadrature", "grpGearingRatio");
    Rows rows(grpGearingRatio);
    rows.Bound<TQXEditNum>("pedtPulsesIn", "PulsesIn", "Pulses In", nullptr);
    rows.Bound<TQXEditNum>("pedtPulsesOut", "PulsesOut", "Pulses Out", nullptr);
    lblStepsPerRev = new QLabel(QStringLiteral("(Default value is Steps Per Revolution /4)"), grpGearingRatio);
    lblStepsPerRev->setObjectName(QStringLiteral("lblStepsPerRev"));
    rows.Grid()->addWidget(lblStepsPerRev, rows.NextRow(), 0, 1, 3);
    layout->addWidget(grpGearingRatio);
    CurrentLimits(w, layout, "Pos");
    VelocityLimits(w, layout, "Pos");
    layout->addStretch(1);

    auto *layout2 = new QVBoxLayout(w2);
    VelocityLimits(w2, layout2, "Pos2");
    CurrentLimits(w2, layout2, "Pos2");
    layout2->addStretch(1);
}

// Predefined moves: the move number and the parameters of the chosen move.
void TCfgNewDlg::BuildPredefinedTab(QWidget *w)
{
    auto *layout = new QHBoxLayout(w);
    rdiMoveNumber = Group(w, "&Move #", "rdiMoveNumber");
    auto *moves = new QVBoxLayout(rdiMoveNumber);
    auto *group = new QButtonGroup(rdiMoveNumber);
    for (int n = 0; n < 8; ++n) {
        rdiMove[n] = new QRadioButton(QString::number(n), rdiMoveNumber);
        rdiMove[n]->setObjectName(QStringLiteral("rdiMove%1").arg(n));
        NameControl(rdiMove[n], QStringLiteral("Move %1").arg(n));
        group->addButton(rdiMove[n], n);
        moves->addWidget(rdiMove[n]);
        // Follows the checked state, so a toggle from the keyboard or an accessibility tool
        // moves to the move like a click does.
        connect(rdiMove[n], &QRadioButton::toggled, this, [this, n](bool on) {
            if (on)
                rdiMoveNumberClick(n);
        });
    }
    {
        const QSignalBlocker block(rdiMove[0]);
        rdiMove[0]->setChecked(true);
    }
    grpMoveParameters = Group(w, " Move Parameters for Move 0", "grpMoveParameters");
    Rows rows(grpMoveParameters);
    auto *moveType = rows.Bound<TQXComboBox>("pcmbMoveType", "Move0Type", "Move Type", nullptr);
    for (const MoveRow &row : MoveRows()) {
        const std::string var = row.suffix ? MoveVariable(0, row.suffix) : row.variable;
        const char *units = nullptr;
        if (row.unitsLabel && std::string(row.unitsLabel) == "lblInPosLimitUnits")
            units = "Counts";
        else if (row.unitsLabel && std::string(row.unitsLabel) == "lblDistOffsetUnits")
            units = "counts";
        if (std::string(row.control).rfind("pcmb", 0) == 0)
            rows.Bound<TQXComboBox>(row.control, var.c_str(), row.label, units, row.unitsLabel);
        else
            rows.Bound<TQXEditNum>(row.control, var.c_str(), row.label, units, row.unitsLabel);
    }
    lblDistance = findChild<QLabel *>(QStringLiteral("lblDistance"));
    layout->addWidget(rdiMoveNumber, 0, Qt::AlignTop);
    layout->addWidget(grpMoveParameters, 1);
    connect(moveType, &QComboBox::activated, this, [this] { MoveTypeRule(); });
    new ExitWatcher(moveType, [this] { MoveTypeRule(); });
}

// Feedback: commutation source, encoder panels, remote feedback.
void TCfgNewDlg::BuildFeedbackTab(QWidget *w)
{
    auto *grid = new QGridLayout(w);
    auto *commSrc = LabelledBound<TQXComboBox>(w, grid, 0, "Commutation Source:", "pcmbCommSrcBox", "CommSrc");
    pnlEncoder = new QFrame(w);
    LineCount<TQXEditNum>(pnlEncoder, "pnlEncoder", "Encoder Line Count:", "pedtEncIn", "EncIn");
    pnlEmulatedEncoder = new QFrame(w);
    LineCount<TQXComboBox>(pnlEmulatedEncoder, "pnlEmulatedEncoder", "Emulated Encoder Line Count:", "pcmbEncOut",
                           "EncOut");
    // Both panels hold one place; the feedback rule shows one of them.
    grid->addWidget(pnlEncoder, 1, 0, 1, 2);
    grid->addWidget(pnlEmulatedEncoder, 1, 0, 1, 2);
    auto *remote = LabelledBound<TQXComboBox>(w, grid, 2, "Remote Feedback:", "pcmbRemoteFB", "RemoteFB");
    grid->addWidget(new QLabel(QStringLiteral("Feedback Mode:"), w), 3, 0);
    lblFeedBack = new QLabel(w);
    lblFeedBack->setObjectName(QStringLiteral("lblFeedBack"));
    lblFeedBack->setWordWrap(true);
    grid->addWidget(lblFeedBack, 3, 1);
    grid->setRowStretch(4, 1);
    connect(commSrc, &QComboBox::activated, this, [this] { pcmbCommSrcBoxClick(); });
    connect(remote, &QComboBox::activated, this, [this] { pcmbRemoteFBChange(); });
}

QLabel *TCfgNewDlg::Units(const char *name) const { return findChild<QLabel *>(QString::fromLatin1(name)); }

void TCfgNewDlg::ShowTabsForMode()
{
    UpdateMoveUnits();
    bool positionModeSelect = false;
    for (TQXComboBox *box : pcmbInpMap) {
        const QString t = box->currentText();
        positionModeSelect |= t == QLatin1String("Position Mode Select (hi)") || t == QLatin1String("Position Mode Select (lo)");
    }
    const TabLayout layout = TabsForMode(core_.SelectedMode, positionModeSelect);
    // Hide and show without the tab handlers: the active tab is chosen below.
    const QSignalBlocker block(PageControl1);
    for (int t = 0; t < kEditorTabs; ++t)
        PageControl1->setTabVisible(PageControl1->indexOf(tabs[t]), layout.shown[t]);
    for (const char *name : {"pedtKvi", "pedtKvp"})
        Control<QWidget>(name)->setEnabled(layout.loopGainsEnabled);
    for (QWidget *w : {static_cast<QWidget *>(grpVelCtrlGainOffset), Control<QWidget>("pedtCmdGain"),
                       Control<QWidget>("pedtADOffset")})
        w->setEnabled(layout.gainOffsetEnabled);
    grpGearingRatio->setEnabled(true);
    grpGearingRatio->setVisible(layout.gearingShown);
    lblStepsPerRev->setVisible(layout.stepsPerRevShown);
    grpTuning->hide();
    if (layout.velCmdShown)
        grpVelCmd->setVisible(*layout.velCmdShown);
    if (layout.active)
        PageControl1->setCurrentWidget(tabs[static_cast<int>(*layout.active)]);
    UpdateFeedbackText();
    // The handler of the tab now shown.
    if (layout.active)
        TabShow(PageControl1->currentIndex());
}

void TCfgNewDlg::UpdateMoveUnits()
{
    if (!core_.WorkingCfg)
        return;
    const MoveUnits u = MoveUnitTexts(*core_.WorkingCfg);
    Units("lblAccelRateUnits")->setText(QString::fromStdString(u.accelRate));
    Units("lblDecelRateUnits")->setText(QString::fromStdString(u.decelRate));
    Units("lblRunSpeedUnits")->setText(QString::fromStdString(u.runSpeed));
    Units("lblDistanceUnits")->setText(QString::fromStdString(u.distance));
    grpGearingRatio->setTitle(QString::fromStdString(u.gearingCaption));
    Units("lblDM1GainUnits")->setText(QString::fromStdString(u.dm1Gain));
    Units("lblDM2GainUnits")->setText(QString::fromStdString(u.dm2Gain));
}

void TCfgNewDlg::TabShow(int index)
{
    QWidget *page = PageControl1->widget(index);
    const ValueSet *working = core_.WorkingCfg;
    auto unit = [working](const char *name) {
        return QString::fromStdString(working ? UnitText(name, working) : UnitText(name));
    };
    if (page == tabs[static_cast<int>(EditorTab::Torque)]) {
        Units("lblTrq_CmdGainUnits")->setText(unit("CmdGain"));
    } else if (page == tabs[static_cast<int>(EditorTab::Velocity)]) {
        Units("lblVel_CmdGainUnits")->setText(unit("CmdGain"));
        Units("lblOffsetVoltageUnits")->setText(unit("ADOffset"));
    } else if (page == tabs[static_cast<int>(EditorTab::Analog)]) {
        pcmbDMMapExit(1);
        pcmbDMMapExit(2);
    } else if (page == tabs[static_cast<int>(EditorTab::Predefined)]) {
        UpdateMoveUnits();
        MoveTypeRule();
    } else if (page == tabs[static_cast<int>(EditorTab::Feedback)]) {
        // The emulated-encoder panel shares the encoder panel's place; neither has a border.
        pnlEncoder->setFrameShape(QFrame::NoFrame);
        pnlEmulatedEncoder->setFrameShape(QFrame::NoFrame);
        pcmbCommSrcBoxClick();
        Control<QWidget>("pcmbCommSrcBox")->setFocus();
    }
}

void TCfgNewDlg::pcmbDMMapExit(int output)
{
    Cfg &scratch = core_.ScratchCfg();
    StoreAll(scratch);
    const char *gain = output == 1 ? "DM1Gain" : "DM2Gain";
    Units(output == 1 ? "lblDM1GainUnits" : "lblDM2GainUnits")
        ->setText(QString::fromStdString(UnitText(gain, &scratch)));
}

void TCfgNewDlg::rdiMoveNumberClick(int move)
{
    if (move < 0 || move > 7)
        return;
    if (core_.WorkingCfg)
        StoreAll(*core_.WorkingCfg);
    moveNumber_ = move;
    {
        const QSignalBlocker block(rdiMove[move]);
        rdiMove[move]->setChecked(true);
    }
    const char *controls[] = {"pcmbMoveType",   "pedtRunSpeed",  "pedtAccelRate", "pedtDecelRate", "pedtDistance",
                              "pedtDistOffset", "pcmbRegSelect", "pcmbHomeMode",  "pcmbHomeDir"};
    for (int i = 0; i < 9; ++i)
        Bind(dynamic_cast<BoundControl *>(Control<QWidget>(controls[i])), MoveVariable(move, kPerMoveSuffixes[i]));
    grpMoveParameters->setTitle(QStringLiteral("Move Parameters for Move %1").arg(move));
    if (core_.WorkingCfg)
        InitAll(*core_.WorkingCfg);
    MoveTypeRule();
}

void TCfgNewDlg::SetRowVisible(const MoveRow &row, bool shown)
{
    Control<QWidget>(row.control)->setVisible(shown);
    const QString name = QString::fromLatin1(row.control);
    if (QLabel *label = findChild<QLabel *>(QStringLiteral("lbl") + name.mid(4)))
        label->setVisible(shown);
    if (row.unitsLabel)
        Units(row.unitsLabel)->setVisible(shown);
}

void TCfgNewDlg::SetRowEnabled(const char *control, bool enabled)
{
    Control<QWidget>(control)->setEnabled(enabled);
    if (QLabel *label = findChild<QLabel *>(QStringLiteral("lbl") + QString::fromLatin1(control).mid(4)))
        label->setEnabled(enabled);
}

void TCfgNewDlg::MoveTypeRule()
{
    auto *moveType = Control<TQXComboBox>("pcmbMoveType");
    const int t = EnumValue(moveType->VarName().toStdString(), moveType->currentText().toStdString());
    for (const MoveRow &row : MoveRows())
        SetRowVisible(row, MoveRowShown(row, t));
    const double remote = core_.WorkingCfg ? core_.WorkingCfg->Get("RemoteFB") : 0.0;
    const bool registration = RegistrationEnabled(t, remote);
    for (const char *c : {"pcmbRegSelect", "pcmbReg1Edge", "pcmbReg2Edge"})
        SetRowEnabled(c, registration);
    lblDistance->setText(QString::fromLatin1(DistanceLabel(t)));
}

void TCfgNewDlg::pcmbCommSrcBoxClick()
{
    auto *commSrc = Control<TQXComboBox>("pcmbCommSrcBox");
    auto *remote = Control<TQXComboBox>("pcmbRemoteFB");
    const int c = EnumValue("CommSrc", commSrc->currentText().toStdString());
    if (c != 0) {
        remote->setCurrentIndex(2); // "Encoder for Vel & Pos"
        remote->setEnabled(false);
    } else {
        remote->setEnabled(true);
    }
    remote->DoExit();
    if (core_.WorkingCfg)
        StoreAll(*core_.WorkingCfg);
    UpdateFeedbackText();
}

void TCfgNewDlg::pcmbRemoteFBChange()
{
    Control<TQXComboBox>("pcmbRemoteFB")->DoExit();
    if (core_.WorkingCfg)
        StoreAll(*core_.WorkingCfg);
    UpdateFeedbackText();
}

void TCfgNewDlg::UpdateFeedbackText()
{
    const int c = EnumValue("CommSrc", Control<QComboBox>("pcmbCommSrcBox")->currentText().toStdString());
    const int r = EnumValue("RemoteFB", Control<QComboBox>("pcmbRemoteFB")->currentText().toStdString());
    const FeedbackText f = FeedbackFor(c, r);
    pnlEncoder->setVisible(!f.emulatedEncoder);
    pnlEmulatedEncoder->setVisible(f.emulatedEncoder);
    lblFeedBack->setText(QString::fromLatin1(f.text));
}

} // namespace tools700
