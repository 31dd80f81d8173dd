// TCompareForm, "Compare with Drive": where a configuration (the one being edited, or a
// configuration file) and the drive at the current axis differ, one row a variable with a tick;
// Send to Drive writes the ticked values through the download's checks, order and questions,
// Take from Drive copies the drive's ticked values into the configuration, Print and Save as PDF
// keep the differences for the machine's records.
//
// The window never waits on the drive: reading and sending run on its worker, questions asked
// midway are answered here before the work goes on.
#pragma once

#include "tools700/compare/CompareWorkflow.h"
#include "tools700/widgets/WindowWorker.h"

#include <QDialog>

#include <memory>
#include <string>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace tools700 {

class FileDialog;
class Messages;
class Session;

// The window's help page.
inline constexpr int kHelpCompareWindow = 728;

class TCompareForm : public QDialog {
    Q_OBJECT
public:
    TCompareForm(Session &session, Messages &messages, QWidget *parent = nullptr);
    ~TCompareForm() override;

    // Shows the window modally on the configuration being edited; returns the number of values
    // taken from the drive into it.
    int CompareConfiguration(Cfg &cfg, const std::string &name);
    // Shows the window modally on a configuration file; values taken go into the file after the
    // Save question. A file that cannot be read is reported and the window is not shown.
    void CompareFile(const std::string &path);
    // The same without waiting (tests): the window is shown, the drive is read, the call returns.
    bool BeginConfiguration(Cfg &cfg, const std::string &name);
    bool BeginFile(const std::string &path);

    // Drive work running or waiting.
    bool Busy() const { return worker_.Busy() || busy_; }
    const CompareWorkflow &Workflow() const { return workflow_; }
    // The dialog that asks for the PDF file (tests give a scripted one).
    void SetPdfDialog(std::unique_ptr<FileDialog> dialog);

    // Handlers.
    void btnReadClick();
    void btnSendClick();
    void btnTakeClick();
    void btnPrintClick();
    void btnPdfClick();
    void btnTickAllClick();
    void btnTickNoneClick();
    void chkAllClick();
    void btnCloseClick();
    void btnHelpClick();

    QLabel *lblConfiguration = nullptr, *lblDrive = nullptr, *lblModelWarning = nullptr, *lblSummary = nullptr,
           *lblResult = nullptr;
    QCheckBox *chkAll = nullptr;
    QTableWidget *tblVariables = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *btnTickAll = nullptr, *btnTickNone = nullptr, *btnRead = nullptr, *btnSend = nullptr,
                *btnTake = nullptr, *btnPrint = nullptr, *btnPdf = nullptr, *btnClose = nullptr,
                *btnHelp = nullptr;

    void reject() override;
    void done(int result) override;

private:
    bool Open(const std::function<void()> &open);
    void ShowProgress(bool visible);
    void SetBusy(bool busy);
    void Fill();
    void UpdateButtons();
    // The rows' ticks follow their selection (and the workflow's ticks follow it).
    void ShowTicks();
    void SelectionChanged();
    // After Take from Drive or on closing: the values taken into a file are saved when the user
    // says so. False when the file could not be written.
    bool AskToSave(const std::string &question);
    bool LeaveWindow();

    Session &session_;
    Messages &messages_;
    CompareWorkflow workflow_;
    WindowWorker worker_;
    std::unique_ptr<FileDialog> pdfDialog_;
    std::vector<const ComparedVariable *> rows_; // the rows shown, in order
    bool busy_ = false;
    bool filling_ = false;
    bool otherModelAccepted_ = false;
};

} // namespace tools700
