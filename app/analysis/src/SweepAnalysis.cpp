#include "tools700/analysis/SweepAnalysis.h"

#include "tools700/Messages.h"
#include "tools700/Session.h"
#include "tools700/analysis/AnalysisGraph.h"
#include "tools700/analysis/CursorReadout.h"
#include "tools700/analysis/FigureTexts.h"
#include "tools700/analysis/ReferenceSweep.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/HelpViewer.h"

#include <QChart>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QFormLayout>
#include <QGraphicsScene>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace tools700 {

namespace {

QString Q(const std::string &text) { return QString::fromStdString(text); }

void SetCell(QTableWidget *table, int row, int column, const QString &text)
{
    QTableWidgetItem *item = table->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        table->setItem(row, column, item);
    }
    item->setText(text);
}

QString SweepDescription(const Sweep &s)
{
    QString text = QStringLiteral("Ch1 %1 (%2), Ch2 %3 (%4)")
                       .arg(Q(s.Channel(1).signal), Q(s.Channel(1).unit), Q(s.Channel(2).signal), Q(s.Channel(2).unit));
    if (s.timebaseMs > 0)
        text += QStringLiteral("; %1 ms per sample").arg(s.timebaseMs);
    if (!s.trigger.empty())
        text += QStringLiteral("; trigger ") + Q(s.trigger);
    return text;
}

} // namespace

TSweepAnalysis::TSweepAnalysis(Session &session, Messages &messages, QWidget *parent)
    : QDialog(parent), session_(session), messages_(messages),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setObjectName(QStringLiteral("SweepAnalysis"));
    setWindowTitle(QStringLiteral("Sweep Analysis"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setProperty("helpContext", kHelpSweepAnalysis);
    setModal(false);
    resize(1100, 720);

    setupPrinter = [this](QPrinter &printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    chooseSaveFile = [this](const QString &caption, const QString &filter) {
        return QFileDialog::getSaveFileName(this, caption, QString(), filter);
    };
    chooseOpenFile = [this](const QString &caption, const QString &filter) {
        return QFileDialog::getOpenFileName(this, caption, QString(), filter);
    };
    BuildControls();

    // The reference kept by an earlier run is shown here and in the scope from the start.
    std::string error;
    if (auto kept = analysis::LoadReference(session_.ProgramDir, error))
        session_.Sweeps.SetReference(std::move(kept));
    referenceListener_ = session_.Sweeps.OnReferenceChanged([this] { RefreshReference(); });
    sweepEndedListener_ = session_.Sweeps.OnSweepEnded([this] {
        if (following_ && isVisible())
            ShowSweeps(session_.Sweeps.History(), true, nullptr);
    });
    RefreshReference();
    if (!error.empty())
        lblReference->setText(QStringLiteral("The kept reference cannot be read: ") + Q(error));
}

TSweepAnalysis::~TSweepAnalysis()
{
    session_.Sweeps.Remove(referenceListener_);
    session_.Sweeps.Remove(sweepEndedListener_);
}

const Sweep &TSweepAnalysis::Current() const
{
    static const Sweep none;
    const int i = cmbFrame->currentIndex();
    return i >= 0 && static_cast<std::size_t>(i) < sweeps_.size() ? sweeps_[static_cast<std::size_t>(i)] : none;
}

void TSweepAnalysis::ShowScopeSweeps()
{
    ShowSweeps(session_.Sweeps.History(), true, nullptr);
    show();
    raise();
    activateWindow();
}

bool TSweepAnalysis::OpenFile(const QString &fileName)
{
    std::string error;
    const auto file = analysis::ReadSweepFile(fileName.toStdString(), error);
    if (!file) {
        messages_.Message(error);
        return false;
    }
    ShowSweeps(file->frames, false, &file->view);
    return true;
}

void TSweepAnalysis::ShowSweeps(std::vector<Sweep> sweeps, bool following, const analysis::SweepView *view)
{
    sweeps_ = std::move(sweeps);
    following_ = following;
    {
        const QSignalBlocker block(cmbFrame);
        cmbFrame->clear();
        const int n = static_cast<int>(sweeps_.size());
        for (int i = 0; i < n; ++i)
            cmbFrame->addItem(QStringLiteral("Frame %1 of %2%3 (%4 samples)")
                                  .arg(i + 1)
                                  .arg(n)
                                  .arg(following && i + 1 == n ? QStringLiteral(", newest") : QString())
                                  .arg(sweeps_[static_cast<std::size_t>(i)].size()));
        cmbFrame->setCurrentIndex(n - 1);
    }
    FillFigureLists();
    if (view) {
        const QSignalBlocker blockChannel(cmbFigureChannel), blockCommand(cmbCommand);
        cmbFigureChannel->setCurrentIndex(view->figureChannel == 1 ? 0 : 1);
        FillFigureLists();
        cmbCommand->setCurrentIndex(view->commandChannel == 0 ? 1 : 0);
    }
    ShowCurrent(true);
    if (view) {
        const Sweep &s = Current();
        if (view->cursorA)
            graph->SetCursor(AnalysisGraph::A, analysis::NearestSample(s, *view->cursorA));
        if (view->cursorB)
            graph->SetCursor(AnalysisGraph::B, analysis::NearestSample(s, *view->cursorB));
        if (view->zoom)
            graph->SetRanges(*view->zoom);
    }
}

void TSweepAnalysis::FillFigureLists()
{
    const Sweep &s = Current();
    const QSignalBlocker blockChannel(cmbFigureChannel), blockCommand(cmbCommand);
    const int channelIndex = std::max(0, cmbFigureChannel->currentIndex() < 0 ? 1 : cmbFigureChannel->currentIndex());
    const int commandIndex = std::max(0, cmbCommand->currentIndex());
    cmbFigureChannel->clear();
    for (int ch = 1; ch <= 2; ++ch)
        cmbFigureChannel->addItem(QStringLiteral("Ch%1 %2").arg(ch).arg(Q(s.Channel(ch).signal)));
    cmbFigureChannel->setCurrentIndex(channelIndex);
    const int other = channelIndex == 0 ? 2 : 1;
    cmbCommand->clear();
    cmbCommand->addItem(QStringLiteral("Ch%1 %2 as command").arg(other).arg(Q(s.Channel(other).signal)));
    cmbCommand->addItem(QStringLiteral("Its own start and end levels"));
    cmbCommand->setCurrentIndex(commandIndex);
}

void TSweepAnalysis::ShowCurrent(bool resetZoom)
{
    const Sweep &s = Current();
    const auto &reference = session_.Sweeps.Reference();
    graph->SetSweep(s, reference.get(), resetZoom);
    if (s.empty())
        lblOrigin->setText(following_ ? QStringLiteral("The scope holds no sweep yet: take one with the scope, "
                                                       "or open a sweep file.")
                                      : QStringLiteral("No sweep: open a sweep file, or look at the scope's."));
    else
        lblOrigin->setText(Q(s.origin) + QStringLiteral("\n") + SweepDescription(s));
    btnSaveCsv->setEnabled(!s.empty());
    btnKeepReference->setEnabled(!s.empty());
    RefreshFigures();
    RefreshCursors();
}

void TSweepAnalysis::RefreshCursors()
{
    const Sweep &s = Current();
    const analysis::CursorReadout r =
        analysis::ReadCursors(s, graph->CursorSample(AnalysisGraph::A), graph->CursorSample(AnalysisGraph::B));
    tblCursors->setHorizontalHeaderLabels({QStringLiteral("Time"),
                                           QStringLiteral("Ch1 ") + Q(s.Channel(1).signal),
                                           QStringLiteral("Ch2 ") + Q(s.Channel(2).signal)});
    if (s.empty()) {
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 3; ++col)
                SetCell(tblCursors, row, col, QStringLiteral("-"));
        tblCursors->setAccessibleDescription(QStringLiteral("No sweep"));
        graph->setAccessibleDescription(QStringLiteral("No sweep"));
        return;
    }
    const double rows[3][3] = {{r.timeA, r.atA[0], r.atA[1]}, {r.timeB, r.atB[0], r.atB[1]},
                               {r.deltaT, r.deltaY[0], r.deltaY[1]}};
    for (int row = 0; row < 3; ++row) {
        SetCell(tblCursors, row, 0, Q(analysis::TimeText(rows[row][0])));
        for (int ch = 1; ch <= 2; ++ch)
            SetCell(tblCursors, row, ch, Q(analysis::ValueText(rows[row][ch], s.Channel(ch).unit)));
    }
    SetCell(tblCursors, 3, 0, r.inverseDeltaT ? Q(analysis::FrequencyText(*r.inverseDeltaT)) : QStringLiteral("-"));
    SetCell(tblCursors, 3, 1, QString());
    SetCell(tblCursors, 3, 2, QString());
    QStringList lines;
    for (const std::string &line : analysis::CursorLines(s, r))
        lines << Q(line);
    const QString text = lines.join(QStringLiteral("; "));
    tblCursors->setAccessibleDescription(text);
    graph->setAccessibleDescription(
        QStringLiteral("Active cursor %1. ").arg(graph->ActiveCursor() == AnalysisGraph::A ? 'A' : 'B') + text);
}

analysis::StepFigures TSweepAnalysis::FiguresOf(const Sweep &sweep) const
{
    const int channel = cmbFigureChannel->currentIndex() == 0 ? 1 : 2;
    const bool withCommand = cmbCommand->currentIndex() == 0;
    const SweepChannel &response = sweep.Channel(channel);
    const SweepChannel &command = sweep.Channel(channel == 1 ? 2 : 1);
    return analysis::ComputeStepFigures(sweep.seconds, response.values, withCommand ? &command.values : nullptr);
}

void TSweepAnalysis::RefreshFigures()
{
    const Sweep &s = Current();
    const auto &reference = session_.Sweeps.Reference();
    const int channel = cmbFigureChannel->currentIndex() == 0 ? 1 : 2;
    figures_ = FiguresOf(s);
    referenceFigures_ = reference ? FiguresOf(*reference) : analysis::StepFigures{};
    const auto values = analysis::FigureValues(figures_, s.Channel(channel).unit);
    const auto referenceValues =
        reference ? analysis::FigureValues(referenceFigures_, reference->Channel(channel).unit) : std::vector<std::string>();
    for (std::size_t row = 0; row < values.size(); ++row) {
        SetCell(tblFigures, static_cast<int>(row), 0, Q(values[row]));
        SetCell(tblFigures, static_cast<int>(row), 1, reference ? Q(referenceValues[row]) : QString());
    }
    tblFigures->setColumnHidden(1, !reference);
    QStringList notes;
    if (!s.empty() && !figures_.isStep)
        notes << Q(analysis::NotAStepText(figures_));
    if (reference && !referenceFigures_.isStep)
        notes << QStringLiteral("Reference: ") + Q(analysis::NotAStepText(referenceFigures_));
    lblNotAStep->setText(notes.join(QLatin1Char('\n')));
    lblNotAStep->setVisible(!notes.isEmpty());
    QStringList lines;
    for (const std::string &line : analysis::FigureLines(figures_, s.Channel(channel).unit))
        lines << Q(line);
    if (reference) {
        lines << QStringLiteral("Reference:");
        for (const std::string &line : analysis::FigureLines(referenceFigures_, reference->Channel(channel).unit))
            lines << Q(line);
    }
    tblFigures->setAccessibleDescription(s.empty() ? QStringLiteral("No sweep") : lines.join(QStringLiteral("; ")));
}

void TSweepAnalysis::RefreshReference()
{
    const auto &reference = session_.Sweeps.Reference();
    if (reference)
        lblReference->setText(QStringLiteral("Kept: ") + SweepDescription(*reference) +
                              QStringLiteral(", %1 samples").arg(reference->size()));
    else
        lblReference->setText(QStringLiteral("No reference kept."));
    btnClearReference->setEnabled(reference != nullptr);
    ShowCurrent(false);
}

analysis::SweepView TSweepAnalysis::View() const
{
    analysis::SweepView view;
    const Sweep &s = Current();
    if (!s.empty()) {
        view.cursorA = s.seconds[graph->CursorSample(AnalysisGraph::A)];
        view.cursorB = s.seconds[graph->CursorSample(AnalysisGraph::B)];
    }
    if (graph->Zoomed())
        view.zoom = graph->Ranges();
    view.figureChannel = cmbFigureChannel->currentIndex() == 0 ? 1 : 2;
    view.commandChannel = cmbCommand->currentIndex() == 0 ? (view.figureChannel == 1 ? 2 : 1) : 0;
    return view;
}

QStringList TSweepAnalysis::ReportLines() const
{
    const Sweep &s = Current();
    QStringList lines;
    if (s.empty())
        return {QStringLiteral("No sweep")};
    lines << QStringLiteral("Sweep: ") + Q(s.origin) << SweepDescription(s);
    const analysis::CursorReadout r =
        analysis::ReadCursors(s, graph->CursorSample(AnalysisGraph::A), graph->CursorSample(AnalysisGraph::B));
    for (const std::string &line : analysis::CursorLines(s, r))
        lines << Q(line);
    lines << QStringLiteral("Step figures of %1 against %2").arg(cmbFigureChannel->currentText(), cmbCommand->currentText());
    const int channel = cmbFigureChannel->currentIndex() == 0 ? 1 : 2;
    for (const std::string &line : analysis::FigureLines(figures_, s.Channel(channel).unit))
        lines << Q(line);
    if (const auto &reference = session_.Sweeps.Reference()) {
        lines << QStringLiteral("Reference: ") + SweepDescription(*reference);
        for (const std::string &line : analysis::FigureLines(referenceFigures_, reference->Channel(channel).unit))
            lines << QStringLiteral("Reference ") + Q(line);
    }
    return lines;
}

void TSweepAnalysis::cmbFrameChange()
{
    FillFigureLists();
    ShowCurrent(false);
}

void TSweepAnalysis::cmbFigureChannelChange()
{
    FillFigureLists();
    RefreshFigures();
}

void TSweepAnalysis::cmbCommandChange() { RefreshFigures(); }

void TSweepAnalysis::btnKeepReferenceClick()
{
    const Sweep &s = Current();
    if (s.empty())
        return;
    std::string error;
    if (!analysis::KeepReference(session_.ProgramDir, s, error)) {
        messages_.Message(error);
        return;
    }
    auto kept = std::make_shared<Sweep>(s);
    kept->origin = "reference";
    session_.Sweeps.SetReference(std::move(kept));
}

void TSweepAnalysis::btnClearReferenceClick()
{
    std::string error;
    if (!analysis::ClearReference(session_.ProgramDir, error))
        messages_.Message(error);
    session_.Sweeps.SetReference(nullptr);
}

void TSweepAnalysis::btnResetZoomClick() { graph->ResetZoom(); }

void TSweepAnalysis::btnOpenClick()
{
    const QString file =
        chooseOpenFile ? chooseOpenFile(QStringLiteral("Open Sweep"), QStringLiteral("CSV files (*.csv);;All files (*)"))
                       : QString();
    if (!file.isEmpty())
        OpenFile(file);
}

void TSweepAnalysis::btnSaveCsvClick()
{
    const QString file =
        chooseSaveFile ? chooseSaveFile(QStringLiteral("Save CSV"), QStringLiteral("CSV files (*.csv)")) : QString();
    if (file.isEmpty())
        return;
    std::vector<std::string> notes;
    for (const QString &line : ReportLines())
        notes.push_back(line.toStdString());
    std::string error;
    if (!analysis::WriteSweepFile(file.toStdString(), Current(), View(), notes, error))
        messages_.Message(error);
}

void TSweepAnalysis::DrawReport(QPainter &painter, const QRect &page)
{
    QFont font = painter.font();
    font.setPointSize(9);
    QFont bold = font;
    bold.setBold(true);
    QFont title = bold;
    title.setPointSize(14);
    const QFontMetrics metrics(font, painter.device());
    const int line = metrics.height();
    int y = page.top();
    // Text from the left edge `x`, wrapped within `width`; y moves below it.
    auto text = [&](int x, int width, const QString &t, const QFont &f) {
        painter.setFont(f);
        const QRect box(x, y, width, page.bottom() - y);
        QRect used;
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, t, &used);
        y += std::max(used.height(), QFontMetrics(f, painter.device()).height());
    };
    text(page.left(), page.width(),
         QStringLiteral("Sweep Analysis  ") + QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat),
         title);
    y += line / 2;

    // The chart across the page, under the title.
    const QRect chartArea(page.left(), y, page.width(), page.height() * 40 / 100);
    graph->scene()->render(&painter, QRectF(chartArea), graph->Chart()->sceneBoundingRect());
    y = chartArea.bottom() + line;

    const Sweep &s = Current();
    if (s.empty()) {
        text(page.left(), page.width(), QStringLiteral("No sweep"), font);
        return;
    }
    text(page.left(), page.width(), QStringLiteral("Sweep: ") + Q(s.origin), font);
    text(page.left(), page.width(), SweepDescription(s), font);
    y += line / 2;

    // The cursors: times on the left, each channel's values on the right.
    const analysis::CursorReadout r =
        analysis::ReadCursors(s, graph->CursorSample(AnalysisGraph::A), graph->CursorSample(AnalysisGraph::B));
    const std::vector<std::string> cursorLines = analysis::CursorLines(s, r);
    const int top = y, half = page.width() / 2;
    for (std::size_t i = 0; i < 4 && i < cursorLines.size(); ++i)
        text(page.left(), half, Q(cursorLines[i]), font);
    const int leftEnd = y;
    y = top;
    for (std::size_t i = 4; i < cursorLines.size(); ++i)
        text(page.left() + half / 2, page.width() - half / 2, Q(cursorLines[i]), font);
    y = std::max(y, leftEnd) + line / 2;

    // The figures, the reference's beside the sweep's.
    text(page.left(), page.width(),
         QStringLiteral("Step figures of ") + cmbFigureChannel->currentText() + QStringLiteral(" against ") +
             cmbCommand->currentText(),
         bold);
    const bool reference = session_.Sweeps.Reference() != nullptr;
    const int columns[3] = {page.left(), page.left() + page.width() * 3 / 10, page.left() + page.width() * 13 / 20};
    auto row = [&](const QString &label, const QString &own, const QString &kept, const QFont &f) {
        const int at = y;
        int bottom = y;
        const QString cells[3] = {label, own, kept};
        for (int c = 0; c < (reference ? 3 : 2); ++c) {
            y = at;
            const int right = c < 2 ? columns[c + 1] - line / 2 : page.right();
            text(columns[c], right - columns[c], cells[c], f);
            bottom = std::max(bottom, y);
        }
        y = bottom;
    };
    row(QString(), QStringLiteral("This sweep"), QStringLiteral("Reference"), bold);
    for (int i = 0; i < tblFigures->rowCount(); ++i)
        row(tblFigures->verticalHeaderItem(i)->text(), tblFigures->item(i, 0)->text(), tblFigures->item(i, 1)->text(),
            font);
    if (!lblNotAStep->text().isEmpty())
        text(page.left(), page.width(), lblNotAStep->text(), font);
}

void TSweepAnalysis::btnSavePictureClick()
{
    const QString file =
        chooseSaveFile ? chooseSaveFile(QStringLiteral("Save Picture"), QStringLiteral("PNG pictures (*.png)")) : QString();
    if (file.isEmpty())
        return;
    QImage image(1400, 1000, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        DrawReport(painter, image.rect().adjusted(30, 24, -30, -24));
    }
    if (!image.save(file, "PNG"))
        messages_.Message("Can't open file " + file.toStdString());
}

void TSweepAnalysis::btnPrintClick()
{
    if (!setupPrinter || !setupPrinter(*printer_))
        return;
    btnPrint->setEnabled(false);
    PrintReport(*printer_);
    btnPrint->setEnabled(true);
}

void TSweepAnalysis::PrintReport(QPrinter &printer)
{
    printer.setDocName(QStringLiteral("Sweep Analysis"));
    QPainter painter;
    if (!painter.begin(&printer)) {
        messages_.Message("Can't print: the printer could not be started");
        return;
    }
    DrawReport(painter, QRect(QPoint(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size()));
    painter.end();
}

void TSweepAnalysis::btnHelpClick() { AppHelp().ShowContext(kHelpSweepAnalysis); }

} // namespace tools700
