#include "tools700/diagnostics/Troubleshooting.h"

#include "tools700/common/Messages.h"
#include "tools700/widgets/WindowWorker.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/Dial.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>
#include <QThread>

namespace tools700 {

namespace {

constexpr int kWidth = 627;
constexpr int kHeight = 380;

} // namespace

// The run's steps on the window's controls.
class TTroubleshooting::View : public diagnostics::RunView {
public:
    explicit View(TTroubleshooting &w) : w_(w) {}

    bool Progress(int percent) override
    {
        w_.ProgressBar1->setValue(percent);
        return w_.Breathe(0);
    }
    void AddLine(const std::string &line) override { w_.AddLine(line); }
    bool Failed(const diagnostics::FailedCheck &failure) override
    {
        return w_.messages_.Warning(failure.message, BtnOk | BtnCancel) != Answer::Cancel;
    }
    bool Dial(int percent) override
    {
        w_.AbDial1->setValue(percent);
        return w_.Breathe(w_.stepDelayMs_);
    }
    void UploadFailed() override
    {
        w_.messages_.Message(diagnostics::kCantCommunicate);
    }

private:
    TTroubleshooting &w_;
};

TTroubleshooting::TTroubleshooting(Messages &messages, QWidget *parent)
    : QDialog(parent), messages_(messages), worker_(std::make_unique<WindowWorker>(this, messages))
{
    setObjectName(QStringLiteral("Troubleshooting"));
    setWindowTitle(QStringLiteral("Diagnostics"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    setProperty("helpContext", kHelpDiagnostics);
    setModal(false);
    setFixedSize(kWidth, kHeight);

    Checklist = new QPlainTextEdit(this);
    Checklist->setObjectName(QStringLiteral("Checklist"));
    Checklist->setReadOnly(true);
    Checklist->setFocusPolicy(Qt::NoFocus);
    Checklist->setToolTip(QStringLiteral("This list shows the diagnostic tests that failed"));
    Checklist->setPlainText(QString::fromLatin1(diagnostics::kPrompt));
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    Checklist->setFont(fixed);
    Checklist->setGeometry(8, 8, 420, 364);
    NameControl(Checklist, QStringLiteral("Diagnostic results"));

    auto *dialLabel = new QLabel(QStringLiteral("% Completed"), this);
    dialLabel->setObjectName(QStringLiteral("lblDial"));
    dialLabel->setAlignment(Qt::AlignCenter);
    dialLabel->setGeometry(440, 8, 176, 18);
    AbDial1 = new TDial(this);
    AbDial1->setObjectName(QStringLiteral("AbDial1"));
    AbDial1->setRange(0, 100);
    AbDial1->setValue(0);
    AbDial1->SetScaleStep(10);
    AbDial1->SetUnit(QStringLiteral("%"));
    AbDial1->setFocusPolicy(Qt::NoFocus);
    // A gauge: it shows progress, the user does not turn it.
    AbDial1->setAttribute(Qt::WA_TransparentForMouseEvents);
    AbDial1->setToolTip(QStringLiteral("Shows the percentage of tests completed"));
    AbDial1->setGeometry(448, 28, 160, 160);
    dialLabel->setBuddy(AbDial1);
    NameControl(AbDial1, dialLabel->text());

    btnStart = new QPushButton(QStringLiteral("&Start"), this);
    btnStart->setObjectName(QStringLiteral("btnStart"));
    btnStart->setDefault(true);
    btnStart->setToolTip(QStringLiteral("Uploads information from the drive and starts the diagnostic procedure"));
    btnStart->setGeometry(472, 260, 112, 30);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setGeometry(440, 220, 176, 20);
    ProgressBar1->hide();
    NameControl(ProgressBar1, QStringLiteral("Upload progress"));

    btnCancel = new QPushButton(QStringLiteral("Exit"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    btnCancel->setToolTip(QStringLiteral("Cancels the diagnostics and returns to the main screen"));
    btnCancel->setGeometry(472, 304, 112, 30);

    prompt_ = Checklist->document()->firstBlock().text();
    connect(btnStart, &QPushButton::clicked, this, [this] { btnStartClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
}

TTroubleshooting::~TTroubleshooting() { worker_.reset(); }

void TTroubleshooting::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        if (QScreen *screen = QApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    FormActivate();
}

void TTroubleshooting::closeEvent(QCloseEvent *event)
{
    // The title bar's close button is Exit.
    btnCancelClick();
    event->accept();
}

void TTroubleshooting::FormActivate() { btnStart->setFocus(); }

bool TTroubleshooting::Breathe(int waitMs)
{
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, waitMs);
        if (exitRequested_)
            return false;
        if (t.elapsed() < waitMs)
            QThread::msleep(1);
    } while (t.elapsed() < waitMs);
    return !exitRequested_;
}

void TTroubleshooting::AddLine(const std::string &line) { Checklist->appendPlainText(QString::fromStdString(line)); }

void TTroubleshooting::btnStartClick()
{
    if (running_)
        return;
    running_ = true;
    uploading_ = true;
    exitRequested_ = false;
    setResult(QDialog::Accepted);
    btnStart->setEnabled(false);
    Checklist->clear();
    Checklist->setPlainText(QString::fromLatin1(diagnostics::kUploading));
    ProgressBar1->setValue(0);
    ProgressBar1->show();

    // The upload first, on the worker: its failure replaces the list's text.
    struct Upload {
        diagnostics::DiagnosticValues values;
        diagnostics::RunEnd end = diagnostics::RunEnd::Interrupted;
    };
    const ProgressFn progress = worker_->Progress([this](double percent) { ProgressBar1->setValue(static_cast<int>(percent)); });
    worker_->Run<Upload>(
        [progress] {
            // Only the progress is shown while the values are read.
            class ReadView : public diagnostics::RunView {
            public:
                explicit ReadView(const ProgressFn &p) : progress_(p) {}
                bool Progress(int percent) override
                {
                    progress_(percent);
                    return !DriveWorker::CurrentJobCancelled();
                }
                void AddLine(const std::string &) override {}
                bool Failed(const diagnostics::FailedCheck &) override { return true; }
                bool Dial(int) override { return true; }
                void UploadFailed() override {}

            private:
                const ProgressFn &progress_;
            } view(progress);
            Upload u;
            u.end = diagnostics::UploadValues(u.values, view);
            return u;
        },
        [this](const Upload &u) { Uploaded(u.end, u.values); });
}

void TTroubleshooting::Uploaded(diagnostics::RunEnd upload, const diagnostics::DiagnosticValues &values)
{
    uploading_ = false;
    values_ = values;
    ProgressBar1->hide();
    View view(*this);
    diagnostics::RunEnd end = upload;
    if (upload == diagnostics::RunEnd::UploadFailed) {
        view.UploadFailed();
        if (!exitRequested_)
            Checklist->setPlainText(QString::fromLatin1(diagnostics::kUploadFailed));
    } else if (upload == diagnostics::RunEnd::Completed) {
        end = diagnostics::RunChecksOn(values_, view);
    }
    EndRun(end);
}

void TTroubleshooting::EndRun(diagnostics::RunEnd end)
{
    btnStart->setEnabled(true);
    running_ = false;
    emit runFinished(static_cast<int>(end));
}

void TTroubleshooting::btnCancelClick()
{
    exitRequested_ = true;
    if (uploading_) {
        // The read in flight ends on the worker; nothing of it is shown.
        worker_->Cancel();
        uploading_ = false;
        ProgressBar1->hide();
        EndRun(diagnostics::RunEnd::Interrupted);
    }
    setResult(QDialog::Rejected);
    Checklist->clear();
    Checklist->setPlainText(prompt_);
    AbDial1->setValue(0);
    hide();
}

} // namespace tools700
