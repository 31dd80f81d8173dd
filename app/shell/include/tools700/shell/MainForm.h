// TMainForm: the main window. Button column and menus for every workflow, the status bar with
// the connected drive, its mode and the connection status, and the control-mode switch of the
// 740-family drives. What other windows read of it (InHouse, DriveModel, SerialControl,
// InertiaRatio, ProgramDir, the monitor's polling) lives in the Session it is given.
#pragma once

#include "tools700/MainWindowRules.h"
#include "tools700/config/DriveState.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;

namespace tools700 {

class Cfg;
class FileDialog;
class Messages;
class Session;
class TComportDlg;
class TAbout;
class TConnectionStatus;
class TRockerSwitch;
class WindowWorker;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // `session` is what the windows of this run share; the main window fills in InHouse,
    // ProgramDir and CfgDir, keeps DriveModel, SerialControl and ControlSwitchShown up to date,
    // lends its connection monitor and opens the windows registered there. `programFile` is the
    // full path of the program (ProgramDir is its folder); `args` the command-line arguments
    // after the program name.
    TMainForm(Session &session, Messages &messages, const QString &programFile, const QStringList &args,
              QWidget *parent = nullptr);
    ~TMainForm() override;

    Session &Shared() const { return session_; }
    int OpMode = 0;
    std::unique_ptr<TConnectionStatus> StatusMonitor;

    // Windows the main window shows itself; set by the program's start-up.
    void SetComportDlg(TComportDlg *dlg);
    void SetAbout(TAbout *about) { about_ = about; }
    // Loads the motor database extensions of ProgramDir (start-up and after the motor editor).
    void SetMotorExtensionLoader(std::function<void()> loader) { loadMotorExtensions_ = std::move(loader); }
    // The file dialog of Edit File (OpenCfgDlg); the default is the Qt dialog.
    void SetOpenCfgDialog(std::unique_ptr<FileDialog> dialog);
    FileDialog &SaveCfgDlg();
    FileDialog &OpenCfgDlg();
    // How the Exit menu entry ends the program (default: quit the event loop with code 0).
    void SetExitFunction(std::function<void(int)> exitFn) { exit_ = std::move(exitFn); }

    // Shows the window maximised; from then on it keeps that size, with minimum = maximum so that
    // a window manager offers no resize.
    void ShowMaximizedFixed();

    // Operations of the main window. The drive is asked on the window's drive worker: what
    // follows an answer runs afterwards on the window's thread.
    // Reads AxisAddr; then `connected` when the drive answered, otherwise the communication
    // warning.
    void CheckConnection(std::function<void()> connected);
    // The status update of a poll's text with what the monitor read besides (no exchange).
    void UpdateStatus(const std::string &text, const StatusReading &reading);
    void SuspendStatusPolling();
    void ResumeStatusPolling();
    void UploadProgress(double fraction);
    bool Is740Visible() const;

    // Workflows (buttons and menu entries).
    void Upload();
    void EditFile();
    // "Compare File with Drive…": asks for a configuration file and opens the Compare window on it.
    void CompareFile();
    void EditOnline();
    void Oscilloscope();
    void Diagnostics();
    void NewConfiguration();
    void EditMotorDatabase();
    void UpgradeFW();
    void TuningWizard();
    void PortAxis();
    void DrivesOnLine();
    void Contents();
    void TopicSearch();
    void About();
    void Exit();
    void swt740ModeClick();

    // Every activation: DriveModel (read on the worker), then polling on and the monitor running.
    void FormActivate();
    // True while the window's drive worker has work.
    bool DriveBusy() const;
    // Closing through the title bar: the monitor ends and is waited for.
    void FormClose();

    // The report of the connection monitor: UpdateStatus, with a failed read shown in the mode
    // panel and once in an error box, and polling going on.
    void MonitorReport(const std::string &text, const StatusReading &reading);

    // Controls (for the windows of the workflows and the tests).
    QPushButton *bbtnNew = nullptr;
    QPushButton *bbtnUpload = nullptr;
    QProgressBar *pgbLoad = nullptr;
    QPushButton *bbtnEditFile = nullptr;
    QPushButton *bbtnEditOnline = nullptr;
    QPushButton *bbtnScope = nullptr;
    QPushButton *bbtnTrouble = nullptr;
    QLabel *lbl740Mode = nullptr;
    TRockerSwitch *swt740Mode = nullptr;
    QLabel *stbPanel[3] = {nullptr, nullptr, nullptr};
    QMenu *mnuComm = nullptr, *mnuEdit = nullptr, *mnuUtilities = nullptr, *mnuHelp = nullptr;
    QAction *mnuPort = nullptr, *mnuDrivesOnLine = nullptr, *mnuUpload = nullptr, *mnuEditOnline = nullptr, *mnuExit = nullptr;
    QAction *mnuNew = nullptr, *mnuEditFile = nullptr, *mnuCompareFile = nullptr;
    QAction *mnuEditMotor = nullptr, *mnuUpdateFW = nullptr, *mnuTuningWizard = nullptr, *mnuScope = nullptr,
            *mnuTrouble = nullptr;
    QAction *mnuContents = nullptr, *mnuTopicSearch = nullptr, *mnuAbout = nullptr;

    QString PanelText(int i) const;

signals:
    // The on-line window's "unconfigure" button is offered only for drives outside the 740 family.
    void userUnconfigureVisibleChanged(bool visible);
    // After every status update, with the connection text it showed.
    void statusUpdated(const QString &text);

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildControls();
    void BuildMenus();
    void Show740(bool visible);
    // Enables each entry the rules allow; an entry whose window is not built is disabled with a
    // tool tip that says why.
    void ApplyAvailability();
    [[noreturn]] void RaiseStatus(int status);
    // Exit's last step: the monitor ended, the program ends.
    void EndProgram();

    Session &session_;
    Messages &messages_;
    TComportDlg *comportDlg_ = nullptr;
    TAbout *about_ = nullptr;
    std::function<void()> loadMotorExtensions_;
    std::function<void(int)> exit_;
    // Which entries the connected drive allows (the status updates tell it).
    MainWindowRules rules_;
    bool sizeFixed_ = false;
    bool exposed_ = false; // on screen: the window system has had its say on the maximised size
    void KeepMaximisedSize();
    std::unique_ptr<FileDialog> openCfgDlg_;
    std::unique_ptr<FileDialog> saveCfgDlg_;
    bool statusErrorShown_ = false;
    bool closing_ = false;
    bool uploading_ = false;
    bool switching_ = false;
    int pendingSwitchClicks_ = 0;
    // Last: it goes first, so no work of it outlives what it uses.
    std::unique_ptr<WindowWorker> worker_;
};

// Context number of the main window's help page.
inline constexpr int kHelpMainForm = 100;

} // namespace tools700
