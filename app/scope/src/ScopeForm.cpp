#include "tools700/scope/ScopeForm.h"

#include "tools700/Messages.h"
#include "tools700/Session.h"
#include "tools700/common/NumberText.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/scope/ScopeGraph.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/HandOver.h"
#include "tools700/widgets/UserNumbers.h"

#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QFocusEvent>
#include <QFrame>
#include <QGraphicsScene>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>

#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <utility>

namespace tools700 {

namespace {

constexpr int kWidth = 781;
constexpr int kHeight = 468;
// Every fifth tick of Timer1 (250 ms): the blinking caption and the "No communications!" panel.
constexpr int kSlowTicks = 5;

QString Q(const std::string &text) { return QString::fromStdString(text); }

// The shortest general text of a number (15 significant digits, as the number boxes show it),
// with the user's decimal separator.
QString NumberText(double value)
{
    QString text = UserNumberText(numtext::General(value)).toUpper();
    // "1E+20" is written "1E20", "1E-05" "1E-5".
    const int e = text.indexOf(QLatin1Char('E'));
    if (e >= 0) {
        QString exponent = text.mid(e + 1);
        const bool negative = exponent.startsWith(QLatin1Char('-'));
        exponent.remove(0, exponent.startsWith(QLatin1Char('-')) || exponent.startsWith(QLatin1Char('+')) ? 1 : 0);
        while (exponent.size() > 1 && exponent.startsWith(QLatin1Char('0')))
            exponent.remove(0, 1);
        text = text.left(e + 1) + (negative ? QStringLiteral("-") : QString()) + exponent;
    }
    return text;
}

// "####00.000": at least two integer digits and three decimals (QString::asprintf writes C
// notation; the user's separator replaces its point).
QString SecondsText(double seconds) { return UserNumberText(QString::asprintf("%06.3f", seconds).toStdString()); }
// "#0.000".
QString ValueText(double value) { return UserNumberText(numtext::Fixed(value, 3)); }

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

TScopeForm::TScopeForm(Session &session, Messages &messages, QWidget *parent, scope::ScopeReader reader)
    : QDialog(parent), session_(session), messages_(messages),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setObjectName(QStringLiteral("ScopeForm"));
    setWindowTitle(QStringLiteral("DazuDizir"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    setProperty("helpContext", kHelpScopeWindow);
    setFixedSize(kWidth, kHeight);
    setModal(false);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(p);
    setAutoFillBackground(true);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    setupPrinter = [this](QPrinter &printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    chooseSaveFile = [this](const QString &caption, const QString &filter) {
        return QFileDialog::getSaveFileName(this, caption, QString(), filter);
    };

    BuildControls();
    // The engine and its pump; the pump's thread starts with the first activation.
    scope_ = std::make_unique<scope::TScope>(*graph, &store_, session_.ProgramDir);
    pump_ = std::make_unique<scope::DataPump>(
        *scope_,
        [this] {
            // From the pump's thread: the frame is drawn on this window's thread, which lets the
            // pump go on. The window joins the pump before it goes, so `this` outlives the call.
            PostToObjectThread(this, [this] { pump_->ServeFrame(); });
        },
        std::move(reader));
    FormCreate();
    // The sweep analysis reads the history and draws its reference here through the session.
    session_.Sweeps.SetHistorySource([this] { return HistorySweeps(); });
    referenceListener_ = session_.Sweeps.OnReferenceChanged([this] { ShowReference(); });
    ShowReference();
}

TScopeForm::~TScopeForm()
{
    session_.Sweeps.SetHistorySource(nullptr);
    session_.Sweeps.Remove(referenceListener_);
    FormDestroy();
}

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

void TScopeForm::FormCreate()
{
    // The three check boxes, up to the first value that cannot be read.
    store_.Reopen();
    QCheckBox *boxes[] = {ckbThickTrace1, ckbThickTrace2, ckbSingleSweep};
    const char *names[] = {"ThickTrace1", "ThickTrace2", "SingleSweep"};
    for (int i = 0; i < 3; ++i) {
        const std::optional<int> v = store_.ReadInt("", names[i]);
        if (!v)
            break;
        boxes[i]->setChecked(*v != 0);
    }
    graph->SetSubsetLabel(0, QStringLiteral("CH1"));
    graph->SetSubsetLabel(1, QStringLiteral("CH2"));
    ckbThickTrace1Click();
    ckbThickTrace2Click();
    ckbSingleSweepClick();
    for (int i = 0; i < 4; ++i) {
        graph->SetXData(0, i, 0);
        graph->SetYData(0, i, 0);
    }
    pnlNoComm->lower();
    pnlNoComm->hide();
    Timer1->start();
}

void TScopeForm::FormActivate()
{
    std::vector<std::string> texts;
    for (auto [box, map] : {std::pair{cmbSource1, "dm1map"}, std::pair{cmbSource2, "dm2map"}}) {
        FillEnumList(texts, map);
        QStringList items;
        for (const std::string &t : texts)
            items << Q(t);
        // A list that already holds these texts stays as it is: emptied and filled again while its
        // drop-down is open (an activation that comes with the choice), it would lose the choice.
        QStringList held;
        for (int i = 0; i < box->count(); ++i)
            held << box->itemText(i);
        if (held == items)
            continue;
        const QSignalBlocker block(box);
        box->clear();
        box->addItems(items);
    }
    RefreshControls();
    cmbTriggerChange();
    cmbSource1Change();
    cmbSource2Change();
    cmbTimebaseChange();
    pump_->Start();
    pump_->Resume();
}

void TScopeForm::FormShow()
{
    for (auto [button, window] : {std::pair{btnSwitch, Window::OnlineDrive}, std::pair{btnAnalysis, Window::SweepAnalysis}}) {
        button->setEnabled(session_.Available(window));
        button->setAccessibleDescription(button->isEnabled() ? QString()
                                                             : QStringLiteral("Not available: %1 is not part of this build.")
                                                                   .arg(QLatin1String(WindowTitle(window))));
    }
    pump_->Start();
}

void TScopeForm::FormHide() { pump_->Stop(); }

void TScopeForm::FormClose()
{
    pump_->Stop();
    store_.Reopen();
    scope_->SaveSettings(&store_);
    store_.WriteInt("", "ThickTrace1", ckbThickTrace1->isChecked() ? 1 : 0);
    store_.WriteInt("", "ThickTrace2", ckbThickTrace2->isChecked() ? 1 : 0);
    store_.WriteInt("", "SingleSweep", ckbSingleSweep->isChecked() ? 1 : 0);
    store_.Sync();
}

void TScopeForm::FormDestroy()
{
    if (pump_)
        pump_->Terminate();
}

void TScopeForm::RefreshControls()
{
    const int trigger = scope_->TriggerSource();
    {
        const QSignalBlocker block(cmbTrigger);
        cmbTrigger->setCurrentIndex(trigger >= 0 && trigger < cmbTrigger->count() ? trigger : -1);
    }
    QString triggerUnits;
    if (trigger == scope::kTriggerNone)
        triggerUnits = QStringLiteral("none");
    else if (trigger == scope::kCh1Rising || trigger == scope::kCh1Falling)
        triggerUnits = Q(scope_->SourceUnits(1));
    else if (trigger == scope::kCh2Rising || trigger == scope::kCh2Falling)
        triggerUnits = Q(scope_->SourceUnits(2));
    else
        triggerUnits = QStringLiteral("none!");
    lblTriggerUnits->setText(triggerUnits);
    edtTriggerLevel->setText(NumberText(scope_->TriggerLevel()));
    {
        const QSignalBlocker block(cmbTimebase);
        cmbTimebase->setCurrentIndex(scope::TimebaseIndex(scope_->Timebase()));
    }
    struct ChannelControls {
        QComboBox *source;
        QLabel *units, *gainUnits, *offsetUnits;
        QLineEdit *gain, *offset;
    };
    const ChannelControls controls[] = {
        {cmbSource1, lblCh1Units, lblGain1Units, lblOffset1Units, edtCh1Gain, edtCh1Offset},
        {cmbSource2, lblCh2Units, lblGain2Units, lblOffset2Units, edtCh2Gain, edtCh2Offset}};
    for (int ch = 1; ch <= 2; ++ch) {
        const ChannelControls &c = controls[ch - 1];
        {
            const QSignalBlocker block(c.source);
            c.source->setCurrentIndex(c.source->findText(Q(scope_->SourceName(ch)), Qt::MatchExactly));
        }
        const QString units = Q(scope_->SourceUnits(ch));
        for (QLabel *l : {c.units, c.gainUnits, c.offsetUnits}) {
            l->setText(units);
            l->setToolTip(units);
        }
        c.gain->setText(NumberText(scope_->Scale(ch)));
        c.offset->setText(NumberText(scope_->Offset(ch)));
    }
    ShowReference();
}

void TScopeForm::cmbSource1Change()
{
    scope_->SetSource(1, cmbSource1->currentText().toStdString());
    graph->SetSubsetLabel(0, cmbSource1->currentText());
    RefreshControls();
}

void TScopeForm::cmbSource2Change()
{
    scope_->SetSource(2, cmbSource2->currentText().toStdString());
    graph->SetSubsetLabel(1, cmbSource2->currentText());
    RefreshControls();
}

void TScopeForm::cmbTriggerChange()
{
    const int index = cmbTrigger->currentIndex();
    scope_->SetTriggerSource(index);
    RefreshControls();
    edtTriggerLevel->setEnabled(index != 0);
}

void TScopeForm::cmbTimebaseChange()
{
    const int index = cmbTimebase->currentIndex();
    scope_->SetTimebase(scope::kTimebases[static_cast<std::size_t>(index >= 0 ? index : 0)].value);
}

std::optional<double> TScopeForm::ReadBoundedFloat(QLineEdit *edit, double min, double max)
{
    const std::optional<double> value = ReadUserNumber(edit->text());
    QString error;
    if (!value)
        error = QString::fromStdString(numtext::NotANumberText(edit->text().toStdString()));
    else if (!(min <= *value && *value <= max))
        error = QStringLiteral("bounds error");
    if (error.isEmpty())
        return *value;
    // The box takes the focus from the edit: that loss of focus is no new entry.
    reading_ = true;
    messages_.Message(error.toStdString());
    reading_ = false;
    edit->setFocus(Qt::OtherFocusReason);
    return std::nullopt;
}

void TScopeForm::edtTriggerLevelExit()
{
    if (const auto v = ReadBoundedFloat(edtTriggerLevel, -1e30, 1e30)) {
        scope_->SetTriggerLevel(*v);
        graph->Update();
    }
}

void TScopeForm::edtCh1GainExit()
{
    if (const auto v = ReadBoundedFloat(edtCh1Gain, 1e-10, 1e10))
        scope_->SetScale(1, *v);
}

void TScopeForm::edtCh1OffsetExit()
{
    if (const auto v = ReadBoundedFloat(edtCh1Offset, -1e30, 1e30))
        scope_->SetOffset(1, *v);
}

void TScopeForm::edtCh2GainExit()
{
    if (const auto v = ReadBoundedFloat(edtCh2Gain, 1e-10, 1e10))
        scope_->SetScale(2, *v);
}

void TScopeForm::edtCh2OffsetExit()
{
    if (const auto v = ReadBoundedFloat(edtCh2Offset, -1e10, 1e10))
        scope_->SetOffset(2, *v);
}

void TScopeForm::Exit(QLineEdit *edit)
{
    if (edit == edtTriggerLevel)
        edtTriggerLevelExit();
    else if (edit == edtCh1Gain)
        edtCh1GainExit();
    else if (edit == edtCh1Offset)
        edtCh1OffsetExit();
    else if (edit == edtCh2Gain)
        edtCh2GainExit();
    else if (edit == edtCh2Offset)
        edtCh2OffsetExit();
    ShowReference();
}

bool TScopeForm::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (edit && !reading_) {
        if (event->type() == QEvent::FocusOut) {
            // Leaving the edit for another control is an entry; another window or a list
            // opening over the window is not.
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                Exit(edit);
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                Exit(edit);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TScopeForm::ckbThickTrace1Click()
{
    graph->SetSubsetLineType(0, ckbThickTrace1->isChecked() ? kThickLine : kNormalLine);
}

void TScopeForm::ckbThickTrace2Click()
{
    graph->SetSubsetLineType(1, ckbThickTrace2->isChecked() ? kThickLine : kNormalLine);
}

void TScopeForm::ckbSingleSweepClick()
{
    pump_->SetSingleSweep(ckbSingleSweep->isChecked());
    btnReset->setEnabled(ckbSingleSweep->isChecked());
}

void TScopeForm::btnResetClick()
{
    btnReset->setEnabled(false);
    // The pump's thread makes the request: this window never waits for the drive.
    pump_->RequestArm();
    sweepArmed_ = true;
}

void TScopeForm::Timer1Timer()
{
    btnReset->setEnabled(pump_->SweepDone() && ckbSingleSweep->isChecked());
    // The end of an armed sweep: the sweep analysis shows it (and opens for a step response).
    // Waiting alone is no end: the arm request may not have gone out yet; the sweep is done only
    // once its last frame has been drawn.
    if (sweepArmed_ && pump_->State() == scope::SweepState::Continuous) {
        sweepArmed_ = analyseAtSweepEnd_ = false;
    } else if (sweepArmed_ && pump_->State() == scope::SweepState::Waiting && pump_->SweepDone()) {
        sweepArmed_ = false;
        session_.Sweeps.SweepEnded();
        if (std::exchange(analyseAtSweepEnd_, false))
            session_.Open(Window::SweepAnalysis);
    }
    graphCursorMoved();
    if (++ticks_ >= kSlowTicks) {
        ticks_ = 0;
        if (ckbSingleSweep->isChecked())
            ckbSingleSweep->setText(ckbSingleSweep->text().isEmpty() ? QStringLiteral("Enabled") : QString());
        else
            ckbSingleSweep->setText(QStringLiteral("Enabled"));
        if (pump_->ReadOk()) {
            pnlNoComm->lower();
            pnlNoComm->hide();
        } else {
            pnlNoComm->show();
            pnlNoComm->raise();
        }
    }
    emit ticked();
}

QString TScopeForm::CursorPositionText() const
{
    return SecondsText(graph->GetXData(0, graph->GetCursorPoint()));
}

void TScopeForm::graphCursorMoved()
{
    const int p = graph->GetCursorPoint();
    setWindowTitle(QStringLiteral("Cursor @ ") + CursorPositionText() + QStringLiteral(" seconds"));
    // The drawn values turned back into signal units.
    const QString v1 = ValueText(scope_->Scale(1) * graph->GetYData(0, p) - scope_->Offset(1));
    const QString v2 = ValueText(scope_->Scale(2) * graph->GetYData(1, p) - scope_->Offset(2));
    edtCursorValue1->setText(v1);
    edtCursorValue2->setText(v2);
    graph->setAccessibleDescription(
        graph->CursorEnabled()
            ? QStringLiteral("Cursor at point %1, %2 seconds; Ch1 %3, Ch2 %4").arg(p).arg(CursorPositionText(), v1, v2)
            : QStringLiteral("Cursor off"));
}

void TScopeForm::btnPrintClick()
{
    if (!setupPrinter || !setupPrinter(*printer_))
        return;
    btnPrint->setEnabled(false);
    PrintSummary(*printer_);
    btnPrint->setEnabled(true);
}

void TScopeForm::PrintSummary(QPrinter &printer)
{
    const QString cursor = CursorPositionText();
    printer.setDocName(QStringLiteral("DazuDizir Summary"));
    QPainter painter;
    if (!painter.begin(&printer)) {
        messages_.Message("Can't print: the printer could not be started");
        return;
    }
    QFont font = painter.font();
    font.setPointSize(10);
    painter.setFont(font);
    const QStringList lines = {
        QStringLiteral("DazuDizir Summary ") + QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat),
        QStringLiteral(" "),
        QStringLiteral("Cursor Position: ") + cursor + QStringLiteral(" seconds"),
        QStringLiteral(" "),
        QStringLiteral("Ch1 Source: ") + Q(scope_->SourceName(1)),
        QStringLiteral("Ch1 Scale:  ") + edtCh1Gain->text() + QLatin1Char(' ') + lblCh1Units->text() +
            QStringLiteral(" per division"),
        QStringLiteral("Ch1 Offset: ") + edtCh1Offset->text() + QLatin1Char(' ') + lblCh1Units->text(),
        QStringLiteral("Ch1 value at cursor:  ") + edtCursorValue1->text(),
        QStringLiteral(" "),
        QStringLiteral("Ch2 Source: ") + Q(scope_->SourceName(2)),
        QStringLiteral("Ch2 Scale:  ") + edtCh2Gain->text() + QLatin1Char(' ') + lblCh2Units->text() +
            QStringLiteral(" per division"),
        QStringLiteral("Ch2 Offset: ") + edtCh2Offset->text() + QLatin1Char(' ') + lblCh2Units->text(),
        QStringLiteral("Ch2 value at cursor:  ") + edtCursorValue2->text(),
        QStringLiteral(" "),
        QStringLiteral("Timebase: ") + cmbTimebase->currentText(),
        QStringLiteral(" "),
        QStringLiteral("Trigger Source: ") + cmbTrigger->currentText(),
        QStringLiteral("Trigger Level: ") + edtTriggerLevel->text() + QLatin1Char(' ') + lblTriggerUnits->text(),
    };
    // One logical unit per printer dot; each line below the one before by that line's height.
    int y = 200;
    const QFontMetrics metrics(painter.font(), &printer);
    for (const QString &line : lines) {
        const QRect box = metrics.boundingRect(line);
        painter.drawText(QRect(100, y, metrics.horizontalAdvance(line) + 1, metrics.height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, line);
        y += std::max(box.height(), metrics.height());
    }
    // The chart in the lower half: from the left edge, two thirds of the page wide.
    const int pageWidth = painter.device()->width();
    const int pageHeight = painter.device()->height();
    const QRect target(0, pageHeight / 2, pageWidth * 2 / 3, pageHeight / 2);
    graph->Update();
    graph->scene()->render(&painter, QRectF(target), graph->Chart()->sceneBoundingRect());
    painter.end();
}

void TScopeForm::btnSaveCsvClick()
{
    const QString file = chooseSaveFile ? chooseSaveFile(QStringLiteral("Save CSV"), QStringLiteral("CSV files (*.csv)"))
                                        : QString();
    if (file.isEmpty())
        return;
    if (!scope_->WriteCsv(file.toStdString()))
        messages_.Message("Can't open file " + file.toStdString());
}

void TScopeForm::btnSavePictureClick()
{
    const QString file = chooseSaveFile ? chooseSaveFile(QStringLiteral("Save Picture"), QStringLiteral("PNG pictures (*.png)"))
                                        : QString();
    if (file.isEmpty())
        return;
    graph->Update();
    if (!graph->grab().save(file, "PNG"))
        messages_.Message("Can't open file " + file.toStdString());
}

void TScopeForm::btnSwitchClick() { session_.Open(Window::OnlineDrive); }

void TScopeForm::btnAnalysisClick() { session_.Open(Window::SweepAnalysis); }

std::optional<double> TScopeForm::StepTimebase(double bandwidthHz)
{
    if (!(bandwidthHz > 0))
        return std::nullopt;
    for (const scope::TimebaseEntry &entry : scope::kTimebases)
        if (entry.value >= 50.0 / bandwidthHz)
            return entry.value;
    return scope::kTimebases.back().value;
}

void TScopeForm::ArmStepResponse()
{
    scope_->SetSource(1, "Velocity Command");
    scope_->SetSource(2, "Velocity Feedback");
    // A level the technician set for this edge stays; else one just above standstill, which a
    // step up from standstill or from reverse crosses.
    if (scope_->TriggerSource() != scope::kCh1Rising || !(scope_->TriggerLevel() > 0))
        scope_->SetTriggerLevel(1.0);
    scope_->SetTriggerSource(scope::kCh1Rising);
    if (const auto timebase = StepTimebase(session_.Sweeps.StepBandwidthHz))
        scope_->SetTimebase(*timebase);
    graph->SetSubsetLabel(0, Q(scope_->SourceName(1)));
    graph->SetSubsetLabel(1, Q(scope_->SourceName(2)));
    RefreshControls();
    edtTriggerLevel->setEnabled(true);
    ckbSingleSweep->setChecked(true);
    ckbSingleSweepClick();
    pump_->Resume();
    analyseAtSweepEnd_ = true;
    btnResetClick();
}

std::vector<Sweep> TScopeForm::HistorySweeps() const
{
    std::vector<Sweep> sweeps;
    int frame = 0;
    for (const scope::HistorySample &s : scope_->Samples()) {
        if (sweeps.empty() || s.frame != frame) {
            frame = s.frame;
            Sweep &sweep = sweeps.emplace_back();
            for (int ch = 1; ch <= 2; ++ch)
                sweep.channels[static_cast<std::size_t>(ch - 1)] = {scope_->SourceName(ch), scope_->SourceUnits(ch),
                                                                   scope_->Scale(ch), scope_->Offset(ch), {}};
            sweep.timebaseMs = scope_->Timebase();
            sweep.trigger = scope_->TriggerText();
        }
        Sweep &sweep = sweeps.back();
        sweep.seconds.push_back(s.seconds);
        sweep.channels[0].values.push_back(s.ch1);
        sweep.channels[1].values.push_back(s.ch2);
    }
    for (std::size_t i = 0; i < sweeps.size(); ++i)
        sweeps[i].origin = "Scope frame " + std::to_string(i + 1) + " of " + std::to_string(sweeps.size());
    return sweeps;
}

void TScopeForm::ShowReference()
{
    const auto &reference = session_.Sweeps.Reference();
    for (int ch = 1; ch <= 2; ++ch) {
        QList<QPointF> points;
        const SweepChannel *kept = reference ? &reference->Channel(ch) : nullptr;
        if (kept && kept->signal == scope_->SourceName(ch)) {
            const double scale = scope_->Scale(ch), offset = scope_->Offset(ch);
            for (std::size_t i = 0; i < reference->size() && i < kept->values.size(); ++i)
                points.append(QPointF(reference->seconds[i], (kept->values[i] + offset) / scale));
        }
        graph->SetReference(ch - 1, points);
    }
}

void TScopeForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TScopeForm::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    FormHide();
}

void TScopeForm::reject()
{
    // Closing by the title bar or Escape: the settings and the log are written.
    FormClose();
    QDialog::reject();
}

void TScopeForm::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

} // namespace tools700
