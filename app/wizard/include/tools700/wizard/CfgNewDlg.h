// TCfgNewDlg: the configuration editor. Opened for a new configuration it is a wizard: a first
// page asks for the drive, the motor, the operating mode and the inertia ratio, the I/O wizard
// assigns the digital inputs and outputs, and the second page shows the computed configuration on
// tabs of bound controls. Opened on an existing configuration (Edit File, Upload) it starts on the
// second page. "&Next >>" hands the configuration to the save window.
#pragma once

#include "tools700/wizard/EditorTabs.h"
#include "tools700/wizard/WizardRules.h"

#include <QDialog>
#include <QMap>

#include <memory>
#include <string>

class QComboBox;
class QEventLoop;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace tools700 {

class Messages;
class Session;
class TIOWizardDlg;
class TQXComboBox;
class TQXEditNum;
class TSaveForm;
class BoundControl;

class TCfgNewDlg : public QDialog, public WizardForm {
    Q_OBJECT
public:
    TCfgNewDlg(Session &session, Messages &messages, TSaveForm &saveForm, QWidget *parent = nullptr);
    ~TCfgNewDlg() override;

    void SetIOWizard(TIOWizardDlg *dlg) { ioWizard_ = dlg; }
    ConfigurationWizard &Core() { return core_; }
    const ConfigurationWizard &Core() const { return core_; }

    // Entry points: a new configuration (first page), or editing an existing one (entry mode 2
    // or 3) on the second page. Both show the window modally and return when it closes.
    void NewConfiguration();
    void EditConfiguration(int entryMode, Cfg &cfg, const std::string &name);
    // The same without waiting: the window is shown and the call returns (for tests and
    // unattended runs; Finished() tells when it has closed).
    void BeginNew();
    void BeginEdit(int entryMode, Cfg &cfg, const std::string &name);
    bool Finished() const { return finished_; }

    // Activation: the drive list refilled, then Refresh.
    void FormActivate();
    void Refresh();
    void FillMotorList(int busClass);
    void StartConfiguration(Cfg &cfg, const std::string &name, const IoMap &io, double ratio, int mode,
                            const std::string &drive, const std::string &motor);
    // Binds the digital I/O boxes to the variables of a family, keeping what they show.
    void BindDigitalIo(bool family740);
    // The tab rules.
    void ShowTabsForMode();
    void UpdateMoveUnits();
    void UpdateFeedbackText();

    // Handlers.
    void cmbDriveChange();
    void cmbOpModeClick();
    void cmbMotorChange();
    void OKBtnClick();
    void CancelBtnClick();
    void btnNextClick();
    void btnBackClick();
    void btnHelp1Click();
    void btnHelp2Click();
    void TabShow(int tab);
    void pcmbDMMapExit(int output);
    void rdiMoveNumberClick(int move);
    void MoveTypeRule();
    void pcmbCommSrcBoxClick();
    void pcmbRemoteFBChange();

    // The window's form operations over its bound controls.
    void InitAll(ValueSet &set) override;
    void StoreAll(ValueSet &set) override;

    QString DriveText() const;
    QString MotorText() const;
    QString ModeText() const;
    bool OnSecondPage() const;
    int MoveNumber() const { return moveNumber_; }
    // A control of the tabs by its object name (tests, screenshots).
    template <class T> T *Control(const char *name) const { return findChild<T *>(QString::fromLatin1(name)); }

    // First page.
    QGroupBox *GroupBox10 = nullptr, *grpMotor = nullptr, *grpMode = nullptr, *grpTuning = nullptr;
    QComboBox *cmbDrive = nullptr, *cmbMotor = nullptr, *cmbOpMode = nullptr;
    QLineEdit *edtInertia = nullptr;
    QPushButton *OKBtn = nullptr, *CancelBtn = nullptr, *btnHelp1 = nullptr;
    // Second page.
    QTabWidget *PageControl1 = nullptr;
    QPushButton *btnBack = nullptr, *btnNext = nullptr, *btnHelp2 = nullptr;
    QWidget *tabs[kEditorTabs] = {};
    TQXComboBox *pcmbInpMap[6] = {};
    TQXComboBox *pcmbOutMap[4] = {};
    TQXEditNum *pedtVelCmd = nullptr;
    QGroupBox *grpVelCmd = nullptr, *grpVelCtrlGainOffset = nullptr, *grpGearingRatio = nullptr,
              *grpMoveParameters = nullptr, *rdiMoveNumber = nullptr;
    QRadioButton *rdiMove[8] = {};
    QLabel *lblStepsPerRev = nullptr, *lblFeedBack = nullptr, *lblDistance = nullptr;
    QFrame *pnlEncoder = nullptr, *pnlEmulatedEncoder = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void BuildFirstPage();
    void BuildTabs();
    // One builder per tab of the second page, on the tab's page.
    void BuildDigitalTab(QWidget *w);
    void BuildAnalogTab(QWidget *w);
    void BuildLoopTab(QWidget *w);
    void BuildTorqueTab(QWidget *w);
    void BuildVelocityTab(QWidget *w);
    void BuildPositionTabs(QWidget *w, QWidget *w2);
    void BuildPredefinedTab(QWidget *w);
    void BuildFeedbackTab(QWidget *w);
    void ShowPage(bool second);
    void Close();
    void RunModal();
    void BindVelCmd(bool family740);
    void Bind(BoundControl *control, const std::string &name);
    // A mode or motor change on the second page: the default-setting question and its branches.
    void DefaultsQuestion(bool motorChange);
    QLabel *Units(const char *name) const;
    void SetRowVisible(const MoveRow &row, bool shown);
    void SetRowEnabled(const char *control, bool enabled);

    Session &session_;
    Messages &messages_;
    TSaveForm &saveForm_;
    TIOWizardDlg *ioWizard_ = nullptr;
    ConfigurationWizard core_;
    QFrame *bevel_ = nullptr;
    QMap<QString, QLabel *> rowLabels_;
    int moveNumber_ = 0;
    bool finished_ = true;
    QEventLoop *loop_ = nullptr;
};

// Help contexts of the two pages.
inline constexpr int kHelpNewConfiguration = 725;
inline constexpr int kHelpConfigurationEditor = 726;

} // namespace tools700
