// The sweep analysis window's controls: the chart with its cursor read-outs, the side panel of
// the sweep, its step figures and the reference, and the row of buttons.
#include "tools700/analysis/SweepAnalysis.h"

#include "tools700/analysis/AnalysisGraph.h"
#include "tools700/analysis/FigureTexts.h"
#include "tools700/widgets/Accessibility.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tools700 {

namespace {

QPushButton *Button(const QString &caption, const QString &name, const QString &tip, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setToolTip(tip);
    return b;
}

QComboBox *List(const QString &caption, const QString &name, QFormLayout *form, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QStringLiteral("lbl") + name.mid(3));
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(18);
    label->setBuddy(box);
    NameControl(box, QString(caption).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    form->addRow(label, box);
    return box;
}

QTableWidget *Table(const QString &name, const QString &accessibleName, int rows, int columns, QWidget *parent)
{
    auto *t = new QTableWidget(rows, columns, parent);
    t->setObjectName(name);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionMode(QAbstractItemView::NoSelection);
    t->setFocusPolicy(Qt::StrongFocus);
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    t->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    t->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    NameControl(t, accessibleName);
    return t;
}

} // namespace

void TSweepAnalysis::BuildControls()
{
    auto *grid = new QGridLayout(this);
    graph = new AnalysisGraph(this);
    graph->setObjectName(QStringLiteral("graph"));
    graph->setMinimumSize(560, 360);
    graph->setToolTip(QStringLiteral(
        "Drag a box to zoom, wheel to zoom time (Ctrl: values), right button to pan; drag a cursor line, "
        "click to place the active cursor. Keys: Left/Right move the cursor, A/B choose it, +/- zoom time, "
        "Up/Down zoom values, Z zooms to the cursors, Ctrl+arrows pan, 0 resets the zoom"));
    NameControl(graph, QStringLiteral("Sweep chart"));
    graph->viewport()->setObjectName(QStringLiteral("graphArea"));
    NameControl(graph->viewport(), QStringLiteral("Sweep chart"));
    connect(graph, &AnalysisGraph::cursorsMoved, this, [this] { RefreshCursors(); });
    grid->addWidget(graph, 0, 0, 2, 1);

    grpCursors = new QGroupBox(QStringLiteral(" Cursors A and B "), this);
    grpCursors->setObjectName(QStringLiteral("grpCursors"));
    auto *cursorBox = new QVBoxLayout(grpCursors);
    tblCursors = Table(QStringLiteral("tblCursors"), QStringLiteral("Cursor read-outs"), 4, 3, grpCursors);
    tblCursors->setVerticalHeaderLabels(
        {QStringLiteral("Cursor A"), QStringLiteral("Cursor B"), QStringLiteral("B - A"), QStringLiteral("1/Δt")});
    tblCursors->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tblCursors->setFixedHeight(tblCursors->horizontalHeader()->sizeHint().height() +
                               4 * tblCursors->verticalHeader()->defaultSectionSize() + 2 * tblCursors->frameWidth());
    cursorBox->addWidget(tblCursors);
    grid->addWidget(grpCursors, 2, 0);

    grid->addLayout(BuildSidePanel(), 0, 1, 3, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    // The figures of the sweep and the reference side by side, each value on one line.
    for (QGroupBox *group : {grpSweep, grpFigures, grpReference})
        group->setMinimumWidth(420);
    grid->setRowStretch(0, 1);

    grid->addLayout(BuildButtonRow(), 3, 0, 1, 2);
}

QVBoxLayout *TSweepAnalysis::BuildSidePanel()
{
    auto *side = new QVBoxLayout;
    grpSweep = new QGroupBox(QStringLiteral(" Sweep "), this);
    grpSweep->setObjectName(QStringLiteral("grpSweep"));
    auto *sweepForm = new QFormLayout(grpSweep);
    cmbFrame = List(QStringLiteral("&Sweep:"), QStringLiteral("cmbFrame"), sweepForm, grpSweep);
    connect(cmbFrame, &QComboBox::currentIndexChanged, this, [this] { cmbFrameChange(); });
    lblOrigin = new QLabel(grpSweep);
    lblOrigin->setObjectName(QStringLiteral("lblOrigin"));
    lblOrigin->setWordWrap(true);
    lblOrigin->setTextFormat(Qt::PlainText);
    lblOrigin->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    sweepForm->addRow(lblOrigin);
    side->addWidget(grpSweep);

    grpFigures = new QGroupBox(QStringLiteral(" Step figures "), this);
    grpFigures->setObjectName(QStringLiteral("grpFigures"));
    auto *figureForm = new QFormLayout(grpFigures);
    cmbFigureChannel = List(QStringLiteral("&Figures of:"), QStringLiteral("cmbFigureChannel"), figureForm, grpFigures);
    cmbCommand = List(QStringLiteral("&Against:"), QStringLiteral("cmbCommand"), figureForm, grpFigures);
    connect(cmbFigureChannel, &QComboBox::currentIndexChanged, this, [this] { cmbFigureChannelChange(); });
    connect(cmbCommand, &QComboBox::currentIndexChanged, this, [this] { cmbCommandChange(); });
    lblNotAStep = new QLabel(grpFigures);
    lblNotAStep->setObjectName(QStringLiteral("lblNotAStep"));
    lblNotAStep->setWordWrap(true);
    lblNotAStep->setTextFormat(Qt::PlainText);
    QPalette warning = lblNotAStep->palette();
    warning.setColor(QPalette::WindowText, QColor(160, 0, 0));
    lblNotAStep->setPalette(warning);
    figureForm->addRow(lblNotAStep);
    tblFigures = Table(QStringLiteral("tblFigures"), QStringLiteral("Step figures"),
                       static_cast<int>(analysis::kFigureLabels.size()), 2, grpFigures);
    QStringList labels;
    for (const char *label : analysis::kFigureLabels)
        labels << QString::fromUtf8(label);
    tblFigures->setVerticalHeaderLabels(labels);
    tblFigures->setHorizontalHeaderLabels({QStringLiteral("This sweep"), QStringLiteral("Reference")});
    tblFigures->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tblFigures->setMinimumHeight(tblFigures->horizontalHeader()->sizeHint().height() +
                                 tblFigures->rowCount() * tblFigures->verticalHeader()->defaultSectionSize() +
                                 2 * tblFigures->frameWidth());
    tblFigures->setWordWrap(false);
    figureForm->addRow(tblFigures);
    side->addWidget(grpFigures);

    grpReference = new QGroupBox(QStringLiteral(" Reference "), this);
    grpReference->setObjectName(QStringLiteral("grpReference"));
    auto *referenceBox = new QVBoxLayout(grpReference);
    lblReference = new QLabel(grpReference);
    lblReference->setObjectName(QStringLiteral("lblReference"));
    lblReference->setWordWrap(true);
    lblReference->setTextFormat(Qt::PlainText);
    referenceBox->addWidget(lblReference);
    auto *referenceButtons = new QHBoxLayout;
    btnKeepReference = Button(QStringLiteral("Keep as &Reference"), QStringLiteral("btnKeepReference"),
                              QStringLiteral("Keeps this sweep in the data folder and draws it in grey behind the "
                                             "next sweeps, here and in the scope"),
                              grpReference);
    btnClearReference = Button(QStringLiteral("C&lear Reference"), QStringLiteral("btnClearReference"),
                               QStringLiteral("Forgets the reference sweep"), grpReference);
    connect(btnKeepReference, &QPushButton::clicked, this, [this] { btnKeepReferenceClick(); });
    connect(btnClearReference, &QPushButton::clicked, this, [this] { btnClearReferenceClick(); });
    referenceButtons->addWidget(btnKeepReference);
    referenceButtons->addWidget(btnClearReference);
    referenceBox->addLayout(referenceButtons);
    side->addWidget(grpReference);
    side->addStretch(1);
    return side;
}

QHBoxLayout *TSweepAnalysis::BuildButtonRow()
{
    auto *buttons = new QHBoxLayout;
    btnOpen = Button(QStringLiteral("&Open\u2026"), QStringLiteral("btnOpen"),
                     QStringLiteral("Opens a sweep saved as CSV by the scope, by tools700-cli scope or by this window"),
                     this);
    btnSaveCsv = Button(QStringLiteral("Save &CSV\u2026"), QStringLiteral("btnSaveCsv"),
                        QStringLiteral("Saves the sweep with its cursors, zoom and figures as CSV"), this);
    btnSavePicture = Button(QStringLiteral("Save &Picture\u2026"), QStringLiteral("btnSavePicture"),
                            QStringLiteral("Saves the chart with the read-outs and figures as a PNG picture"), this);
    btnPrint = Button(QStringLiteral("Pr&int\u2026"), QStringLiteral("btnPrint"),
                      QStringLiteral("Prints the chart with the read-outs and figures"), this);
    btnResetZoom = Button(QStringLiteral("Reset &Zoom"), QStringLiteral("btnResetZoom"),
                          QStringLiteral("Shows the whole sweep (key 0 on the chart)"), this);
    btnHelp = Button(QStringLiteral("&Help"), QStringLiteral("btnHelp"), QString(), this);
    btnClose = Button(QStringLiteral("Close"), QStringLiteral("btnClose"), QString(), this);
    connect(btnOpen, &QPushButton::clicked, this, [this] { btnOpenClick(); });
    connect(btnSaveCsv, &QPushButton::clicked, this, [this] { btnSaveCsvClick(); });
    connect(btnSavePicture, &QPushButton::clicked, this, [this] { btnSavePictureClick(); });
    connect(btnPrint, &QPushButton::clicked, this, [this] { btnPrintClick(); });
    connect(btnResetZoom, &QPushButton::clicked, this, [this] { btnResetZoomClick(); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::hide);
    for (QPushButton *b : {btnOpen, btnSaveCsv, btnSavePicture, btnPrint, btnResetZoom})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(btnHelp);
    buttons->addWidget(btnClose);
    return buttons;
}

} // namespace tools700
