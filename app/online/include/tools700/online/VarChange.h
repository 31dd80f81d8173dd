// TVarChange: the change-value dialog. The on-line window opens it modally for one variable with
// the row's current value text; OK writes the typed number or the picked value to the drive
// (online::WriteNumber, online::WriteEnumerated). An error is shown and the dialog stays open, so
// the user can correct the value or cancel.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tools700 {

class Messages;
class TQXComboBox;

class TVarChange : public QDialog {
    Q_OBJECT
public:
    TVarChange(Messages &messages, QWidget *parent = nullptr);
    ~TVarChange() override;

    // Prepares the dialog for the variable and runs it modally; QDialog::Accepted or Rejected.
    int ChangeValue(const QString &name, const QString &currentText);
    // The dialog set up as ChangeValue does, without running it (the tests run it themselves).
    void Prepare(const QString &name, const QString &currentText);

    void btnOkClick();
    const QString &ChangedName() const { return changedName_; }

    QLabel *lblShow = nullptr;
    QLabel *lblHint = nullptr;
    QLineEdit *edtNum = nullptr;
    TQXComboBox *edtText = nullptr;
    QLabel *lblMinMax = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    Messages &messages_;
    QString changedName_;
};

} // namespace tools700
