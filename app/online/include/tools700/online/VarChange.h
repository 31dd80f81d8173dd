// TVarChange: the change-value dialog. The on-line window opens it modally for one variable with
// the row's current value text; OK writes the typed number or the picked value to the drive
// (online::WriteNumber, online::WriteEnumerated) on the dialog's drive worker. An error is shown
// and the dialog stays open, so the user can correct the value or cancel.
#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tools700 {

class Messages;
class TQXComboBox;
class WindowWorker;

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
    // True while a write is on its way to the drive.
    bool Writing() const { return writing_; }

    QLabel *lblShow = nullptr;
    QLabel *lblHint = nullptr;
    QLineEdit *edtNum = nullptr;
    TQXComboBox *edtText = nullptr;
    QLabel *lblMinMax = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    Messages &messages_;
    QString changedName_;
    bool writing_ = false;
    // Last: it goes first, so no write outlives the dialog.
    std::unique_ptr<WindowWorker> worker_;
};

} // namespace tools700
