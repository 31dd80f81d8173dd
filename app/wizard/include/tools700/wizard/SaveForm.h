// TSaveForm: what to do with a finished configuration: save it to a file, download it into the
// connected drive (and have the drive keep it in its non-volatile memory), print it, go back to
// the editor or finish.
#pragma once

#include "tools700/wizard/SaveWorkflow.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tools700 {

class Messages;
class Session;
class TPrintCfgDialog;
class WindowWorker;

class TSaveForm : public QDialog {
    Q_OBJECT
public:
    TSaveForm(Session &session, Messages &messages, TPrintCfgDialog &printDialog, QWidget *parent = nullptr);
    ~TSaveForm() override;

    // Shows the window modally for a configuration; returns its caption when it closes (the
    // file name after a save). `finish` tells whether it closed with "&Finish >>"; `activated`
    // runs each time the window becomes active (the editor keeps the user's values then).
    std::string ShowSaveWindow(ValueSet &cfg, const std::string &caption, bool modified, bool &finish,
                               std::function<void()> activated = {});
    // The same without waiting (tests): the window is shown and the call returns.
    void Begin(ValueSet &cfg, const std::string &caption, bool modified, std::function<void()> activated = {});
    bool FinishedWith() const { return finishResult_; }
    const SaveWorkflow &Workflow() const { return workflow_; }
    // Values were taken from the drive into the configuration during the last visit.
    bool ValuesTaken() const { return workflow_.ValuesTaken(); }
    // The configuration holds changes that are in no file.
    bool Unsaved() const { return workflow_.Unsaved(); }

    // Handlers.
    void FormActivate();
    void btnSaveClick();
    void btnDownloadClick();
    void btnCompareClick();
    void btnPrintClick();
    void btnHelpClick();
    void btnBackClick();
    void btnFinishClick();

    QLabel *Label2 = nullptr, *Label3 = nullptr, *Label1 = nullptr;
    QPushButton *btnSave = nullptr, *btnDownload = nullptr, *btnCompare = nullptr, *btnPrint = nullptr,
                *btnHelp = nullptr, *btnBack = nullptr, *btnFinish = nullptr;
    QLabel *lblDoneSave = nullptr, *lblDoneDownload = nullptr, *lblSavedToNV = nullptr;
    QProgressBar *ProgressBar1 = nullptr;

    // True while a download runs on the window's drive worker.
    bool Downloading() const { return downloading_; }

public slots:
    // Closing drops a download's rest: the exchange in flight ends on the worker, nothing more is
    // written or asked.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void Prepare(ValueSet &cfg, const std::string &caption, bool modified, std::function<void()> activated);
    void DownloadEnded();

    Session &session_;
    Messages &messages_;
    TPrintCfgDialog &printDialog_;
    // Before the workflow: its questions are asked through the worker, from either thread. The
    // destructor stops it before anything else goes.
    std::unique_ptr<WindowWorker> worker_;
    SaveWorkflow workflow_;
    std::function<void()> activated_;
    bool finishResult_ = false;
    bool downloading_ = false;
};

inline constexpr int kHelpSaveWindow = 727;

} // namespace tools700
