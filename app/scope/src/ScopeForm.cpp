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
