// TComportDlg: the port and axis dialog. Chooses the serial port COM1..COM4 and the axis address,
// tells the link library, and keeps both in the settings store ("SOFTWARE/Korvane/700/Comm",
// values "Comport" and "Axis"). Beside each port button it shows the device the port maps to.
#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tools700 {

class Messages;
class WindowWorker;

class TComportDlg : public QDialog {
    Q_OBJECT
public:
    // Creation is the program's first link setup: probes the ports, reads the stored choices,
    // applies them to the link.
    explicit TComportDlg(Messages &messages, QWidget *parent = nullptr);
    ~TComportDlg() override;

    int Port() const { return port_; }
    int Axis() const { return axis_; }

    // Handlers (public so that workflows and tests can drive the dialog as a user would). The link
    // is told on the dialog's drive worker (another window's exchange may hold the line), in the
    // order the handlers ran.
    // Opens port n. A port that cannot be opened is reported (unless `report` is false), is
    // not selected and not stored, and the link goes back to the port selected before.
    void rdiPortClick(int n, bool report = true);
    void rdiAutoClick();
    void rdiSelectClick();
    // Returns true when no message was shown (the address was accepted; the link is told).
    bool btnOkClick();
    void btnTestClick();
    // True while the link is being told (or the drive asked) on the worker.
    bool DriveBusy() const;
    void btnHelpClick();
    void edtAddressExit();
    // Another window chose the axis (a drive selected on the line): the dialog shows it as its own
    // choice, the link is told and the choice is stored. 255 is Automatic Detected.
    void SelectAxis(int axis);

    QRadioButton *rdiPort(int n) const { return rdiPort_[n - 1]; }
    QLabel *lblDevice(int n) const { return lblDevice_[n - 1]; }
    QRadioButton *rdiAuto() const { return rdiAuto_; }
    QRadioButton *rdiSelect() const { return rdiSelect_; }
    QLineEdit *edtAddress() const { return edtAddress_; }
    QPushButton *btnOk() const { return btnOk_; }
    QPushButton *btnTest() const { return btnTest_; }

    // Writes "Comport" and "Axis" (FormClose: whichever way the dialog closes).
    void FormClose();

protected:
    void closeEvent(QCloseEvent *event) override;
    void done(int r) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ApplyAxisChoice();
    void SelectAutoControls();
    // Port n opened on the calling thread (the program's start-up, before the event loop runs and
    // before any other thread uses the line). True when it opened.
    bool OpenPort(int n, bool report);
    // Port n chosen: opened or not (`opened`), the buttons follow and a failure is reported.
    void PortOpened(int n, bool opened, bool report);

    Messages &messages_;
    int port_ = 0;
    int axis_ = 255;
    bool checking_ = false;
    QGroupBox *grpPort_;
    QRadioButton *rdiPort_[4];
    QLabel *lblDevice_[4];
    QRadioButton *rdiAuto_;
    QRadioButton *rdiSelect_;
    QLineEdit *edtAddress_;
    QPushButton *btnOk_;
    QPushButton *btnTest_;
    QPushButton *btnHelp_;
    // Last: it goes first, so no job outlives the dialog.
    std::unique_ptr<WindowWorker> worker_;
};

} // namespace tools700
