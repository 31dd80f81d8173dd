// Tvardlg: the on-line drive configuration window. Six rows of drive variables picked by name,
// refreshed once a second together with the drive's identity, operating mode, digital inputs and
// outputs and fault state; commands to reload or save the drive's non-volatile parameters, mark
// it unconfigured and reset a fault. A thin window over online::OnlineDrive and the drive
// commands of tools700_online_core.
#pragma once

#include "tools700/online/OnlineDrive.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace tools700 {

class Messages;
class Session;
class TIndicatorLamp;
class TVarChange;
class WindowWorker;

// Context numbers of the window's help pages.
inline constexpr int kHelpOnlineWindow = 700;
inline constexpr int kHelpChangeDialog = 701;

class Tvardlg : public QDialog {
    Q_OBJECT
public:
    Tvardlg(Session &session, Messages &messages, QWidget *parent = nullptr);
    ~Tvardlg() override;

    // The change-value dialog the Change buttons open (created after this window).
    void SetChangeDialog(TVarChange *dialog) { changeDialog_ = dialog; }

    // The text of the name box that has the keyboard focus, or "" (the help hook's keyword).
    QString FocusedName() const;
    // Every row showing `gainName` reads its unit text again (on the window's drive worker).
    void UpdateGainUnits(const QString &gainName);

    // Handlers, named after the controls (public for the tests).
    void FormShow();
    void FormHide();
    void FormActivate();
    void RefreshRow(int row);
    void Timer2Timer();
    void ChangeRow(int row);
    void btnUserNVLoadClick();
    void btnUserNVSaveClick();
    void btnUserUnconfigureClick();
    void btnResetFaultClick();
    void btnSwitchClick();

    // True while row refreshes are still to run or to be shown.
    bool RefreshPending() const { return refreshes_ > 0; }
    // The value text of a row as the last read of it found it (what the change dialog starts from).
    const std::string &RowValueText(int row) const { return valueText_.at(static_cast<std::size_t>(row)); }
    // The last poll succeeded.
    bool CommOk() const { return commOk_; }
    // True while the window's drive worker has work.
    bool DriveBusy() const;

    // Controls.
    QGroupBox *GroupBox1 = nullptr;
    std::array<QComboBox *, online::kRows> cmbName{};
    std::array<QLineEdit *, online::kRows> edtShowNum{};
    std::array<QPushButton *, online::kRows> btnChange{};
    std::array<QLabel *, online::kRows> lblShow{};
    QLabel *lblDrive = nullptr, *lblMotor = nullptr, *lblOpMode = nullptr;
    QGroupBox *grpFaultInfo = nullptr;
    TIndicatorLamp *AbLEDFault = nullptr;
    QLabel *lblFaultCode = nullptr, *lblExtFault = nullptr;
    QPushButton *btnResetFault = nullptr;
    QLabel *pnlFault = nullptr;
    QGroupBox *grpUserCmds = nullptr;
    QPushButton *btnUserNVLoad = nullptr, *btnUserNVSave = nullptr, *btnUserUnconfigure = nullptr;
    QGroupBox *GroupBox3 = nullptr, *GroupBox4 = nullptr, *GroupBox2 = nullptr;
    std::array<TIndicatorLamp *, online::kLamps> AbLED{}; // AbLED1..AbLED10
    QPushButton *btnSwitch = nullptr;
    QTimer *Timer2 = nullptr;

public slots:
    // The main window offers Unconfigure only for drives outside the 740 family.
    void SetUnconfigureVisible(bool visible);

signals:
    // After every poll (the tests and the screenshot wait for it).
    void polled();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildControls();
    void BuildVariableRows();
    void BuildFaultInformation();
    void BuildLamps();
    void BuildCommands();
    // Runs a drive command on the worker with its button showing "<working>", then "Ok!" or
    // "Failed!" for a second, then its caption again; `ended` runs after that second.
    void RunWithFeedback(const std::string &command, QPushButton *button, std::function<void()> ended = {});
    // The end of the command's second (its caption back, `ended` run); at once when the window hides.
    void EndCommand();
    void RestoreCursor();
    void ApplyRow(int row, const online::RowView &view);
    void ApplyPoll(const online::DriveView &view);
    std::array<std::string, online::kRows> Names() const;

    Session &session_;
    Messages &messages_;
    TVarChange *changeDialog_ = nullptr;
    // The rows and the poll: touched only by the worker's jobs, one after another.
    online::OnlineDrive model_;
    // The entries of every name list (shared with the worker's row refreshes).
    std::shared_ptr<const std::vector<std::string>> entries_;
    // What the window shows of the model.
    std::array<std::string, online::kRows> valueText_;
    bool commOk_ = false;
    int refreshes_ = 0;       // row refreshes queued and not yet shown
    bool pollInFlight_ = false;
    bool commandRunning_ = false;
    bool cursorOverridden_ = false;
    unsigned long commandId_ = 0;
    std::function<void()> endCommand_;
    // Last: it goes first, so no job outlives the model.
    std::unique_ptr<WindowWorker> worker_;
};

} // namespace tools700
