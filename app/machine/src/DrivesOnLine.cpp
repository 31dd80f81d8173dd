#include "tools700/machine/DrivesOnLine.h"

#include "tools700/Line.h"
#include "tools700/Messages.h"
#include "tools700/Session.h"
#include "tools700/config/StatusText.h"
#include "tools700/machine/AddressChange.h"
#include "tools700/machine/AxisList.h"
#include "tools700/machine/Backup.h"
#include "tools700/machine/LineScan.h"
#include "tools700/machine/LiveStatus.h"
#include "tools700/machine/Restore.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/HelpViewer.h"
#include "tools700/widgets/Settings.h"
#include "tools700/widgets/WindowWorker.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace tools700 {

using namespace machine;

namespace {

QString Text(const std::string &s) { return QString::fromStdString(s); }

QString ModelText(int model)
{
    DriveSummary d;
    d.model = model;
    const std::string name = d.ModelName();
    return name.empty() ? QStringLiteral("model %1").arg(model) : Text(name);
}

// The drives a backup or restore reports, as the report lists them.
QString BackupLine(const ManifestDrive &d)
{
    const QString drive = QStringLiteral("axis %1 %2").arg(d.axis).arg(ModelText(d.model));
    return d.BackedUp() ? QStringLiteral("%1: %2").arg(drive, Text(d.file))
                        : QStringLiteral("%1: failed, %2").arg(drive, Text(d.reason));
}

// The workflows' observers on the worker: what they find reaches the window through the worker.
class ScanToWindow : public ScanObserver {
public:
    ScanToWindow(WindowWorker &worker, std::function<void(const DriveSummary &)> found,
                 std::function<void(int)> conflict, ProgressFn progress, std::shared_ptr<std::atomic<bool>> cancel)
        : worker_(worker), found_(std::move(found)), conflict_(std::move(conflict)), progress_(std::move(progress)),
          cancel_(std::move(cancel))
    {
    }
    void DriveFound(const DriveSummary &d) override
    {
        worker_.Post([found = found_, d] { found(d); });
    }
    void ConflictFound(int axis) override
    {
        worker_.Post([conflict = conflict_, axis] { conflict(axis); });
    }
    void Progress(int done, int total) override { progress_(total > 0 ? static_cast<double>(done) / total : 1.0); }
    bool Cancelled() override { return cancel_->load(); }

private:
    WindowWorker &worker_;
    std::function<void(const DriveSummary &)> found_;
    std::function<void(int)> conflict_;
    ProgressFn progress_;
    std::shared_ptr<std::atomic<bool>> cancel_;
};

class BackupToWindow : public BackupObserver {
public:
    BackupToWindow(WindowWorker &worker, std::function<void(const ManifestDrive &)> done, ProgressFn progress,
                   std::shared_ptr<std::atomic<bool>> cancel)
        : worker_(worker), done_(std::move(done)), progress_(std::move(progress)), cancel_(std::move(cancel))
    {
    }
    void Progress(int, double, double overall) override { progress_(overall); }
    void DriveDone(const ManifestDrive &d) override
    {
        worker_.Post([done = done_, d] { done(d); });
    }
    bool Cancelled() override { return cancel_->load(); }

private:
    WindowWorker &worker_;
    std::function<void(const ManifestDrive &)> done_;
    ProgressFn progress_;
    std::shared_ptr<std::atomic<bool>> cancel_;
};

class RestoreToWindow : public RestoreObserver {
public:
    RestoreToWindow(ProgressFn progress, std::shared_ptr<std::atomic<bool>> cancel)
        : progress_(std::move(progress)), cancel_(std::move(cancel))
    {
    }
    void Progress(int, double, double overall) override { progress_(overall); }
    bool Cancelled() override { return cancel_->load(); }

private:
    ProgressFn progress_;
    std::shared_ptr<std::atomic<bool>> cancel_;
};

// The monitor's polling is paused while a workflow holds the line for a drive's many exchanges.
class PollingPause {
public:
    explicit PollingPause(Session &session) : session_(session) { session_.SuspendStatusPolling(); }
    ~PollingPause() { session_.ResumeStatusPolling(); }
    PollingPause(const PollingPause &) = delete;
    PollingPause &operator=(const PollingPause &) = delete;

private:
    Session &session_;
};

int StoredPort()
{
    const std::unique_ptr<QSettings> store = OpenSettings();
    return ReadInt(*store, QStringLiteral("%1/Comport").arg(QLatin1String(kCommKey))).value_or(-1);
}

} // namespace

TDrivesOnLine::TDrivesOnLine(Session &session, Messages &messages, QWidget *parent)
    : QDialog(parent), session_(session), messages_(messages),
      cancel_(std::make_shared<std::atomic<bool>>(false)), worker_(std::make_unique<WindowWorker>(this, messages))
{
    setObjectName(QStringLiteral("DrivesOnLine"));
    setWindowTitle(QStringLiteral("Drives on the Line"));
    setProperty("helpContext", kHelpDrivesOnLine);
    setModal(false);
    chooseFolder_ = [this](const QString &title) { return QFileDialog::getExistingDirectory(this, title); };
    BuildControls();
    liveTimer_ = new QTimer(this);
    liveTimer_->setSingleShot(true);
    connect(liveTimer_, &QTimer::timeout, this, [this] { ReadLive(); });
    EnableControls();
}

TDrivesOnLine::~TDrivesOnLine() { worker_.reset(); }

// ---------------------------------------------------------------------------------------------
// Operations

void TDrivesOnLine::Begin(Operation operation, const QString &status)
{
    operation_ = operation;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    liveTimer_->stop();
    prgProgress->setValue(0);
    lblStatus->setText(status);
    EnableControls();
}

void TDrivesOnLine::Finish(const QString &status)
{
    operation_ = Operation::None;
    lblStatus->setText(status);
    EnableControls();
    ScheduleLive(0);
}

void TDrivesOnLine::EnableControls()
{
    const bool idle = operation_ == Operation::None;
    btnScan->setEnabled(idle);
    edtAxes->setEnabled(idle);
    btnCancel->setEnabled(!idle && operation_ != Operation::Address);
    btnSetAddress->setEnabled(idle);
    edtNewAddress->setEnabled(idle);
    btnBackup->setEnabled(idle && tblDrives->rowCount() > 0);
    btnRestore->setEnabled(idle);
    chkDryRun->setEnabled(idle);
}

void TDrivesOnLine::Report(const QString &line) { txtReport->appendPlainText(line); }

void TDrivesOnLine::btnCancelClick()
{
    if (operation_ == Operation::None)
        return;
    cancel_->store(true);
    lblStatus->setText(QStringLiteral("Cancelling..."));
}

void TDrivesOnLine::btnScanClick()
{
    if (Busy())
        return;
    std::string error;
    const auto axes = ParseAxisList(edtAxes->text().toStdString(), error);
    if (!axes) {
        messages_.Message(error);
        return;
    }
    tblDrives->setRowCount(0);
    live_.reset();
    Begin(Operation::Scan, QStringLiteral("Scanning %1 ...").arg(Text(AxisListText(*axes))));
    Report(QStringLiteral("Scan of %1").arg(Text(AxisListText(*axes))));
    auto found = [this](const DriveSummary &d) {
        AddRow(d);
        EnableControls();
    };
    auto conflict = [this](int axis) {
        Report(QStringLiteral("Address conflict at axis %1: more than one drive answers there").arg(axis));
    };
    ProgressFn progress = worker_->Progress([this](double f) { prgProgress->setValue(static_cast<int>(f * 100 + 0.5)); });
    auto observer = std::make_shared<ScanToWindow>(*worker_, found, conflict, progress, cancel_);
    worker_->Run<ScanResult>([this, observer, list = *axes] { return ScanLine(line_, list, *observer); },
                             [this](const ScanResult &r) { ScanDone(r); },
                             [this] {
                                 if (operation_ == Operation::Scan)
                                     Finish(lblStatus->text());
                             });
}

void TDrivesOnLine::ScanDone(const ScanResult &r)
{
    // The drives were listed as they answered (those posts came first); listing them again from
    // the result changes nothing but makes the table whole whatever happened to a post.
    for (const DriveSummary &d : r.drives)
        AddRow(d);
    ListChanged();
    QString status = r.drives.size() == 1 ? QStringLiteral("1 drive found")
                                          : QStringLiteral("%1 drives found").arg(r.drives.size());
    if (!r.conflicts.empty())
        status += QStringLiteral(", %1 address conflict%2").arg(r.conflicts.size()).arg(r.conflicts.size() == 1 ? "" : "s");
    if (r.cancelled)
        status += QStringLiteral(" (scan cancelled after %1 addresses)").arg(r.asked);
    if (r.lineFailed)
        status += QStringLiteral(" (the line is not available%1)")
                      .arg(r.lineStatus ? QStringLiteral(": ") + Text(StatusText(r.lineStatus)) : QString());
    if (!r.cancelled && !r.lineFailed)
        prgProgress->setValue(100);
    Report(status);
    Finish(status);
}

void TDrivesOnLine::btnSetAddressClick()
{
    if (Busy())
        return;
    bool ok = false;
    const int to = edtNewAddress->text().trimmed().toInt(&ok, 10);
    if (!ok) {
        messages_.Message("Invalid axis address");
        return;
    }
    const int row = tblDrives->currentRow();
    const int from = row >= 0 ? tblDrives->item(row, colAxis)->data(Qt::UserRole).toInt() : 255;
    Begin(Operation::Address, QStringLiteral("Moving the drive at axis %1 to axis %2 ...").arg(from).arg(to));
    worker_->Run<AddressChangeResult>(
        [this, from, to] {
            const PollingPause pause(session_);
            return ChangeDriveAddress(line_, from, to, NvSaveChoice::Ask, worker_->Questions());
        },
        [this, from](const AddressChangeResult &r) { AddressDone(from, r); },
        [this] {
            if (operation_ == Operation::Address)
                Finish(lblStatus->text());
        });
}

void TDrivesOnLine::AddressDone(int from, const AddressChangeResult &r)
{
    Report(Text(r.message));
    if (r.outcome == AddressOutcome::Changed) {
        const int to = edtNewAddress->text().trimmed().toInt();
        // The row follows its drive to the new address; the current axis does too.
        int row = RowOf(from);
        if (row >= 0) {
            const QSignalBlocker block(tblDrives);
            tblDrives->removeRow(row);
        }
        // The model is known; the rest comes with the next live read.
        DriveSummary moved;
        moved.axis = to;
        moved.model = r.model;
        moved.validMask = SummaryBit("Model");
        AddRow(moved);
        const bool wasCurrent = SelectedAxis() == from;
        ListChanged();
        if (wasCurrent)
            tblDrives->setCurrentCell(RowOf(to), colAxis);  // selects it, so it becomes the current axis
        Finish(Text(r.message));
    } else {
        messages_.Message(r.message);
        Finish(Text(r.message));
    }
}

void TDrivesOnLine::btnBackupClick()
{
    if (Busy())
        return;
    const std::vector<int> axes = ChosenAxes();
    if (axes.empty()) {
        messages_.Message("Tick the drives to back up first");
        return;
    }
    const QString folder = chooseFolder_(QStringLiteral("Backup into folder"));
    if (folder.isEmpty())
        return;
    Begin(Operation::Backup, QStringLiteral("Backing up %1 drive(s) into %2 ...").arg(axes.size()).arg(folder));
    Report(QStringLiteral("Backup into %1").arg(folder));
    auto done = [this](const ManifestDrive &d) { Report(BackupLine(d)); };
    ProgressFn progress = worker_->Progress([this](double f) { prgProgress->setValue(static_cast<int>(f * 100 + 0.5)); });
    auto observer = std::make_shared<BackupToWindow>(*worker_, done, progress, cancel_);
    const int port = StoredPort();
    worker_->Run<BackupResult>(
        [this, observer, axes, port, path = folder.toStdString()] {
            const PollingPause pause(session_);
            return BackupLine(line_, path, axes, port, *observer);
        },
        [this](const BackupResult &r) { BackupDone(r); },
        [this] {
            if (operation_ == Operation::Backup)
                Finish(lblStatus->text());
        });
}

void TDrivesOnLine::BackupDone(const BackupResult &r)
{
    QString status;
    if (!r.error.empty()) {
        status = QStringLiteral("Backup failed: %1").arg(Text(r.error));
        messages_.Message(r.error);
    } else {
        status = QStringLiteral("Backup: %1 backed up, %2 failed").arg(r.backedUp).arg(r.failed);
        if (r.cancelled)
            status += QStringLiteral(" (cancelled; the drives finished are kept)");
        prgProgress->setValue(100);
    }
    Report(status);
    Finish(status);
}

void TDrivesOnLine::btnRestoreClick()
{
    if (Busy())
        return;
    if (tblDrives->rowCount() > 0 && ChosenAxes().empty()) {
        messages_.Message("Tick the drives to restore first");
        return;
    }
    const QString folder = chooseFolder_(QStringLiteral("Restore from backup folder"));
    if (folder.isEmpty())
        return;
    RestoreOptions options;
    options.axes = ChosenAxes();  // the ticked drives; with none listed, every drive of the backup
    options.dryRun = chkDryRun->isChecked();
    options.nvSave = RestoreNvSave::AskOnce;
    Begin(Operation::Restore, options.dryRun ? QStringLiteral("Comparing the drives with %1 ...").arg(folder)
                                             : QStringLiteral("Restoring the drives from %1 ...").arg(folder));
    Report(QStringLiteral("%1 from %2").arg(options.dryRun ? QStringLiteral("Dry run of a restore") : QStringLiteral("Restore"), folder));
    ProgressFn progress = worker_->Progress([this](double f) { prgProgress->setValue(static_cast<int>(f * 100 + 0.5)); });
    auto observer = std::make_shared<RestoreToWindow>(progress, cancel_);
    worker_->Run<RestoreResult>(
        [this, observer, options, path = folder.toStdString()] {
            const PollingPause pause(session_);
            return RestoreLine(line_, path, options, worker_->Questions(), *observer);
        },
        [this](const RestoreResult &r) { RestoreDone(r); },
        [this] {
            if (operation_ == Operation::Restore)
                Finish(lblStatus->text());
        });
}

void TDrivesOnLine::RestoreDone(const RestoreResult &r)
{
    if (!r.error.empty()) {
        messages_.Message(r.error);
        Report(Text(r.error));
        Finish(QStringLiteral("Restore failed: %1").arg(Text(r.error)));
        return;
    }
    for (const RestoreDrive &d : r.drives) {
        Report(Text(d.ReportLine()));
        for (const std::string &difference : d.differences)
            Report(QStringLiteral("    ") + Text(difference));
    }
    QString status = QStringLiteral("Restore: %1 restored, %2 skipped, %3 failed")
                         .arg(r.Count(RestoreOutcome::Restored))
                         .arg(r.Count(RestoreOutcome::Skipped))
                         .arg(r.Count(RestoreOutcome::Failed));
    if (chkDryRun->isChecked())
        status = QStringLiteral("Dry run: %1 unchanged, %2 differ, %3 skipped, %4 failed")
                     .arg(r.Count(RestoreOutcome::Unchanged))
                     .arg(r.Count(RestoreOutcome::Differs))
                     .arg(r.Count(RestoreOutcome::Skipped))
                     .arg(r.Count(RestoreOutcome::Failed));
    if (r.cancelled)
        status += QStringLiteral(" (cancelled)");
    prgProgress->setValue(100);
    Report(status);
    Finish(status);
}

void TDrivesOnLine::btnHelpClick() { AppHelp().ShowContext(kHelpDrivesOnLine); }

// ---------------------------------------------------------------------------------------------
// Live status

void TDrivesOnLine::ScheduleLive(int delayMs)
{
    if (!isVisible() || Busy() || liveInFlight_ || !live_ || live_->Axes().empty())
        return;
    liveTimer_->start(std::max(0, delayMs));
}

void TDrivesOnLine::ReadLive()
{
    if (!isVisible() || Busy() || liveInFlight_ || !live_ || live_->Axes().empty())
        return;
    liveInFlight_ = true;
    auto live = live_;
    auto delay = std::make_shared<int>(0);
    worker_->Run<std::optional<LiveRow>>(
        [this, live, delay]() -> std::optional<LiveRow> {
            LiveRow row;
            if (!live->ReadNext(line_, row)) {
                *delay = 1000;  // no turn on the line now: try again later
                return std::nullopt;
            }
            *delay = static_cast<int>(live->DelayMs() + 0.5);
            return row;
        },
        [this](const std::optional<LiveRow> &row) {
            if (row)
                ShowLive(*row);
        },
        [this, delay] {
            liveInFlight_ = false;
            ScheduleLive(*delay);
        });
}

void TDrivesOnLine::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    MarkCurrentAxis();
    ScheduleLive(0);
}

void TDrivesOnLine::hideEvent(QHideEvent *event)
{
    // Closing ends what runs: a scan or backup keeps what it finished, the live reads stop.
    liveTimer_->stop();
    if (Busy())
        cancel_->store(true);
    QDialog::hideEvent(event);
}

} // namespace tools700
