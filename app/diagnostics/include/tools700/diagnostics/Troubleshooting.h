// TTroubleshooting ("Diagnostics"): reads the drive's values with a progress bar, runs the
// checklist, lists each failed check and explains it in a warning box (OK goes on, Cancel stops),
// sweeps its "% Completed" dial and sums up. Modeless and on top. The values are read on the
// window's drive worker; Exit hides the window at once, drops the read in flight and ends a run at
// its next step.
#pragma once

#include "tools700/diagnostics/Checklist.h"

#include <QDialog>

#include <memory>

class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace tools700 {

class Messages;
class TDial;
class WindowWorker;

inline constexpr int kHelpDiagnostics = 740;

class TTroubleshooting : public QDialog {
    Q_OBJECT
public:
    explicit TTroubleshooting(Messages &messages, QWidget *parent = nullptr);
    ~TTroubleshooting() override;

    // Handlers.
    void btnStartClick();
    void btnCancelClick();
    void FormActivate();

    // The values of the last run (all 0 before the first).
    const diagnostics::DiagnosticValues &Values() const { return values_; }
    bool Running() const { return running_; }
    // How long the window waits at each step of the dial, in ms.
    void SetStepDelay(int ms) { stepDelayMs_ = ms; }

    QPlainTextEdit *Checklist = nullptr;
    TDial *AbDial1 = nullptr;
    QPushButton *btnStart = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *btnCancel = nullptr;

signals:
    // A run ended (any way).
    void runFinished(int end);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    class View;
    // Lets the window repaint and its events run; false once Exit was pressed.
    bool Breathe(int waitMs);
    void AddLine(const std::string &line);
    // After the values were read (or not): the checks, or the upload's failure.
    void Uploaded(diagnostics::RunEnd upload, const diagnostics::DiagnosticValues &values);
    void EndRun(diagnostics::RunEnd end);

    Messages &messages_;
    diagnostics::DiagnosticValues values_;
    QString prompt_;
    bool exitRequested_ = false;
    bool running_ = false;
    bool uploading_ = false;
    int stepDelayMs_ = 10;
    // Last: it goes first, so no read outlives the window.
    std::unique_ptr<WindowWorker> worker_;
};

} // namespace tools700
