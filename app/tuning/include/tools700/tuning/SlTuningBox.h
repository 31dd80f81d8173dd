// TslTuningBox ("Select..."): the off-line start of the tuning wizard. The user picks a drive
// model, a motor offered for the drive's bus voltage (every motor in in-house mode) and the
// inertia ratio; OK loads the motor's data and shows the wizard.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tools700 {

class Messages;
class Session;
class TTuning;

class TslTuningBox : public QDialog {
    Q_OBJECT
public:
    TslTuningBox(Session &session, Messages &messages, TTuning &tuning, QWidget *parent = nullptr);

    // Shows the dialog modally.
    void Ask();
    int BusClass() const { return busClass_; }

    // Handlers.
    void FormActivate();
    void cmbDriveClick();
    void btnOKClick();
    void btnCancelClick();

    QComboBox *cmbDrive = nullptr, *cmbMotor = nullptr;
    QLineEdit *edtInertiaR = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    Session &session_;
    Messages &messages_;
    TTuning &tuning_;
    int busClass_ = 320;
};

} // namespace tools700
