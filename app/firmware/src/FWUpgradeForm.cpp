#include "tools700/firmware/FWUpgradeForm.h"

#include "tools700/common/Error.h"
#include "tools700/common/Messages.h"
#include "tools700/common/Session.h"
#include "tools700/config/FileDialog.h"
#include "tools700/widgets/WindowWorker.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace tools700 {

namespace {

// The Qt dialog "Open ARM FW Upgrading File" for *.bin images.
class OpenFWDlg : public FileDialog {
public:
    explicit OpenFWDlg(QWidget *parent) : parent_(parent) {}
    bool Execute(std::string &fileName) override
    {
        QFileDialog dlg(parent_, QStringLiteral("Open ARM FW Upgrading File"), folder_,
                        QStringLiteral("ARM FW Upgrading(*.bin) (*.bin)"));
        dlg.setObjectName(QStringLiteral("OpenFWDlg"));
        dlg.setDefaultSuffix(QStringLiteral("bin"));
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(QFileDialog::ExistingFile);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
            return false;
        fileName = dlg.selectedFiles().front().toStdString();
        folder_ = QFileInfo(dlg.selectedFiles().front()).absolutePath();
        return true;
    }

private:
    QWidget *parent_;
    QString folder_;
};

QLabel *NewLabel(QWidget *parent, const char *name, const QString &text = QString())
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QPushButton *NewButton(QWidget *parent, const char *name, const char *caption)
{
    auto *button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

TFWUpgrade::TFWUpgrade(Session &session, Messages &messages, QWidget *parent)
    : QDialog(parent), session_(session), messages_(messages)
{
    setObjectName(QStringLiteral("FWUpgrade"));
    setWindowTitle(QStringLiteral("ARM FW Upgrade"));
    setModal(true);
    setFont(QFont(QStringLiteral("Verdana"), font().pointSize()));
    setProperty("helpContext", kHelpFirmwareUpgrade);

    lblMsg = NewLabel(this, "lblMsg");
    lblMsg1 = NewLabel(this, "lblMsg1", QString::fromLatin1(kPleaseOpenFile));
    lblMsg1->setWordWrap(true);
    lblMsg2 = NewLabel(this, "lblMsg2");
    lblMsg3 = NewLabel(this, "lblMsg3");
    chkEraseNV = new QCheckBox(QStringLiteral("Erase Non-volatile Memory"), this);
    chkEraseNV->setObjectName(QStringLiteral("chkEraseNV"));
    pgbFWLoad = new QProgressBar(this);
    pgbFWLoad->setObjectName(QStringLiteral("pgbFWLoad"));
    pgbFWLoad->setAccessibleName(QStringLiteral("Firmware download progress"));
    pgbFWLoad->setToolTip(QStringLiteral("Opens up a Wizard to guide you throught the configuration process"));
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    auto *warning = NewLabel(Panel1, "lblDontSwitchOff", QStringLiteral("Don't Switch off the Drive"));
    warning->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    warning->setAlignment(Qt::AlignCenter);
    auto *panelLayout = new QHBoxLayout(Panel1);
    panelLayout->addWidget(warning);
    btnOpenFile = NewButton(this, "btnOpenFile", "Open File");
    btnDownload = NewButton(this, "btnDownload", "Download");
    btnCancel = NewButton(this, "btnCancel", "Cancel");
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    // Each tick is one exchange with the drive; the next follows as soon as the window is idle.
    Timer1->setInterval(0);
    Timer2->setInterval(0);

    auto *phase = new QHBoxLayout;
    phase->addWidget(lblMsg2);
    phase->addWidget(lblMsg3);
    phase->addStretch(1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnOpenFile);
    buttons->addWidget(btnDownload);
    buttons->addStretch(1);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblMsg);
    layout->addWidget(lblMsg1);
    layout->addLayout(phase);
    layout->addWidget(chkEraseNV);
    layout->addWidget(pgbFWLoad);
    layout->addWidget(Panel1);
    layout->addStretch(1);
    layout->addLayout(buttons);
    resize(409, 201);

    connect(btnOpenFile, &QPushButton::clicked, this, [this] { btnOpenFileClick(); });
    connect(btnDownload, &QPushButton::clicked, this, [this] { btnDownloadClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(Timer2, &QTimer::timeout, this, [this] { Timer2Timer(); });
    worker_ = std::make_unique<WindowWorker>(this, messages_);
    ResetControls();
}

TFWUpgrade::~TFWUpgrade()
{
    worker_.reset();
    upgrade_.Stop();
    EndPolling();
}

bool TFWUpgrade::DriveBusy() const { return worker_->Busy(); }

int TFWUpgrade::Upgrade()
{
    if (QScreen *screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    return exec();
}

void TFWUpgrade::btnOpenFileClick()
{
    FileDialog *dialog = openDialog_;
    if (!dialog) {
        if (!ownDialog_)
            ownDialog_ = std::make_unique<OpenFWDlg>(this);
        dialog = ownDialog_.get();
    }
    std::string file;
    if (!dialog->Execute(file)) {
        messages_.Information(kNoFileSelected);
        return;
    }
    // The file is read on the worker, after any step or clean-up still queued there.
    struct Loaded {
        std::uint32_t sum = 0;
        std::string error;
    };
    worker_->Run<Loaded>(
        [this, file] {
            Loaded l;
            try {
                l.sum = image_.LoadImage(file);
            } catch (const Error &e) {
                l.error = e.what();
            }
            return l;
        },
        [this, file](const Loaded &l) {
            if (!l.error.empty()) {
                messages_.Show(BoxKind::Error, ErrorBoxText(l.error), BtnOk);
                return;
            }
            imageLoaded_ = true;
            lblMsg->setText(QStringLiteral("Openning File is"));
            lblMsg1->setText(QString::fromStdString(file));
            btnDownload->setEnabled(true);
            lblMsg2->setText(QStringLiteral("with ChkSum"));
            lblMsg3->setText(QString::number(l.sum));
            chkEraseNV->show();
        });
}

void TFWUpgrade::btnDownloadClick()
{
    if (!imageLoaded_ || procedure_.Running() || stepInFlight_)
        return;
    if (!messages_.WarnYesNo(kSwitchesQuestion)) {
        reject();
        return;
    }
    messages_.Warning(kKeepPowerOn);
    Panel1->show();
    btnOpenFile->setEnabled(false);
    btnDownload->setEnabled(false);
    if (!pollingSuspended_) {
        // The connection monitor's reads would come between the handshake's exchanges.
        session_.SuspendStatusPolling();
        pollingSuspended_ = true;
    }
    const bool eraseNv = chkEraseNV->isChecked();
    worker_->Run([this, eraseNv] { upgrade_.Start(eraseNv); });
    procedure_ = ProcedureView{};
    procedure_.phase = firmware::Phase::Erasing;
    Timer1->start();
}

void TFWUpgrade::ShowView()
{
    const firmware::UpgradeView &v = procedure_.view;
    lblMsg2->setText(QString::fromStdString(v.phaseText));
    lblMsg3->setText(QString::fromStdString(v.numberText));
    if (pgbFWLoad->maximum() != v.progressMax)
        pgbFWLoad->setRange(0, v.progressMax);
    pgbFWLoad->setValue(v.progressPos);
}

void TFWUpgrade::Failed()
{
    Timer1->stop();
    Timer2->stop();
    EndPolling();
    messages_.Information(procedure_.Failure());
    btnDownload->setEnabled(true);
}

void TFWUpgrade::Timer1Timer() { StepOnWorker(Timer1); }

void TFWUpgrade::Timer2Timer() { StepOnWorker(Timer2); }

void TFWUpgrade::StepOnWorker(QTimer *timer)
{
    if (stepInFlight_)
        return;
    // The timer rests until the step is shown: the next tick follows at once then.
    timer->stop();
    stepInFlight_ = true;
    worker_->Run<ProcedureView>(
        [this] {
            ProcedureView p;
            p.phase = upgrade_.Step();
            p.failure = upgrade_.Failure();
            p.exchanges = upgrade_.Exchanges();
            p.segments = upgrade_.Segments();
            p.view = upgrade_.View();
            return p;
        },
        [this, timer](const ProcedureView &p) {
            stepInFlight_ = false;
            procedure_ = p;
            StepShown(timer);
        },
        [this] { stepInFlight_ = false; });
}

void TFWUpgrade::StepShown(QTimer *timer)
{
    ShowView();
    const firmware::Phase phase = procedure_.GetPhase();
    if (phase == firmware::Phase::Failed) {
        Failed();
    } else if (phase == firmware::Phase::Finished) {
        EndPolling();
        emit stepShown();
        done(kResultYes);
        return;
    } else if (phase == firmware::Phase::Programming) {
        Timer2->start();
    } else if (phase == firmware::Phase::Erasing && timer == Timer1) {
        Timer1->start();
    }
    emit stepShown();
}

void TFWUpgrade::EndPolling()
{
    if (pollingSuspended_) {
        pollingSuspended_ = false;
        session_.ResumeStatusPolling();
    }
}

void TFWUpgrade::ResetControls()
{
    lblMsg1->setText(QString::fromLatin1(kPleaseOpenFile));
    lblMsg->clear();
    lblMsg2->clear();
    lblMsg3->clear();
    btnDownload->setEnabled(false);
    btnOpenFile->setEnabled(true);
    pgbFWLoad->setRange(0, 100);
    pgbFWLoad->setValue(0);
    chkEraseNV->hide();
    chkEraseNV->setChecked(false);
    Panel1->hide();
}

void TFWUpgrade::done(int result)
{
    // Closing stops the procedure between two exchanges and forgets the image, so nothing of a
    // half-sent image can be sent by a later Download. The step in flight ends on the worker; the
    // clean-up follows it there.
    Timer1->stop();
    Timer2->stop();
    worker_->Cancel();
    worker_->Run([this] {
        upgrade_.Stop();
        image_.Clear();
    });
    stepInFlight_ = false;
    imageLoaded_ = false;
    procedure_ = ProcedureView{};
    EndPolling();
    ResetControls();
    QDialog::done(result);
}

} // namespace tools700
