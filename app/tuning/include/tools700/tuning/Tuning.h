// TTuning ("Tuning Wizard"): one bandwidth slider for the velocity loop. It shows the motor and
// drive, the inertia ratio, Kvp, Kvi and the two anti-resonance filters, the bandwidth and the
// phase margin they give, and warns when the bandwidth leaves the range the integrator and the
// filters allow. On line it reads the gains from the drive and writes new ones back (Apply, and
// the NV save at Close); off line it is a calculator. The rules are TuningWizard's; an edit or the
// slider is evaluated 600 ms after the first key of a burst (Timer2).
#pragma once

#include "tools700/tuning/TuningWizard.h"

#include <QDialog>

#include <memory>

#include <functional>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace tools700 {

class Messages;
class Session;
class TScaleSlider;
class WindowWorker;

class TTuning : public QDialog {
    Q_OBJECT
public:
    TTuning(Session &session, Messages &messages, QWidget *parent = nullptr);
    ~TTuning() override;

    tuning::TuningWizard &Core() { return core_; }

    // The start dialogs: the mode and (off line) the drive and motor, then the data loaded; 0 when
    // the wizard may be shown (ShowWizard), else the code of the problem.
    void Prepare(int tuningMode, const std::string &drive = {}, const std::string &motor = {});
    int LoadTuningData() { return core_.LoadTuningData(); }
    void ShowWizard();
    // The on-line start: the drive's data read on the window's drive worker, then the wizard shown
    // when they allow it (the problem's message otherwise).
    void StartOnline();
    // True while the window's drive worker has work (the window's rules wait for it).
    bool DriveBusy() const;

    // Handlers.
    void FormActivate();
    void EditKeyPress(tuning::EditField field);
    void AbHSlider1ValueChange(int value);
    void AbHSlider1MouseUp();
    void Timer2Timer();
    void btnOrignalClick();
    void btnDefaultClick();
    void btnApplyClick();
    void btnHelpClick();
    void btnCloseClick();
    // The link shown after Apply on line: the scope armed for a step of the applied loop.
    void btnStepResponseClick();

    QLineEdit *edtMotor = nullptr, *edtDrive = nullptr, *edtInertiaR = nullptr;
    TScaleSlider *AbHSlider1 = nullptr;
    QFrame *Panel1 = nullptr, *Panel2 = nullptr, *Panel3 = nullptr;
    QLabel *lblBWReader = nullptr, *lblPhase = nullptr, *lblPhaseValue = nullptr, *lblPhase2 = nullptr;
    QLineEdit *edtKvp = nullptr, *edtKvi = nullptr, *edtARF0 = nullptr, *edtARF1 = nullptr;
    QLabel *lblARF0 = nullptr, *lblARF1 = nullptr;
    QPushButton *btnOrignal = nullptr, *btnDefault = nullptr, *btnApply = nullptr, *btnHelp = nullptr,
                *btnClose = nullptr;
    QPushButton *btnStepResponse = nullptr;
    QTimer *Timer2 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    // Hidden while drive work runs (Escape): the work ends at its next exchange, unreported.
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildControls();
    // Shows what the rules decided.
    void Refresh();
    void StartTimer();
    // Runs a rule, then shows what it decided (also when it raised an error).
    void Shown(const std::function<void()> &action);
    tuning::EditTexts EditTexts() const;
    QLineEdit *Edit(tuning::EditField field) const;

    // Close's steps after the last change's Apply: the NV save offered, then the end.
    void CloseAfterApply();
    void CloseEnd();

    Session &session_;
    Messages &messages_;
    // Before the wizard: its questions are asked through the worker, from either thread. The
    // destructor stops it before anything else goes.
    std::unique_ptr<WindowWorker> worker_;
    tuning::TuningWizard core_;
    bool closing_ = false;
};

} // namespace tools700
