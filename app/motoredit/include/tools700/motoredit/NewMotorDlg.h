// TNewMotorDlg ("New Motor Definition"): the type, name and units of a new user motor. The name
// is checked when OK is pressed; a refused name is warned about and the dialog stays open.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tools700 {

class Messages;
class Motor;
class TQXComboMotorBox;

class TNewMotorDlg : public QDialog {
    Q_OBJECT
public:
    explicit TNewMotorDlg(Messages &messages, QWidget *parent = nullptr);

    // Shows the dialog modally with the motor's values; on OK the name is set and the motor holds
    // the dialog's type, units and (for a linear motor) CommSrc 1. `inEditor` tells the names the
    // editor already holds.
    bool Ask(Motor &motor, const std::function<bool(const std::string &)> &inEditor, std::string &name);

    // Checks the name; closes with OK when it is accepted.
    bool btnOKClick();

    TQXComboMotorBox *pcmMotorType = nullptr;
    QLineEdit *edtName = nullptr;
    QGroupBox *rgrpUnits = nullptr;
    QRadioButton *rdiEnglish = nullptr, *rdiMetric = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;

private:
    Messages &messages_;
    std::function<bool(const std::string &)> inEditor_;
};

} // namespace tools700
