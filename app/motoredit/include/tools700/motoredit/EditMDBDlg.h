// TEditMDBDlg ("Motor Database Extension Editor"): browses, creates, edits and deletes the user
// motors of the extension files of the program's folder, on the editor's own copy (MotorEditor),
// and writes them back on Exit. The parameter controls are bound to the motor parameter table;
// which of them show, and with which units, follows the motor's type and units (MotorLayout).
// The window has no close box: Exit is the way out, unless writing the files failed, when
// closing the window leaves the folder as it was.
#pragma once

#include "tools700/motoredit/MotorEditor.h"
#include "tools700/motoredit/MotorRules.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLayout;
class QPushButton;
class QWidget;

namespace tools700 {

class Messages;
class Motor;
class MotorParameterRows;
class Session;
class TNewMotorDlg;
class TQXComboMotorBox;
class TQXEditMotorNum;

inline constexpr int kHelpMotorEditor = 1200;
inline constexpr int kHelpNewMotor = 1201;

inline constexpr const char *kCancelEditQuestion =
    "Stop!\n\nYou have made changes to the motor database.\nAre you sure you want to cancel and lose these "
    "changes?\nPress Yes to lose the changes, No to continue editing.";
inline constexpr const char *kDeleteQuestion =
    "Stop!\n\nAre you sure you want to delete this motor?\n\nPress Yes to delete, No to continue";

class TEditMDBDlg : public QDialog {
    Q_OBJECT
public:
    TEditMDBDlg(Session &session, Messages &messages, QWidget *parent = nullptr);
    ~TEditMDBDlg() override;

    // Reads the extension files of the program's folder and shows the window modally.
    int Edit();
    // What opening the window does (Edit calls it; the tests call it around open()).
    void FormShow();

    void cmbMotorListChange();
    void btnNewClick();
    void btnEditClick();
    void btnDeleteClick();
    void btnOKClick();
    void btnCancelClick();
    void btnExitClick();
    void pcmCommSrcExit();

    motoredit::Mode GetMode() const { return mode_; }
    bool Edited() const { return edited_; }
    const motoredit::MotorEditor &Editor() const { return editor_; }

    QComboBox *cmbMotorList = nullptr;
    QGroupBox *grpParameters = nullptr;
    QLabel *lblMotorType = nullptr, *lblKeUnits = nullptr, *lblPoleCount = nullptr, *lblPoleCountUnits = nullptr,
           *lblLinearMassUnits = nullptr;
    QWidget *pnlRotaryInertiaLabel = nullptr, *pnlCoilWeightLabel = nullptr;
    QWidget *pnlInertiaMetric = nullptr, *pnlInertiaEnglish = nullptr, *pnlLinearMass = nullptr;
    QWidget *pnlEncRes = nullptr, *pnlCommOffset = nullptr, *pnlHallOffset = nullptr;
    TQXEditMotorNum *pemKe = nullptr, *pemWeightOrInertia = nullptr, *pemInductance = nullptr,
                    *pemPoleCountOrSpacing = nullptr, *pemEncRes = nullptr, *pemICS = nullptr,
                    *pemCommOffset = nullptr, *pemHallOffset = nullptr, *pemThermalTimeConst = nullptr,
                    *pemMaxVBus = nullptr, *QXEditMotorNum1 = nullptr, *QXEditMotorNum2 = nullptr;
    TQXComboMotorBox *pcmCommSrc = nullptr;
    QPushButton *btnNew = nullptr, *btnDelete = nullptr, *btnEdit = nullptr, *btnExit = nullptr,
                *btnOK = nullptr, *btnCancel = nullptr;
    TNewMotorDlg *NewMotorDlg = nullptr;

public slots:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The constructor's panels: the motor list, the parameters, the buttons.
    QLayout *BuildMotorChoice();
    void BuildParameters();
    void BuildInertiaRow(MotorParameterRows &rows);
    QLayout *BuildButtons();
    void SetMode(motoredit::Mode mode);
    void ShowMotor(Motor &m);
    void ClearControls();
    void FillList(const std::string &select);
    std::string Selected() const;
    // Stores a typed but not yet left parameter, as leaving it would.
    void FinishTyping();
    std::vector<TQXEditMotorNum *> Edits() const;

    Session &session_;
    Messages &messages_;
    motoredit::MotorEditor editor_;
    motoredit::Mode mode_ = motoredit::Mode::Browse;
    bool edited_ = false;
    bool showing_ = false;
    bool mayClose_ = false;
};

} // namespace tools700
