// TComportDlg: the port and axis dialog. Chooses the serial port COM1..COM4 and the axis address,
// tells the link library, and keeps both in the settings store ("SOFTWARE/Korvane/700/Comm",
// values "Comport" and "Axis"). Beside each port button it shows the device the port maps to.
#pragma once

#include <QDialog>

#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tools700 {

class Messages;

class TComportDlg : public QDialog {
    Q_OBJECT
public:
    // Creation is the program's first link setup: probes the ports, reads the stored choices,
    // applies them to the link.
    explicit TComportDlg(Messages &messages, QWidget *parent = nullptr);

    int Port() const { return port_; }
    int Axis() const { return axis_; }

    // Handlers (public so that workflows and tests can drive the dialog as a user would).
    // Opens port n. A port that cannot be opened is reported (unless `report` is false), is
    // not selected and not stored, and the link goes back to the port selected before.
    // Returns true when the port was opened.
    bool rdiPortClick(int n, bool report = true);
    void rdiAutoClick();
    void rdiSelectClick();
    // Returns true when no message was shown (the address was accepted).
    bool btnOkClick();
    void btnTestClick();
    void btnHelpClick();
    void edtAddressExit();

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
};

} // namespace tools700
