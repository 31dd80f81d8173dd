// TDrivesOnLine ("Drives on the Line"): the drives of one line in a table. A scan of a list of
// addresses fills it as the drives answer; while the window is shown the status of every listed
// drive is read in turn (paced, so the current axis's connection monitor keeps the line). Selecting
// a drive makes it the current axis as the port dialog does. From here a drive gets a new address,
// and the ticked drives are backed up into a folder or restored from one. All drive work runs on
// the window's drive worker; the window shows results and asks the workflows' questions.
#pragma once

#include "tools700/machine/DriveSummary.h"
#include "tools700/machine/LineAccess.h"

#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTimer;

namespace tools700 {

class Messages;
class Session;
class WindowWorker;

namespace machine {
class LiveStatus;
struct LiveRow;
struct ManifestDrive;
struct RestoreResult;
struct BackupResult;
struct AddressChangeResult;
struct ScanResult;
} // namespace machine

inline constexpr int kHelpDrivesOnLine = 610;

class TDrivesOnLine : public QDialog {
    Q_OBJECT
public:
    // The table's columns.
    enum Column { colAxis, colDrive, colMode, colControl, colStatus, colFirmware, colHardware, kColumns };

    TDrivesOnLine(Session &session, Messages &messages, QWidget *parent = nullptr);
    ~TDrivesOnLine() override;

    // Handlers (public so that tests drive the window as a user would).
    void btnScanClick();
    void btnCancelClick();
    void btnSetAddressClick();
    void btnBackupClick();
    void btnRestoreClick();
    void btnHelpClick();
    // The drive of a row was selected (mouse, keyboard or accessibility): it becomes the current axis.
    void SelectRow(int row);

    // The folder Backup and Restore work in; the default asks with the platform's folder dialog.
    using FolderChooser = std::function<QString(const QString &title)>;
    void SetFolderChooser(FolderChooser chooser) { chooseFolder_ = std::move(chooser); }

    // True while a scan, an address change, a backup or a restore runs.
    bool Busy() const { return operation_ != Operation::None; }
    // The axis of each row, top to bottom.
    std::vector<int> ListedAxes() const;
    // The ticked rows' axes (the drives a backup or restore takes).
    std::vector<int> ChosenAxes() const;
    // Live reads shown since the window was made (tests wait for them).
    long LiveReads() const { return liveReads_; }

    QLineEdit *edtAxes;
    QPushButton *btnScan;
    QPushButton *btnCancel;
    QProgressBar *prgProgress;
    QLabel *lblStatus;
    QTableWidget *tblDrives;
    QLineEdit *edtNewAddress;
    QPushButton *btnSetAddress;
    QPushButton *btnBackup;
    QPushButton *btnRestore;
    QCheckBox *chkDryRun;
    QPlainTextEdit *txtReport;
    QPushButton *btnHelp;
    QPushButton *btnClose;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    enum class Operation { None, Scan, Address, Backup, Restore };

    void BuildControls();
    void BuildDriveTable();
    void Begin(Operation operation, const QString &status);
    void Finish(const QString &status);
    void EnableControls();
    void Report(const QString &line);

    // The table.
    int RowOf(int axis) const;
    int AddRow(const machine::DriveSummary &drive);
    void ShowDrive(int row, const machine::DriveSummary &drive);
    void ShowLive(const machine::LiveRow &row);
    void ListChanged();
    void MarkCurrentAxis();

    void ScanDone(const machine::ScanResult &result);
    void AddressDone(int from, const machine::AddressChangeResult &result);
    void BackupDone(const machine::BackupResult &result);
    void RestoreDone(const machine::RestoreResult &result);

    // The live status: one read on the worker, then the next after the pace's delay.
    void ScheduleLive(int delayMs);
    void ReadLive();

    Session &session_;
    Messages &messages_;
    FolderChooser chooseFolder_;
    Operation operation_ = Operation::None;
    std::shared_ptr<std::atomic<bool>> cancel_;
    std::shared_ptr<machine::LiveStatus> live_;
    bool liveInFlight_ = false;
    long liveReads_ = 0;
    QTimer *liveTimer_;
    machine::SelectedAxisLineAccess line_;
    // Last: it goes first, so no job outlives the window.
    std::unique_ptr<WindowWorker> worker_;
};

} // namespace tools700
