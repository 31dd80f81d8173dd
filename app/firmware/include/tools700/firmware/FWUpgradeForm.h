// TFWUpgrade ("ARM FW Upgrade"): opens a firmware image and programs it into a 740-family
// drive's control board. The window drives the procedure of FWUpgrade one exchange per turn of
// the event loop (Timer1 while erasing, Timer2 while programming, both firing as soon as the
// window is idle): each tick hands one step to the window's drive worker and the next tick comes
// once it is shown, so the window repaints and answers Cancel (and the accessibility bus) while
// an exchange is under way. The image and the procedure belong to the worker: the image is read
// and forgotten there too.
//
// Closing the window in any way stops a running procedure at once (no further request goes to
// the drive), resets the controls and forgets the image: the next Download needs a file opened
// again. A Download after a failed phase starts again from the erase and the first image word.
// A failed Open File leaves the image and the window as they were.
#pragma once

#include "tools700/firmware/FWFuns.h"
#include "tools700/firmware/FWUpgrade.h"

#include <QDialog>

#include <memory>
#include <string>

class QCheckBox;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tools700 {

class FileDialog;
class Messages;
class Session;
class WindowWorker;

// What the window knows of the procedure: its copy after each step.
class ProcedureView {
public:
    firmware::Phase GetPhase() const { return phase; }
    bool Running() const { return phase == firmware::Phase::Erasing || phase == firmware::Phase::Programming; }
    const std::string &Failure() const { return failure; }
    long Exchanges() const { return exchanges; }
    long Segments() const { return segments; }

    firmware::Phase phase = firmware::Phase::Idle;
    std::string failure;
    long exchanges = 0;
    long segments = 0;
    firmware::UpgradeView view;
};

inline constexpr int kHelpFirmwareUpgrade = 1100;

inline constexpr const char *kNoFileSelected = "Have not selected a File, Try again.";
inline constexpr const char *kPleaseOpenFile = "Please open a file.";
using firmware::kKeepPowerOn;
using firmware::kSwitchesQuestion;

class TFWUpgrade : public QDialog {
    Q_OBJECT
public:
    // The result of a finished upgrade (Cancel and a closed window give QDialog::Rejected).
    static constexpr int kResultYes = 6;

    TFWUpgrade(Session &session, Messages &messages, QWidget *parent = nullptr);
    ~TFWUpgrade() override;

    // Shows the window modally, centred on the screen.
    int Upgrade();
    // The open dialog; the window's own Qt dialog unless one is set (the tests script it).
    void SetOpenDialog(FileDialog *dialog) { openDialog_ = dialog; }

    void btnOpenFileClick();
    void btnDownloadClick();
    void Timer1Timer();
    void Timer2Timer();

    const ProcedureView &Procedure() const { return procedure_; }
    // True while the window's drive worker has work (a step, the file being read).
    bool DriveBusy() const;

    QLabel *lblMsg = nullptr, *lblMsg1 = nullptr, *lblMsg2 = nullptr, *lblMsg3 = nullptr;
    QCheckBox *chkEraseNV = nullptr;
    QProgressBar *pgbFWLoad = nullptr;
    QFrame *Panel1 = nullptr;
    QPushButton *btnOpenFile = nullptr, *btnDownload = nullptr, *btnCancel = nullptr;
    QTimer *Timer1 = nullptr, *Timer2 = nullptr;

public slots:
    void done(int result) override;

signals:
    // After each step of the procedure the window has shown (the bench and the tests follow it).
    void stepShown();

private:
    void ShowView();
    void Failed();
    void ResetControls();
    void EndPolling();
    // A tick of Timer1 or Timer2: the next step on the worker; the timer waits for it.
    void StepOnWorker(QTimer *timer);
    void StepShown(QTimer *timer);

    Session &session_;
    Messages &messages_;
    // The worker's: touched only by its jobs, one after another.
    firmware::FWFuns image_;
    firmware::FWUpgrade upgrade_{image_};
    ProcedureView procedure_;
    bool imageLoaded_ = false;
    bool stepInFlight_ = false;
    std::unique_ptr<FileDialog> ownDialog_;
    FileDialog *openDialog_ = nullptr;
    bool pollingSuspended_ = false;
    // Last: it goes first, so no step outlives the image.
    std::unique_ptr<WindowWorker> worker_;
};

} // namespace tools700
