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
#include <deque>
#include <functional>
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
    // Every row showing `gainName` reads its unit text again.
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

    // True while row refreshes that FormShow queued are still to run.
    bool RefreshPending() const { return !pending_.empty(); }
    const online::OnlineDrive &Model() const { return model_; }

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
    // Runs a drive command with its button showing "<working>", then "Ok!" or "Failed!" for a
    // second, then its caption again.
    void RunWithFeedback(const std::string &command, QPushButton *button);
    void ApplyRow(int row, const online::RowView &view);
    void ApplyPoll(const online::DriveView &view);
    void SyncNames();
    // Drive reads queued to run one per turn of the event loop, so the window never waits for
    // more than one exchange at a time.
    void Queue(std::function<void()> step);
    void RunPending();

    Session &session_;
    Messages &messages_;
    TVarChange *changeDialog_ = nullptr;
    online::OnlineDrive model_;
    std::deque<std::function<void()>> pending_;
    bool pendingScheduled_ = false;
    // The entries of every name list.
    std::vector<std::string> entries_;
};

} // namespace tools700
