#include "tools700/tuning/Tuning.h"

#include "tools700/common/Messages.h"
#include "tools700/common/Session.h"
#include "tools700/tuning/InertiaRDlg.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/WindowWorker.h"
#include "tools700/widgets/Application.h"
#include "tools700/widgets/Controls.h"
#include "tools700/widgets/HelpViewer.h"
#include "tools700/widgets/Slider.h"
#include "tools700/widgets/UserNumbers.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFrame>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace tools700 {

using namespace tuning;

namespace {

constexpr int kWidth = 540;
constexpr int kHeight = 336;
constexpr int kButtonsY = 296;

// A panel that covers other controls with a warning in one or more lines.
QFrame *Panel(QWidget *parent, const char *name, const QStringList &lines, const QList<bool> &bold, QRect at)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setAutoFillBackground(true);
    panel->setGeometry(at);
    auto *layout = new QVBoxLayout(panel);
    for (int i = 0; i < lines.size(); ++i) {
        auto *l = new QLabel(lines[i], panel);
        l->setAlignment(Qt::AlignCenter);
        l->setWordWrap(true);
        if (bold.value(i)) {
            QFont f = l->font();
            f.setBold(true);
            l->setFont(f);
        }
        layout->addWidget(l);
    }
    panel->setAccessibleName(lines.join(QLatin1Char(' ')));
    panel->hide();
    return panel;
}

QLabel *Reader(const QString &text, const QColor &background, QWidget *parent, const char *name, QRect at)
{
    QLabel *l = Placed(NewLabel(parent, QString::fromLatin1(name), text), at);
    l->setAutoFillBackground(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, background);
    pal.setColor(QPalette::WindowText, Qt::white);
    l->setPalette(pal);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont f = l->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.4);
    l->setFont(f);
    return l;
}

} // namespace

TTuning::TTuning(Session &session, Messages &messages, QWidget *parent)
    : QDialog(parent), session_(session), messages_(messages),
      worker_(std::make_unique<WindowWorker>(this, messages)), core_(worker_->Questions())
{
    setObjectName(QStringLiteral("Tuning"));
    setWindowTitle(QStringLiteral("Tuning Wizard"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    setProperty("helpContext", kHelpTuning);
    setModal(false);
    setFixedSize(kWidth, kHeight);
    BuildControls();
}

void TTuning::BuildControls()
{
    QLabel *motor = Placed(NewLabel(this, QStringLiteral("lblMotor"), QStringLiteral("Motor")), QRect{10, 12, 50, 22});
    edtMotor = Placed(NewEdit(this, QStringLiteral("edtMotor"), motor), QRect{62, 12, 150, 22});
    edtMotor->setReadOnly(true);
    QLabel *drive = Placed(NewLabel(this, QStringLiteral("lblDrive"), QStringLiteral("Drive")), QRect{232, 12, 44, 22});
    edtDrive = Placed(NewEdit(this, QStringLiteral("edtDrive"), drive), QRect{278, 12, 100, 22});
    edtDrive->setReadOnly(true);
    QLabel *ratio = Placed(NewLabel(this, QStringLiteral("lblInertiaR"), QStringLiteral("Inertia Ratio")),
                           QRect{10, 44, 90, 22});
    edtInertiaR = Placed(NewEdit(this, QStringLiteral("edtInertiaR"), ratio), QRect{104, 44, 70, 22});
    edtInertiaR->setToolTip(QStringLiteral("Load-to-motor inertia ratio, 0 to 100"));

    QLabel *bandwidth = Placed(NewLabel(this, QStringLiteral("lblBandWidth"), QStringLiteral("BandWidth")),
                               QRect{10, 78, 100, 18});
    AbHSlider1 = new TScaleSlider(this);
    AbHSlider1->setObjectName(QStringLiteral("AbHSlider1"));
    AbHSlider1->setRange(0, kSliderMax);
    AbHSlider1->SetScale(5, 5);
    AbHSlider1->SetUnit(QStringLiteral("Hz"));
    AbHSlider1->SetCaptions({QStringLiteral("Gentle"), QStringLiteral("Medium"), QStringLiteral("Stiff")});
    AbHSlider1->setValue(25);
    AbHSlider1->setGeometry(10, 98, 330, 84);
    AbHSlider1->setToolTip(QStringLiteral("Drag to choose the velocity loop's bandwidth"));
    AbHSlider1->installEventFilter(this);
    bandwidth->setBuddy(AbHSlider1);
    NameControl(AbHSlider1, QStringLiteral("BW"));
    Panel1 = Panel(this, "Panel1", {QStringLiteral("The value is out of the slider's range .")}, {false},
                   {10, 98, 330, 84});

    Placed(NewLabel(this, QStringLiteral("lblBandWidth2"), QStringLiteral("BandWidth")), QRect{356, 78, 100, 18});
    lblBWReader = Reader(QStringLiteral("000.0"), QColor(0, 128, 0), this, "lblBWReader", {356, 98, 110, 30});
    // A read-out is read by the number it shows; what the number is goes in its description.
    lblBWReader->setAccessibleDescription(QStringLiteral("BandWidth in Hz"));
    Placed(NewLabel(this, QStringLiteral("lblHz"), QStringLiteral("Hz")), QRect{472, 98, 40, 30});
    lblPhase = Placed(NewLabel(this, QStringLiteral("lblPhase"), QStringLiteral("Phase Margin")),
                      QRect{356, 134, 120, 18});
    lblPhaseValue = Reader(QStringLiteral("50.00"), QColor(128, 0, 0), this, "lblPhaseValue", {356, 152, 110, 30});
    lblPhaseValue->setAccessibleDescription(QStringLiteral("Phase Margin in deg"));
    lblPhase2 = Placed(NewLabel(this, QStringLiteral("lblPhase2"), QStringLiteral("deg")), QRect{472, 152, 40, 30});
    Panel2 = Panel(this, "Panel2", {QStringLiteral("BW < Kvi"), QStringLiteral("Kvp is too low")}, {true, false},
                   {350, 76, 182, 110});
    Panel3 = Panel(this, "Panel3",
                   {QStringLiteral("BW > ARF0"), QStringLiteral("or BW > ARF1"), QStringLiteral("Kvp is too high")},
                   {true, true, false}, {350, 76, 182, 110});

    QLabel *kvp = Placed(NewLabel(this, QStringLiteral("lblKvp"), QStringLiteral("Kvp")), QRect{10, 200, 40, 22});
    edtKvp = Placed(NewEdit(this, QStringLiteral("edtKvp"), kvp), QRect{54, 200, 90, 22});
    Placed(NewLabel(this, QStringLiteral("lblKvpUnit"), QStringLiteral("amp/rad/sec")), QRect{148, 200, 100, 22});
    QLabel *kvi = Placed(NewLabel(this, QStringLiteral("lblKvi"), QStringLiteral("Kvi")), QRect{10, 234, 40, 22});
    edtKvi = Placed(NewEdit(this, QStringLiteral("edtKvi"), kvi), QRect{54, 234, 90, 22});
    Placed(NewLabel(this, QStringLiteral("lblKviUnit"), QStringLiteral("Hz")), QRect{148, 234, 40, 22});
    lblARF0 = Placed(NewLabel(this, QStringLiteral("lblARF0"), QStringLiteral("ARF0")), QRect{280, 200, 44, 22});
    edtARF0 = Placed(NewEdit(this, QStringLiteral("edtARF0"), lblARF0), QRect{326, 200, 90, 22});
    Placed(NewLabel(this, QStringLiteral("lblARF0Unit"), QStringLiteral("Hz")), QRect{420, 200, 40, 22});
    lblARF1 = Placed(NewLabel(this, QStringLiteral("lblARF1"), QStringLiteral("ARF1")), QRect{280, 234, 44, 22});
    edtARF1 = Placed(NewEdit(this, QStringLiteral("edtARF1"), lblARF1), QRect{326, 234, 90, 22});
    Placed(NewLabel(this, QStringLiteral("lblARF1Unit"), QStringLiteral("Hz")), QRect{420, 234, 40, 22});

    btnOrignal = NewButton(this, QStringLiteral("btnOrignal"), QStringLiteral("Undo All"), EnterKey::NeverPresses);
    btnOrignal->setGeometry(10, kButtonsY, 80, 28);
    btnOrignal->setToolTip(QStringLiteral("Brings back the values the wizard started with"));
    btnDefault = NewButton(this, QStringLiteral("btnDefault"), QStringLiteral("Default"), EnterKey::NeverPresses);
    btnDefault->setGeometry(96, kButtonsY, 80, 28);
    btnDefault->setToolTip(QStringLiteral("Kvi 5, ARF0 150, ARF1 750 and a bandwidth of 75 Hz"));
    btnApply = NewButton(this, QStringLiteral("btnApply"), QStringLiteral("Apply"), EnterKey::NeverPresses);
    btnApply->setGeometry(182, kButtonsY, 80, 28);
    btnApply->setToolTip(QStringLiteral("Writes Kvp, Kvi, ARF0 and ARF1 to the drive"));
    // After Apply on line: a link to the scope, armed for one sweep of the new loop's step response.
    btnStepResponse = NewButton(this, QStringLiteral("btnStepResponse"), QStringLiteral("Look at the step response"),
                                EnterKey::NeverPresses);
    btnStepResponse->setGeometry(10, 262, 220, 26);
    btnStepResponse->setFlat(true);
    btnStepResponse->setCursor(Qt::PointingHandCursor);
    btnStepResponse->setStyleSheet(QStringLiteral("QPushButton { color: #0645ad; text-align: left; border: none; }"));
    QFont underlined = btnStepResponse->font();
    underlined.setUnderline(true);
    btnStepResponse->setFont(underlined);
    btnStepResponse->setToolTip(QStringLiteral("Opens the oscilloscope armed for one sweep of Velocity Command and "
                                               "Velocity Feedback; the sweep analysis shows its step figures"));
    btnStepResponse->hide();
    btnHelp = NewButton(this, QStringLiteral("btnHelp"), QStringLiteral("Help"), EnterKey::NeverPresses);
    btnClose = NewButton(this, QStringLiteral("btnClose"), QStringLiteral("Close"), EnterKey::NeverPresses);

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(600);
    Timer2->setSingleShot(true);

    const std::pair<QLineEdit *, EditField> edits[] = {{edtInertiaR, kFieldInertiaRatio}, {edtKvp, kFieldKvp},
                                                       {edtKvi, kFieldKvi}, {edtARF0, kFieldARF0}, {edtARF1, kFieldARF1}};
    for (const auto &[edit, field] : edits)
        connect(edit, &QLineEdit::textEdited, this, [this, f = field] { EditKeyPress(f); });
    connect(AbHSlider1, &QSlider::valueChanged, this, [this](int v) { AbHSlider1ValueChange(v); });
    connect(AbHSlider1, &QSlider::sliderReleased, this, [this] { AbHSlider1MouseUp(); });
    connect(Timer2, &QTimer::timeout, this, [this] { RunAction([this] { Timer2Timer(); }); });
    connect(btnOrignal, &QPushButton::clicked, this, [this] { btnOrignalClick(); });
    connect(btnDefault, &QPushButton::clicked, this, [this] { btnDefaultClick(); });
    connect(btnApply, &QPushButton::clicked, this, [this] { RunAction([this] { btnApplyClick(); }); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });
    connect(btnStepResponse, &QPushButton::clicked, this, [this] { btnStepResponseClick(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { RunAction([this] { btnCloseClick(); }); });
}

TTuning::~TTuning() { worker_.reset(); }

bool TTuning::DriveBusy() const { return worker_->Busy(); }

void TTuning::StartOnline()
{
    if (worker_->Busy())
        return;
    Prepare(kOnline);
    // The wizard's rules stay still while the drive is read (a start while it is shown).
    Timer2->stop();
    setEnabled(false);
    worker_->Run<DriveTuningData>([] { return ReadDriveTuningData(); },
                                  [this](const DriveTuningData &read) {
                                      setEnabled(true);
                                      if (core_.TakeTuningData(read) == 0)
                                          ShowWizard();
                                  });
}

QLineEdit *TTuning::Edit(EditField field) const
{
    QLineEdit *const edits[kFieldCount] = {edtInertiaR, edtKvp, edtKvi, edtARF0, edtARF1};
    return edits[field];
}

EditTexts TTuning::EditTexts() const
{
    tuning::EditTexts texts;
    for (int i = 0; i < kFieldCount; ++i)
        texts[static_cast<std::size_t>(i)] = Edit(static_cast<EditField>(i))->text().toStdString();
    return texts;
}

void TTuning::Prepare(int tuningMode, const std::string &drive, const std::string &motor)
{
    core_.DecimalPoint = UserDecimalPoint();
    core_.TuningMode = tuningMode;
    if (tuningMode == kOffline) {
        core_.DriveText = drive;
        core_.MotorName = motor;
    }
}

void TTuning::ShowWizard()
{
    CenterOnScreen(*this);
    // Shown again while open (a new start from the main window): the new start's data are shown.
    if (isVisible())
        FormActivate();
    show();
    raise();
    activateWindow();
}

void TTuning::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormActivate();
}

void TTuning::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous() || !worker_->Busy())
        return;
    worker_->Cancel();
    closing_ = false;
    setEnabled(true);
}

void TTuning::FormActivate()
{
    core_.Activate(session_.InertiaRatio);
    const bool online = core_.TuningMode == kOnline;
    if (online) {
        btnHelp->setGeometry(384, kButtonsY, 57, 28);
        btnClose->setGeometry(448, kButtonsY, 57, 28);
    } else {
        btnHelp->setGeometry(320, kButtonsY, 89, 28);
        btnClose->setGeometry(416, kButtonsY, 89, 28);
    }
    Refresh();
    StartTimer();
    btnClose->setFocus();
}

void TTuning::Refresh()
{
    const TuningView &v = core_.View();
    edtMotor->setText(Q(v.motor));
    edtDrive->setText(Q(v.drive));
    for (int i = 0; i < kFieldCount; ++i) {
        QLineEdit *e = Edit(static_cast<EditField>(i));
        if (e->text() != Q(v.edit[i]))
            e->setText(Q(v.edit[i]));
    }
    {
        const QSignalBlocker quiet(AbHSlider1);
        AbHSlider1->setValue(qRound(v.sliderValue));
    }
    AbHSlider1->setVisible(v.sliderVisible);
    Panel1->setVisible(v.outOfSliderRange);
    if (v.outOfSliderRange)
        Panel1->raise();
    lblBWReader->setText(Q(v.bandwidthReader));
    for (QWidget *w : {static_cast<QWidget *>(lblPhase), static_cast<QWidget *>(lblPhaseValue),
                       static_cast<QWidget *>(lblPhase2)})
        w->setVisible(v.phaseVisible);
    lblPhaseValue->setText(Q(v.phaseValue));
    Panel2->setVisible(v.kvpTooLow);
    Panel3->setVisible(v.kvpTooHigh);
    Panel2->raise();
    Panel3->raise();
    btnApply->setVisible(v.applyVisible);
    btnOrignal->setVisible(v.applyVisible);
    btnApply->setEnabled(v.applyEnabled);
    btnStepResponse->setVisible(core_.Applied && session_.Available(Window::StepResponse));
}

void TTuning::StartTimer()
{
    if (!Timer2->isActive())
        Timer2->start();
}

void TTuning::EditKeyPress(EditField field)
{
    core_.KeyPress(field);
    StartTimer();
}

void TTuning::AbHSlider1ValueChange(int value) { core_.SliderChanged(value); }

void TTuning::AbHSlider1MouseUp()
{
    if (core_.SliderReleased()) {
        Refresh();
        StartTimer();
    }
}

bool TTuning::eventFilter(QObject *watched, QEvent *event)
{
    // A click on the groove moves the slider without dragging its handle, and the arrow keys move
    // it too: letting go of the button or the key ends the move like releasing the handle.
    if (watched == AbHSlider1 &&
        (event->type() == QEvent::MouseButtonRelease ||
         (event->type() == QEvent::KeyRelease && !static_cast<QKeyEvent *>(event)->isAutoRepeat())))
        QTimer::singleShot(0, this, [this] { AbHSlider1MouseUp(); });
    return QDialog::eventFilter(watched, event);
}

void TTuning::Shown(const std::function<void()> &action)
{
    // What the rules changed before an error is shown too.
    try {
        action();
    } catch (...) {
        Refresh();
        throw;
    }
    Refresh();
}

void TTuning::Timer2Timer()
{
    Timer2->stop();
    Shown([this] { core_.Evaluate(EditTexts()); });
}

void TTuning::btnOrignalClick()
{
    core_.UndoAll(session_.InertiaRatio);
    Refresh();
    StartTimer();
}

void TTuning::btnDefaultClick()
{
    core_.Default();
    Refresh();
    StartTimer();
}

void TTuning::btnApplyClick()
{
    if (worker_->Busy())
        return;
    std::optional<tuning::Gains> wanted;
    Shown([&] { wanted = core_.CheckedGains(EditTexts()); });
    if (!wanted)
        return;
    btnApply->setEnabled(false);
    worker_->Run<bool>(
        [this, gains = *wanted, point = core_.DecimalPoint] { return ApplyGains(gains, worker_->Questions(), point); },
        [this](const bool &written) {
            if (written)
                core_.MarkApplied();
        },
        // What the rules decided is shown, also after a refused write's error.
        [this] { Refresh(); });
}

void TTuning::btnHelpClick() { AppHelp().ShowContext(kHelpTuning); }

void TTuning::btnStepResponseClick()
{
    session_.Sweeps.StepBandwidthHz = core_.BW;
    session_.Open(Window::StepResponse);
}

void TTuning::btnCloseClick()
{
    if (closing_ || worker_->Busy())
        return;
    closing_ = true;
    Timer2->stop();
    // The last change first, when the user wants it applied.
    if (core_.OffersLastChange() && messages_.Confirm(tuning::kApplyLastChange)) {
        std::optional<tuning::Gains> wanted;
        try {
            wanted = core_.CheckedGains(EditTexts());
        } catch (...) {
            closing_ = false;
            Refresh();
            throw;
        }
        if (wanted) {
            auto applied = std::make_shared<bool>(false);
            worker_->Run<bool>(
                [this, gains = *wanted, point = core_.DecimalPoint] { return ApplyGains(gains, worker_->Questions(), point); },
                [this, applied](const bool &written) {
                    *applied = true;
                    if (written)
                        core_.MarkApplied();
                },
                [this, applied] {
                    // A refused write ends Close with its error: the window stays, Close can be
                    // pressed again.
                    if (*applied) {
                        CloseAfterApply();
                    } else {
                        closing_ = false;
                        Refresh();
                    }
                });
            return;
        }
    }
    CloseAfterApply();
}

void TTuning::CloseAfterApply()
{
    if (!core_.OffersNvSave() || !messages_.Confirm(tuning::kSaveInNvram)) {
        CloseEnd();
        return;
    }
    worker_->Run<bool>([] { return DriveAnswers(); }, [this](const bool &answers) {
        if (!answers) {
            messages_.Warning(tuning::kNoCommunication, BtnOk);
            CloseEnd();
            return;
        }
        session_.SuspendStatusPolling();
        worker_->Run<int>([] { return SaveInNvram(); }, [this](const int &status) {
            messages_.Warning(status == 0 ? tuning::kNvSaveDone : tuning::kNvSaveFailed, BtnOk);
            // The drive is busy writing its memory for a while after it answers.
            QTimer::singleShot(1000, this, [this] {
                session_.ResumeStatusPolling();
                CloseEnd();
            });
        });
    });
}

void TTuning::CloseEnd()
{
    closing_ = false;
    core_.FinishClose(session_);
    Refresh();
    hide();
}

void TTuning::closeEvent(QCloseEvent *event)
{
    // The title bar's close button asks what Close asks; the window only hides.
    event->ignore();
    RunAction([this] { btnCloseClick(); });
}

} // namespace tools700
