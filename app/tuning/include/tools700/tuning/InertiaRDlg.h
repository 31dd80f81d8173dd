// TInertiaRDlg ("Input Inertia Ratio"): asks for the load-to-motor inertia ratio and keeps it in
// the session for the next use. Its purpose is set by the caller: the ratio for the configuration
// wizard, or the start of the on-line tuning wizard.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tools700 {

class Messages;
class Session;
class TTuning;

class TInertiaRDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kOnlineTuning = 1;
    static constexpr int kWizardRatio = 2;

    TInertiaRDlg(Session &session, Messages &messages, QWidget *parent = nullptr);

    // The wizard the on-line purpose starts.
    void SetTuning(TTuning *tuning) { tuning_ = tuning; }

    // Sets the purpose and shows the dialog modally.
    void Ask(int purpose);
    int Purpose() const { return purpose_; }
    void SetPurpose(int purpose) { purpose_ = purpose; }

    // Handlers.
    void FormActivate();
    // Takes the ratio and closes; false (the dialog stays) for a text that is not a number.
    bool btnOKClick();
    void btnCancelClick();

    QLabel *Label1 = nullptr;
    QLineEdit *edtInertiaR = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    Session &session_;
    Messages &messages_;
    TTuning *tuning_ = nullptr;
    int purpose_ = kWizardRatio;
};

// Moves a window to the middle of the primary screen.
void CenterOnScreen(QWidget &window);
// The ratio as the dialogs show it: rounded up to two decimals, no trailing zeros, with the
// user's decimal separator.
QString InertiaRatioText(double ratio);
// The number in a ratio box; false, with the conversion error shown, for a text that is none.
bool ReadInertiaRatio(const QString &text, double &ratio, Messages &messages);

} // namespace tools700
