// TSweepAnalysis ("Sweep Analysis"): one sweep looked at closely. The scope's sweeps (its newest
// by default) or a sweep file, drawn larger with zoom and pan; the cursors A and B with each
// channel's values, the time between them and its inverse; the step figures of one channel
// against the other as its command (or against its own levels); a reference sweep kept in the
// data folder and drawn in grey behind the next sweeps here and in the scope window, with its
// figures beside; the analysis saved as CSV or a picture and printed. The arithmetic is
// tools700_analysis_core's; the scope's sweeps and the reference travel through the session.
#pragma once

#include "tools700/Sweep.h"
#include "tools700/analysis/StepFigures.h"
#include "tools700/analysis/SweepFile.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPainter;
class QPrinter;
class QPushButton;
class QTableWidget;
class QVBoxLayout;

namespace tools700 {

class AnalysisGraph;
class Messages;
class Session;

// Context number of the window's help page.
inline constexpr int kHelpSweepAnalysis = 810;

class TSweepAnalysis : public QDialog {
    Q_OBJECT
public:
    TSweepAnalysis(Session &session, Messages &messages, QWidget *parent = nullptr);
    ~TSweepAnalysis() override;

    // Shows the scope's sweeps, the newest selected, and brings the window to the front.
    void ShowScopeSweeps();
    // Shows the sweeps of a file (the view saved beside them restored); false when it holds none.
    bool OpenFile(const QString &fileName);

    // The sweep shown (empty when there is none).
    const Sweep &Current() const;
    const analysis::StepFigures &Figures() const { return figures_; }
    const analysis::StepFigures &ReferenceFigures() const { return referenceFigures_; }
    // The analysis as lines: what is shown, the cursors, the figures of the sweep and reference.
    QStringList ReportLines() const;

    // Handlers, named after the controls (public for the tests).
    void cmbFrameChange();
    void cmbFigureChannelChange();
    void cmbCommandChange();
    void btnKeepReferenceClick();
    void btnClearReferenceClick();
    void btnResetZoomClick();
    void btnOpenClick();
    void btnSaveCsvClick();
    void btnSavePictureClick();
    void btnPrintClick();
    void btnHelpClick();

    // The report onto a printer that has been set up (btnPrintClick after its dialog).
    void PrintReport(QPrinter &printer);
    QPrinter &Printer() { return *printer_; }
    // Dialogs the tests put their own in place of: the printer set-up (false: cancelled), the
    // names of a file to save and to open (caption, filter; empty: cancelled).
    std::function<bool(QPrinter &)> setupPrinter;
    std::function<QString(const QString &, const QString &)> chooseSaveFile;
    std::function<QString(const QString &, const QString &)> chooseOpenFile;

    // Controls.
    AnalysisGraph *graph = nullptr;
    QGroupBox *grpSweep = nullptr, *grpCursors = nullptr, *grpFigures = nullptr, *grpReference = nullptr;
    QComboBox *cmbFrame = nullptr;
    QLabel *lblOrigin = nullptr;
    QTableWidget *tblCursors = nullptr;
    QComboBox *cmbFigureChannel = nullptr, *cmbCommand = nullptr;
    QLabel *lblNotAStep = nullptr;
    QTableWidget *tblFigures = nullptr;
    QLabel *lblReference = nullptr;
    QPushButton *btnKeepReference = nullptr, *btnClearReference = nullptr;
    QPushButton *btnOpen = nullptr, *btnSaveCsv = nullptr, *btnSavePicture = nullptr, *btnPrint = nullptr,
                *btnResetZoom = nullptr, *btnHelp = nullptr, *btnClose = nullptr;

private:
    void BuildControls();
    QVBoxLayout *BuildSidePanel();
    QHBoxLayout *BuildButtonRow();
    // The sweeps shown and which of them; `view` restores cursors, zoom and figure channels.
    void ShowSweeps(std::vector<Sweep> sweeps, bool following, const analysis::SweepView *view);
    void ShowCurrent(bool resetZoom);
    void RefreshCursors();
    void RefreshFigures();
    void RefreshReference();
    void FillFigureLists();
    analysis::SweepView View() const;
    // The figures of a sweep with the channels chosen in the lists.
    analysis::StepFigures FiguresOf(const Sweep &sweep) const;
    // Draws the report: title, chart and the lines under it, into `page`.
    void DrawReport(QPainter &painter, const QRect &page);

    Session &session_;
    Messages &messages_;
    std::vector<Sweep> sweeps_;
    bool following_ = false; // showing the scope's sweeps: a new single sweep is shown at its end
    analysis::StepFigures figures_, referenceFigures_;
    std::unique_ptr<QPrinter> printer_;
    int sweepEndedListener_ = 0, referenceListener_ = 0;
};

} // namespace tools700
