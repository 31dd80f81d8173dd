#include "tools700/tuning/Tuning.h"

#include "tools700/Messages.h"
#include "tools700/Session.h"
#include "tools700/tuning/InertiaRDlg.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/WindowWorker.h"
#include "tools700/widgets/Application.h"
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

QString Q(const std::string &text) { return QString::fromStdString(text); }

QLabel *Label(const QString &text, QWidget *parent, const char *name, QRect at)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(at);
    return l;
}

QLineEdit *Edit(QWidget *parent, const char *name, QLabel *label, QRect at, bool readOnly = false)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(at);
    e->setReadOnly(readOnly);
    label->setBuddy(e);
    NameControl(e, label->text());
    return e;
}

QPushButton *Button(const QString &caption, QWidget *parent, const char *name)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

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
    QLabel *l = Label(text, parent, name, at);
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
    QLabel *motor = Label(QStringLiteral("Motor"), this, "lblMotor", {10, 12, 50, 22});
    edtMotor = tools700::Edit(this, "edtMotor", motor, {62, 12, 150, 22}, true);
    QLabel *drive = Label(QStringLiteral("Drive"), this, "lblDrive", {232, 12, 44, 22});
    edtDrive = tools700::Edit(this, "edtDrive", drive, {278, 12, 100, 22}, true);
    QLabel *ratio = Label(QStringLiteral("Inertia Ratio"), this, "lblInertiaR", {10, 44, 90, 22});
    edtInertiaR = tools700::Edit(this, "edtInertiaR", ratio, {104, 44, 70, 22});
    edtInertiaR->setToolTip(QStringLiteral("Load-to-motor inertia ratio, 0 to 100"));

    QLabel *bandwidth = Label(QStringLiteral("BandWidth"), this, "lblBandWidth", {10, 78, 100, 18});
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

    Label(QStringLiteral("BandWidth"), this, "lblBandWidth2", {356, 78, 100, 18});
    lblBWReader = Reader(QStringLiteral("000.0"), QColor(0, 128, 0), this, "lblBWReader", {356, 98, 110, 30});
    // A read-out is read by the number it shows; what the number is goes in its description.
    lblBWReader->setAccessibleDescription(QStringLiteral("BandWidth in Hz"));
    Label(QStringLiteral("Hz"), this, "lblHz", {472, 98, 40, 30});
    lblPhase = Label(QStringLiteral("Phase Margin"), this, "lblPhase", {356, 134, 120, 18});
    lblPhaseValue = Reader(QStringLiteral("50.00"), QColor(128, 0, 0), this, "lblPhaseValue", {356, 152, 110, 30});
    lblPhaseValue->setAccessibleDescription(QStringLiteral("Phase Margin in deg"));
    lblPhase2 = Label(QStringLiteral("deg"), this, "lblPhase2", {472, 152, 40, 30});
    Panel2 = Panel(this, "Panel2", {QStringLiteral("BW < Kvi"), QStringLiteral("Kvp is too low")}, {true, false},
                   {350, 76, 182, 110});
    Panel3 = Panel(this, "Panel3",
                   {QStringLiteral("BW > ARF0"), QStringLiteral("or BW > ARF1"), QStringLiteral("Kvp is too high")},
                   {true, true, false}, {350, 76, 182, 110});

    QLabel *kvp = Label(QStringLiteral("Kvp"), this, "lblKvp", {10, 200, 40, 22});
    edtKvp = tools700::Edit(this, "edtKvp", kvp, {54, 200, 90, 22});
    Label(QStringLiteral("amp/rad/sec"), this, "lblKvpUnit", {148, 200, 100, 22});
    QLabel *kvi = Label(QStringLiteral("Kvi"), this, "lblKvi", {10, 234, 40, 22});
    edtKvi = tools700::Edit(this, "edtKvi", kvi, {54, 234, 90, 22});
    Label(QStringLiteral("Hz"), this, "lblKviUnit", {148, 234, 40, 22});
    lblARF0 = Label(QStringLiteral("ARF0"), this, "lblARF0", {280, 200, 44, 22});
    edtARF0 = tools700::Edit(this, "edtARF0", lblARF0, {326, 200, 90, 22});
    Label(QStringLiteral("Hz"), this, "lblARF0Unit", {420, 200, 40, 22});
    lblARF1 = Label(QStringLiteral("ARF1"), this, "lblARF1", {280, 234, 44, 22});
    edtARF1 = tools700::Edit(this, "edtARF1", lblARF1, {326, 234, 90, 22});
    Label(QStringLiteral("Hz"), this, "lblARF1Unit", {420, 234, 40, 22});

    btnOrignal = Button(QStringLiteral("Undo All"), this, "btnOrignal");
    btnOrignal->setGeometry(10, kButtonsY, 80, 28);
    btnOrignal->setToolTip(QStringLiteral("Brings back the values the wizard started with"));
    btnDefault = Button(QStringLiteral("Default"), this, "btnDefault");
    btnDefault->setGeometry(96, kButtonsY, 80, 28);
    btnDefault->setToolTip(QStringLiteral("Kvi 5, ARF0 150, ARF1 750 and a bandwidth of 75 Hz"));
    btnApply = Button(QStringLiteral("Apply"), this, "btnApply");
    btnApply->setGeometry(182, kButtonsY, 80, 28);
    btnApply->setToolTip(QStringLiteral("Writes Kvp, Kvi, ARF0 and ARF1 to the drive"));
    // After Apply on line: a link to the scope, armed for one sweep of the new loop's step response.
    btnStepResponse = Button(QStringLiteral("Look at the step response"), this, "btnStepResponse");
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
    btnHelp = Button(QStringLiteral("Help"), this, "btnHelp");
    btnClose = Button(QStringLiteral("Close"), this, "btnClose");

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
