// TScopeForm: the two-channel software oscilloscope. A chart with two traces over time, a source,
// scale and offset per channel, a trigger, a timebase, single sweeps, a vertical cursor with its
// read-outs, a printed summary page, the history saved as CSV and the chart as a picture, a
// button that brings up the on-line drive window and one that opens the sweep analysis (whose
// reference sweep is drawn in grey behind the traces). A thin window over the engine of
// tools700_scope_core: one TScope feeding the chart and one DataPump fetching from the drive.
#pragma once

#include "tools700/scope/DataPump.h"
#include "tools700/scope/ScopeStore.h"
#include "tools700/scope/TScope.h"
#include "tools700/common/Sweep.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QSettings;
class QTimer;

namespace tools700 {

class Messages;
class ScopeGraph;
class Session;

// Context number of the window's help page.
inline constexpr int kHelpScopeWindow = 800;

// The scope's settings in the program's settings file, below "SOFTWARE/Korvane/700/Scope". The
// file is read once and written by Sync, not once per value.
class SettingsScopeStore : public scope::ScopeStore {
public:
    SettingsScopeStore();
    ~SettingsScopeStore() override;
    // Reads the file anew with the next value (the file may have changed meanwhile).
    void Reopen();
    // Writes what was changed; false when the file could not be written.
    bool Sync();

    std::optional<double> ReadDouble(const std::string &key, const std::string &name) override;
    std::optional<int> ReadInt(const std::string &key, const std::string &name) override;
    std::optional<std::string> ReadText(const std::string &key, const std::string &name) override;
    bool WriteDouble(const std::string &key, const std::string &name, double value) override;
    bool WriteInt(const std::string &key, const std::string &name, int value) override;
    bool WriteText(const std::string &key, const std::string &name, const std::string &value) override;

private:
    QSettings *Store();
    std::unique_ptr<QSettings> settings_;
};

class TScopeForm : public QDialog {
    Q_OBJECT
public:
    // `reader` is the link call of the fetches (the link library's by default).
    TScopeForm(Session &session, Messages &messages, QWidget *parent = nullptr,
               scope::ScopeReader reader = scope::LinkScopeReader());
    ~TScopeForm() override;

    scope::TScope &Scope() { return *scope_; }
    scope::DataPump &Pump() { return *pump_; }

    // Handlers, named after the controls and events (public for the tests).
    void FormCreate();
    void FormActivate();
    void FormShow();
    void FormHide();
    void FormClose();
    void FormDestroy();
    void RefreshControls();
    void cmbSource1Change();
    void cmbSource2Change();
    void cmbTriggerChange();
    void cmbTimebaseChange();
    void edtTriggerLevelExit();
    void edtCh1GainExit();
    void edtCh1OffsetExit();
    void edtCh2GainExit();
    void edtCh2OffsetExit();
    void ckbThickTrace1Click();
    void ckbThickTrace2Click();
    void ckbSingleSweepClick();
    void btnResetClick();
    void Timer1Timer();
    void graphCursorMoved();
    void btnPrintClick();
    void btnSaveCsvClick();
    void btnSavePictureClick();
    void btnSwitchClick();
    void btnAnalysisClick();

    // One sweep of Velocity Command and Velocity Feedback, triggered by the command's rising edge,
    // at a timebase that suits the tuned bandwidth: set up and armed; the sweep analysis opens at
    // the sweep's end.
    void ArmStepResponse();
    // The timebase (ms per sample) whose 100 samples span five periods of the bandwidth: the
    // shortest one at least 50 / bandwidth; none for no bandwidth.
    static std::optional<double> StepTimebase(double bandwidthHz);
    // The history as sweeps, one a frame, oldest first.
    std::vector<Sweep> HistorySweeps() const;

    // The summary page onto a printer that has been set up (btnPrintClick after its dialog).
    void PrintSummary(QPrinter &printer);
    // The printer of every print; the set-up dialog changes it.
    QPrinter &Printer() { return *printer_; }
    // Shows the printer set-up dialog; false when cancelled. Tests put their own in place.
    std::function<bool(QPrinter &)> setupPrinter;
    // Asks for the name of a file to save (caption, filter); empty when cancelled.
    std::function<QString(const QString &, const QString &)> chooseSaveFile;

    // Controls.
    ScopeGraph *graph = nullptr;
    QLabel *pnlNoComm = nullptr;
    QLineEdit *edtCursorValue1 = nullptr, *edtCursorValue2 = nullptr;
    QGroupBox *GroupBox1 = nullptr, *GroupBox2 = nullptr, *GroupBox3 = nullptr, *GroupBox4 = nullptr;
    QGroupBox *grpSingleSweepMode = nullptr;
    QComboBox *cmbSource1 = nullptr, *cmbSource2 = nullptr;
    QLabel *lblCh1Units = nullptr, *lblCh2Units = nullptr;
    QCheckBox *ckbThickTrace1 = nullptr, *ckbThickTrace2 = nullptr;
    QLineEdit *edtCh1Gain = nullptr, *edtCh2Gain = nullptr;
    QLabel *lblGain1Units = nullptr, *lblGain2Units = nullptr;
    QLineEdit *edtCh1Offset = nullptr, *edtCh2Offset = nullptr;
    QLabel *lblOffset1Units = nullptr, *lblOffset2Units = nullptr;
    QComboBox *cmbTrigger = nullptr;
    QLineEdit *edtTriggerLevel = nullptr;
    QLabel *lblTriggerUnits = nullptr;
    QCheckBox *ckbSingleSweep = nullptr;
    QPushButton *btnReset = nullptr;
    QComboBox *cmbTimebase = nullptr;
    QPushButton *btnPrint = nullptr, *btnSaveCsv = nullptr, *btnSavePicture = nullptr, *btnSwitch = nullptr;
    QPushButton *btnAnalysis = nullptr;
    QTimer *Timer1 = nullptr;

public slots:
    void reject() override;

signals:
    // After every tick of Timer1 (the tests and the screenshots wait for it).
    void ticked();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildControls();
    QGroupBox *BuildChannel(int channel, int top);
    // Reads the edit's number in min..max; shows the error and returns the focus to the edit
    // otherwise. Nothing when it was refused.
    std::optional<double> ReadBoundedFloat(QLineEdit *edit, double min, double max);
    void Exit(QLineEdit *edit);
    QString CursorPositionText() const;
    // The session's reference sweep in grey, in each channel's scale and offset, where the channel
    // shows the reference's signal.
    void ShowReference();

    Session &session_;
    Messages &messages_;
    SettingsScopeStore store_;
    std::unique_ptr<scope::TScope> scope_;
    std::unique_ptr<scope::DataPump> pump_;
    std::unique_ptr<QPrinter> printer_;
    int ticks_ = 0;
    bool reading_ = false; // a refused entry's message is up: the edit's focus loss is not an exit
    bool sweepArmed_ = false;        // a single sweep was armed and has not ended yet
    bool analyseAtSweepEnd_ = false; // the step response: the sweep analysis opens at its end
    int referenceListener_ = 0;
};

} // namespace tools700
