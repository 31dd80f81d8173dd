// The oscilloscope's controls, laid out to the pixel: the two channels' groups, the trigger, the
// single sweep, the timebase, the cursor read-outs and the buttons.
#include "tools700/scope/ScopeForm.h"

#include "tools700/scope/ScopeGraph.h"
#include "tools700/widgets/Accessibility.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace tools700 {

namespace {

QLabel *Label(const QString &text, QWidget *parent, const QString &name, const QRect &at)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(at);
    return label;
}

QPushButton *Button(const QString &caption, QWidget *parent, const QString &name, const QRect &at)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setGeometry(at);
    return b;
}

QLineEdit *Edit(QWidget *parent, const QString &name, const QRect &at, QLabel *label)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(at);
    if (label) {
        label->setBuddy(edit);
        NameControl(edit, label->text());
    }
    return edit;
}

} // namespace

QGroupBox *TScopeForm::BuildChannel(int channel, int top)
{
    const QString n = QString::number(channel);
    auto *group = new QGroupBox(QStringLiteral(" Channel %1 ").arg(channel), this);
    group->setObjectName(QStringLiteral("GroupBox") + n);
    group->setGeometry(510, top, 266, 140);
    auto *bar = new QFrame(group);
    bar->setObjectName(QStringLiteral("pnlColor") + n);
    bar->setGeometry(6, 20, 6, 112);
    bar->setAutoFillBackground(true);
    QPalette barPalette = bar->palette();
    barPalette.setColor(QPalette::Window, channel == 1 ? Qt::red : Qt::blue);
    bar->setPalette(barPalette);

    QLabel *source = Label(QStringLiteral("Source:"), group, QStringLiteral("lblSource") + n, {18, 22, 46, 17});
    auto *cmb = new QComboBox(group);
    cmb->setObjectName(QStringLiteral("cmbSource") + n);
    cmb->setGeometry(66, 18, 192, 24);
    cmb->setMaxVisibleItems(16);
    source->setBuddy(cmb);
    NameControl(cmb, source->text());
    Label(QStringLiteral("Units: "), group, QStringLiteral("lblUnitsCaption") + n, {18, 48, 40, 17});
    QLabel *units = Label(QString(), group, QStringLiteral("lblCh%1Units").arg(channel), {60, 48, 198, 17});
    QLabel *scale = Label(QStringLiteral("Scale:"), group, QStringLiteral("lblScale") + n, {18, 72, 46, 17});
    QLineEdit *gain = Edit(group, QStringLiteral("edtCh%1Gain").arg(channel), {66, 68, 64, 22}, scale);
    gain->setToolTip(QStringLiteral("Scale in units per division"));
    QLabel *gainUnits = Label(QString(), group, QStringLiteral("lblGain%1Units").arg(channel), {134, 72, 52, 17});
    Label(QStringLiteral("per division"), group, QStringLiteral("lblPerDivision") + n, {186, 72, 78, 17});
    QLabel *offset = Label(QStringLiteral("Offset:"), group, QStringLiteral("lblOffset") + n, {18, 96, 46, 17});
    QLineEdit *off = Edit(group, QStringLiteral("edtCh%1Offset").arg(channel), {66, 92, 64, 22}, offset);
    off->setToolTip(QStringLiteral("Offset in units"));
    QLabel *offUnits = Label(QString(), group, QStringLiteral("lblOffset%1Units").arg(channel), {134, 96, 124, 17});
    auto *thick = new QCheckBox(QStringLiteral("thick trace"), group);
    thick->setObjectName(QStringLiteral("ckbThickTrace") + n);
    thick->setGeometry(18, 116, 120, 20);
    for (QLineEdit *e : {gain, off})
        e->installEventFilter(this);

    if (channel == 1) {
        cmbSource1 = cmb;
        lblCh1Units = units;
        edtCh1Gain = gain;
        lblGain1Units = gainUnits;
        edtCh1Offset = off;
        lblOffset1Units = offUnits;
        ckbThickTrace1 = thick;
        connect(cmb, &QComboBox::currentIndexChanged, this, [this] { cmbSource1Change(); });
        connect(thick, &QCheckBox::clicked, this, [this] { ckbThickTrace1Click(); });
    } else {
        cmbSource2 = cmb;
        lblCh2Units = units;
        edtCh2Gain = gain;
        lblGain2Units = gainUnits;
        edtCh2Offset = off;
        lblOffset2Units = offUnits;
        ckbThickTrace2 = thick;
        connect(cmb, &QComboBox::currentIndexChanged, this, [this] { cmbSource2Change(); });
        connect(thick, &QCheckBox::clicked, this, [this] { ckbThickTrace2Click(); });
    }
    return group;
}

void TScopeForm::BuildControls()
{
    graph = new ScopeGraph(this);
    graph->setObjectName(QStringLiteral("graph"));
    graph->setGeometry(4, 4, 500, 426);
    graph->setToolTip(QStringLiteral(
        "Click here to enable cursor; then use left / light arrows to control the vertical cursor position"));
    NameControl(graph, QStringLiteral("Korvane Systems DazuDizir"));
    graph->viewport()->setObjectName(QStringLiteral("graphArea"));
    NameControl(graph->viewport(), QStringLiteral("Korvane Systems DazuDizir"));
    connect(graph, &ScopeGraph::cursorMoved, this, [this] { graphCursorMoved(); });

    pnlNoComm = new QLabel(QStringLiteral("No communications!"), this);
    pnlNoComm->setObjectName(QStringLiteral("pnlNoComm"));
    pnlNoComm->setAlignment(Qt::AlignCenter);
    pnlNoComm->setFrameShape(QFrame::Panel);
    pnlNoComm->setFrameShadow(QFrame::Raised);
    pnlNoComm->setAutoFillBackground(true);
    QFont bold = pnlNoComm->font();
    bold.setBold(true);
    bold.setPixelSize(16);
    pnlNoComm->setFont(bold);
    pnlNoComm->setGeometry(104, 190, 300, 44);

    edtCursorValue1 = new QLineEdit(this);
    edtCursorValue1->setObjectName(QStringLiteral("edtCursorValue1"));
    edtCursorValue1->setGeometry(4, 438, 120, 24);
    edtCursorValue1->setReadOnly(true);
    edtCursorValue1->setToolTip(QStringLiteral("Ch1 value at vertical cursor"));
    NameControl(edtCursorValue1, QStringLiteral("Ch1 value at vertical cursor"));
    edtCursorValue2 = new QLineEdit(this);
    edtCursorValue2->setObjectName(QStringLiteral("edtCursorValue2"));
    edtCursorValue2->setGeometry(384, 438, 120, 24);
    edtCursorValue2->setReadOnly(true);
    edtCursorValue2->setToolTip(QStringLiteral("Ch2 value at vertical cursor"));
    NameControl(edtCursorValue2, QStringLiteral("Ch2 value at vertical cursor"));

    btnSwitch = Button(QStringLiteral("S&witch to Variables"), this, QStringLiteral("btnSwitch"), {164, 436, 180, 28});
    btnSwitch->setToolTip(QStringLiteral("Brings the 'On-Line Drive Configuration' window to the front"));
    connect(btnSwitch, &QPushButton::clicked, this, [this] { btnSwitchClick(); });

    GroupBox1 = BuildChannel(1, 0);
    GroupBox2 = BuildChannel(2, 142);

    GroupBox3 = new QGroupBox(QStringLiteral(" Trigger "), this);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    GroupBox3->setGeometry(510, 284, 266, 80);
    cmbTrigger = new QComboBox(GroupBox3);
    cmbTrigger->setObjectName(QStringLiteral("cmbTrigger"));
    cmbTrigger->setGeometry(10, 20, 248, 24);
    for (const char *text : scope::kTriggerTexts)
        cmbTrigger->addItem(QString::fromLatin1(text));
    NameControl(cmbTrigger, QStringLiteral("Trigger"));
    connect(cmbTrigger, &QComboBox::currentIndexChanged, this, [this] { cmbTriggerChange(); });
    QLabel *level = Label(QStringLiteral("Level:"), GroupBox3, QStringLiteral("lblLevel"), {10, 54, 40, 17});
    edtTriggerLevel = Edit(GroupBox3, QStringLiteral("edtTriggerLevel"), {52, 50, 84, 22}, level);
    edtTriggerLevel->installEventFilter(this);
    lblTriggerUnits = Label(QStringLiteral("none"), GroupBox3, QStringLiteral("lblTriggerUnits"), {140, 54, 118, 17});

    grpSingleSweepMode = new QGroupBox(QStringLiteral(" Single Sweep "), this);
    grpSingleSweepMode->setObjectName(QStringLiteral("grpSingleSweepMode"));
    grpSingleSweepMode->setGeometry(510, 366, 136, 62);
    ckbSingleSweep = new QCheckBox(QStringLiteral("Enabled"), grpSingleSweepMode);
    ckbSingleSweep->setObjectName(QStringLiteral("ckbSingleSweep"));
    ckbSingleSweep->setGeometry(8, 26, 70, 20);
    // The caption blinks while single sweep is on; the name stays.
    NameControl(ckbSingleSweep, QStringLiteral("Enabled"));
    connect(ckbSingleSweep, &QCheckBox::clicked, this, [this] { ckbSingleSweepClick(); });
    btnReset = Button(QStringLiteral("&Reset"), grpSingleSweepMode, QStringLiteral("btnReset"), {78, 22, 52, 28});
    btnReset->setToolTip(QStringLiteral("Arms one sweep"));
    connect(btnReset, &QPushButton::clicked, this, [this] { btnResetClick(); });

    GroupBox4 = new QGroupBox(QStringLiteral(" Timebase "), this);
    GroupBox4->setObjectName(QStringLiteral("GroupBox4"));
    GroupBox4->setGeometry(650, 366, 126, 62);
    cmbTimebase = new QComboBox(GroupBox4);
    cmbTimebase->setObjectName(QStringLiteral("cmbTimebase"));
    cmbTimebase->setGeometry(6, 24, 114, 24);
    for (const scope::TimebaseEntry &entry : scope::kTimebases)
        cmbTimebase->addItem(QString::fromLatin1(entry.text));
    NameControl(cmbTimebase, QStringLiteral("Timebase"));
    connect(cmbTimebase, &QComboBox::currentIndexChanged, this, [this] { cmbTimebaseChange(); });

    btnPrint = Button(QStringLiteral("&Print"), this, QStringLiteral("btnPrint"), {510, 434, 33, 28});
    btnPrint->setToolTip(QStringLiteral("Prints a summary page with the chart"));
    connect(btnPrint, &QPushButton::clicked, this, [this] { btnPrintClick(); });
    btnSaveCsv = Button(QStringLiteral("Save CSV\u2026"), this, QStringLiteral("btnSaveCsv"), {545, 434, 75, 28});
    btnSaveCsv->setToolTip(QStringLiteral("Saves the frames kept in the history as a CSV file"));
    connect(btnSaveCsv, &QPushButton::clicked, this, [this] { btnSaveCsvClick(); });
    btnSavePicture =
        Button(QStringLiteral("Save Picture\u2026"), this, QStringLiteral("btnSavePicture"), {622, 434, 92, 28});
    btnSavePicture->setToolTip(QStringLiteral("Saves the chart as a PNG picture"));
    connect(btnSavePicture, &QPushButton::clicked, this, [this] { btnSavePictureClick(); });
    // Four buttons share the row under the groups, each as wide as its caption.
    btnAnalysis = Button(QStringLiteral("&Analysis"), this, QStringLiteral("btnAnalysis"), {716, 434, 60, 28});
    btnAnalysis->setToolTip(QStringLiteral("Opens the sweep analysis on the newest sweep: cursors, zoom, step "
                                           "figures and a reference sweep"));
    connect(btnAnalysis, &QPushButton::clicked, this, [this] { btnAnalysisClick(); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

} // namespace tools700
