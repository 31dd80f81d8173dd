// The Sweep Analysis window on Qt's offscreen platform, over sweeps handed in through the session as
// the scope hands its history over: the newest sweep and its figures, the cursors moved by keys and
// the mouse, zoom and pan and Reset Zoom, keeping and clearing a reference (its file, its trace, its
// figures beside the sweep's, the next run finding it), the printed PDF read back, the CSV saved and
// opened again with its cursors and zoom, files that hold no sweep, and new sweeps at a sweep's end.
#include "QtTestSupport.h"

#include "ListingText.h"
#include "SyntheticSweep.h"

#include "tools700/common/ScriptedMessages.h"
#include "tools700/common/Session.h"
#include "tools700/analysis/AnalysisGraph.h"
#include "tools700/analysis/FigureTexts.h"
#include "tools700/analysis/ReferenceSweep.h"
#include "tools700/analysis/SweepAnalysis.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/HelpViewer.h"

#include "../config/TempDir.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QValueAxis>

#include <filesystem>

#include <gtest/gtest.h>

using namespace tools700;
using namespace testutil;

namespace {

constexpr double kPi = 3.14159265358979323846;

class SweepAnalysisTest : public ::testing::Test {
protected:
    SweepAnalysisTest()
    {
        qttest::App();
        session.ProgramDir = dir.Path().string() + "/";
        // The scope's history: a first-order step, then a second-order one of damping 0.5.
        history = {ToSweep(Sample(100, 0.001, 10, 0, 500, FirstOrder(0.005))),
                   ToSweep(Sample(100, 0.001, 10, 0, 500, SecondOrder(0.5, 250)))};
        for (std::size_t i = 0; i < history.size(); ++i)
            history[i].origin = "Scope frame " + std::to_string(i + 1) + " of 2";
        session.Sweeps.SetHistorySource([this] { return history; });
    }

    std::unique_ptr<TSweepAnalysis> Make()
    {
        auto form = std::make_unique<TSweepAnalysis>(session, messages);
        form->ShowScopeSweeps();
        return form;
    }
    std::string Cell(QTableWidget *table, int row, int column) const
    {
        return table->item(row, column) ? table->item(row, column)->text().toStdString() : std::string();
    }
    std::vector<std::string> Boxes() const { return messages.texts(); }

    qttest::SettingsFile settings;
    testsupport::TempDir dir;
    Session session;
    ScriptedMessages messages;
    std::vector<Sweep> history;
};

TEST_F(SweepAnalysisTest, OpensOnTheScopesNewestSweepWithItsStepFigures)
{
    auto form = Make();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "Sweep Analysis");
    ASSERT_EQ(form->cmbFrame->count(), 2);
    EXPECT_EQ(form->cmbFrame->currentIndex(), 1);
    EXPECT_EQ(form->cmbFrame->currentText(), "Frame 2 of 2, newest (100 samples)");
    EXPECT_TRUE(form->lblOrigin->text().startsWith(QStringLiteral("Scope frame 2 of 2\nCh1 Velocity Command (Rpm)")));
    // The feedback against the command: the overshoot of damping 0.5 is 16.3 %.
    EXPECT_EQ(form->cmbFigureChannel->currentText(), "Ch2 Velocity Feedback");
    EXPECT_EQ(form->cmbCommand->currentText(), "Ch1 Velocity Command as command");
    ASSERT_TRUE(form->Figures().isStep);
    EXPECT_NEAR(form->Figures().overshootPercent, 100 * std::exp(-kPi * 0.5 / std::sqrt(0.75)), 0.2);
    EXPECT_EQ(Cell(form->tblFigures, 0, 0), "10 ms");
    EXPECT_EQ(Cell(form->tblFigures, 6, 0), "16.3 %");
    EXPECT_EQ(form->tblFigures->verticalHeaderItem(3)->text(), "Rise time (10-90 %)");
    EXPECT_TRUE(form->tblFigures->isColumnHidden(1)) << "no reference kept";
    EXPECT_FALSE(form->lblNotAStep->isVisible());
    // The figures and read-outs are there for a screen reader, and the window passes the audit.
    EXPECT_TRUE(form->tblFigures->accessibleDescription().contains(QStringLiteral("Overshoot: 16.3 %")));
    EXPECT_EQ(AccessibilityProblems(form.get()), QStringList());

    // The command's own channel against its levels is a clean step too; the first frame has no
    // overshoot.
    form->cmbFigureChannel->setCurrentIndex(0);
    EXPECT_EQ(form->cmbCommand->itemText(0), "Ch2 Velocity Feedback as command");
    form->cmbCommand->setCurrentIndex(1);
    EXPECT_EQ(Cell(form->tblFigures, 1, 0), "0 Rpm");
    EXPECT_EQ(Cell(form->tblFigures, 2, 0), "500 Rpm");
    EXPECT_EQ(Cell(form->tblFigures, 9, 0), "needs a command");
    form->cmbFigureChannel->setCurrentIndex(1);
    form->cmbCommand->setCurrentIndex(0);
    form->cmbFrame->setCurrentIndex(0);
    EXPECT_EQ(Cell(form->tblFigures, 6, 0), "0.0 %");
}

TEST_F(SweepAnalysisTest, CursorsMoveByKeysAndReadEachChannel)
{
    auto form = Make();
    AnalysisGraph *graph = form->graph;
    graph->setFocus();
    EXPECT_EQ(graph->ActiveCursor(), AnalysisGraph::A);
    EXPECT_EQ(graph->CursorSample(AnalysisGraph::A), 0u);
    EXPECT_EQ(graph->CursorSample(AnalysisGraph::B), 99u);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(graph, Qt::Key_Right);
    QTest::keyClick(graph, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(graph, Qt::Key_Left);
    EXPECT_EQ(graph->CursorSample(AnalysisGraph::A), 12u);
    QTest::keyClick(graph, Qt::Key_B);
    EXPECT_EQ(graph->ActiveCursor(), AnalysisGraph::B);
    QTest::keyClick(graph, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(graph->CursorSample(AnalysisGraph::B), 89u);
    QTest::keyClick(graph, Qt::Key_Home);
    EXPECT_EQ(graph->CursorSample(AnalysisGraph::B), 0u);
    QTest::keyClick(graph, Qt::Key_End);
    for (int i = 0; i < 17; ++i)
        QTest::keyClick(graph, Qt::Key_Left);
    EXPECT_EQ(graph->CursorSample(AnalysisGraph::B), 82u);

    // A at 12 ms, B at 82 ms: 70 ms apart, 14.286 Hz; the command steps by nothing between them.
    EXPECT_EQ(Cell(form->tblCursors, 0, 0), "12 ms");
    EXPECT_EQ(Cell(form->tblCursors, 0, 1), "500 Rpm");
    EXPECT_EQ(Cell(form->tblCursors, 1, 0), "82 ms");
    EXPECT_EQ(Cell(form->tblCursors, 2, 0), "70 ms");
    EXPECT_EQ(Cell(form->tblCursors, 2, 1), "0 Rpm");
    EXPECT_EQ(Cell(form->tblCursors, 3, 0), "14.286 Hz");
    const Sweep &s = form->Current();
    const double a = s.Channel(2).values[12], b = s.Channel(2).values[82];
    EXPECT_EQ(Cell(form->tblCursors, 2, 2), analysis::ValueText(b - a, "Rpm"));
    EXPECT_EQ(form->tblCursors->horizontalHeaderItem(2)->text(), "Ch2 Velocity Feedback");
    const QString spoken = graph->accessibleDescription();
    EXPECT_TRUE(spoken.startsWith(QStringLiteral("Active cursor B. Cursor A: 12 ms; Cursor B: 82 ms; Δt: 70 ms")))
        << spoken.toStdString();

    // A click puts the active cursor; a cursor line is dragged.
    QTest::keyClick(graph, Qt::Key_A);
    const QRectF area = graph->Chart()->plotArea();
    const QPoint middle(static_cast<int>(area.center().x()), static_cast<int>(area.center().y()));
    QTest::mouseClick(graph->viewport(), Qt::LeftButton, {}, middle);
    const std::size_t clicked = graph->CursorSample(AnalysisGraph::A);
    EXPECT_NEAR(static_cast<double>(clicked), 49.5, 2);
    QTest::mousePress(graph->viewport(), Qt::LeftButton, {}, middle);
    QTest::mouseMove(graph->viewport(), middle + QPoint(static_cast<int>(area.width() / 10), 0));
    QTest::mouseRelease(graph->viewport(), Qt::LeftButton, {}, middle + QPoint(static_cast<int>(area.width() / 10), 0));
    EXPECT_NEAR(static_cast<double>(graph->CursorSample(AnalysisGraph::A)), static_cast<double>(clicked) + 10, 2);
}

TEST_F(SweepAnalysisTest, ZoomPanAndResetByKeysMouseAndButton)
{
    auto form = Make();
    AnalysisGraph *graph = form->graph;
    graph->setFocus();
    const auto whole = graph->Ranges();
    EXPECT_DOUBLE_EQ(whole[0].low, 0);
    EXPECT_DOUBLE_EQ(whole[0].high, 0.099);
    EXPECT_TRUE(graph->SharedValueAxis()) << "command and feedback share their unit";
    EXPECT_FALSE(graph->Zoomed());
    // The time axis is marked in round steps from 0, whatever the sweep's length.
    auto *time = qobject_cast<QValueAxis *>(graph->chart()->axes(Qt::Horizontal).value(0));
    ASSERT_NE(time, nullptr);
    EXPECT_DOUBLE_EQ(time->tickInterval(), 0.01);
    EXPECT_DOUBLE_EQ(time->tickAnchor(), 0);

    QTest::keyClick(graph, Qt::Key_Plus);
    auto r = graph->Ranges();
    EXPECT_TRUE(graph->Zoomed());
    EXPECT_NEAR(r[0].high - r[0].low, 0.0495, 1e-9);
    EXPECT_DOUBLE_EQ(time->tickInterval(), 0.005);
    EXPECT_DOUBLE_EQ(r[0].low, 0) << "around cursor A at the first sample";
    QTest::keyClick(graph, Qt::Key_Up);
    r = graph->Ranges();
    EXPECT_NEAR(r[1].high - r[1].low, (whole[1].high - whole[1].low) * 0.8, 1e-6);
    QTest::keyClick(graph, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_NEAR(graph->Ranges()[0].low, 0.00495, 1e-9);
    QTest::keyClick(graph, Qt::Key_0);
    EXPECT_FALSE(graph->Zoomed());
    EXPECT_DOUBLE_EQ(graph->Ranges()[0].high, 0.099);

    // Z: the box between the cursors.
    graph->SetCursor(AnalysisGraph::A, 10);
    graph->SetCursor(AnalysisGraph::B, 40);
    QTest::keyClick(graph, Qt::Key_Z);
    EXPECT_DOUBLE_EQ(graph->Ranges()[0].low, 0.010);
    EXPECT_DOUBLE_EQ(graph->Ranges()[0].high, 0.040);
    form->btnResetZoom->click();
    EXPECT_FALSE(graph->Zoomed());

    // A box dragged with the mouse; the wheel; the right button pans.
    const QRectF area = graph->Chart()->plotArea();
    const QPoint from(static_cast<int>(area.left() + area.width() * 0.2), static_cast<int>(area.top() + 10));
    const QPoint to(static_cast<int>(area.left() + area.width() * 0.6), static_cast<int>(area.bottom() - 10));
    QTest::mousePress(graph->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(graph->viewport(), to);
    QTest::mouseRelease(graph->viewport(), Qt::LeftButton, {}, to);
    r = graph->Ranges();
    EXPECT_NEAR(r[0].low, 0.099 * 0.2, 0.002);
    EXPECT_NEAR(r[0].high, 0.099 * 0.6, 0.002);
    EXPECT_LT(r[1].high - r[1].low, whole[1].high - whole[1].low);
    const double width = r[0].high - r[0].low;
    QWheelEvent wheel(QPointF(area.center()), graph->viewport()->mapToGlobal(area.center().toPoint()), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(graph->viewport(), &wheel);
    EXPECT_NEAR(graph->Ranges()[0].high - graph->Ranges()[0].low, width / 1.25, 1e-9);
    const double before = graph->Ranges()[0].low;
    QTest::mousePress(graph->viewport(), Qt::RightButton, {}, area.center().toPoint());
    QTest::mouseMove(graph->viewport(), area.center().toPoint() + QPoint(-50, 0));
    QTest::mouseRelease(graph->viewport(), Qt::RightButton, {}, area.center().toPoint() + QPoint(-50, 0));
    EXPECT_GT(graph->Ranges()[0].low, before) << "dragging left shows later times";
    form->btnResetZoom->click();
    EXPECT_DOUBLE_EQ(graph->Ranges()[0].low, 0);
}

TEST_F(SweepAnalysisTest, AKeptReferenceIsStoredDrawnAndComparedUntilCleared)
{
    int told = 0;
    session.Sweeps.OnReferenceChanged([&] { ++told; });
    auto form = Make();
    EXPECT_FALSE(form->btnClearReference->isEnabled());
    form->cmbFrame->setCurrentIndex(0);
    form->btnKeepReference->click();
    EXPECT_EQ(told, 1);
    ASSERT_NE(session.Sweeps.Reference(), nullptr);
    EXPECT_TRUE(std::filesystem::exists(analysis::ReferencePath(session.ProgramDir)));
    EXPECT_TRUE(form->btnClearReference->isEnabled());
    EXPECT_TRUE(form->lblReference->text().startsWith(QStringLiteral("Kept: Ch1 Velocity Command (Rpm)")));
    // Drawn in grey behind the next sweep, its figures beside the sweep's.
    form->cmbFrame->setCurrentIndex(1);
    EXPECT_EQ(form->graph->ReferenceTrace(2)->count(), 100);
    EXPECT_TRUE(form->graph->ReferenceTrace(2)->isVisible());
    EXPECT_FALSE(form->tblFigures->isColumnHidden(1));
    EXPECT_EQ(form->tblFigures->horizontalHeaderItem(1)->text(), "Reference");
    EXPECT_EQ(Cell(form->tblFigures, 6, 0), "16.3 %");
    EXPECT_EQ(Cell(form->tblFigures, 6, 1), "0.0 %");
    EXPECT_TRUE(form->tblFigures->accessibleDescription().contains(QStringLiteral("Reference:")));

    // The next run finds it in the data folder.
    {
        Session next;
        next.ProgramDir = session.ProgramDir;
        TSweepAnalysis again(next, messages);
        ASSERT_NE(next.Sweeps.Reference(), nullptr);
        EXPECT_EQ(next.Sweeps.Reference()->Channel(2).values.size(), 100u);
        EXPECT_NEAR(next.Sweeps.Reference()->Channel(2).values[50], history[0].Channel(2).values[50], 1e-6);
    }

    form->btnClearReference->click();
    EXPECT_EQ(told, 2);
    EXPECT_EQ(session.Sweeps.Reference(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(analysis::ReferencePath(session.ProgramDir)));
    EXPECT_FALSE(form->graph->ReferenceTrace(2)->isVisible());
    EXPECT_TRUE(form->tblFigures->isColumnHidden(1));
    EXPECT_EQ(form->lblReference->text(), "No reference kept.");
    EXPECT_FALSE(form->btnClearReference->isEnabled());

    // A data folder that cannot be written: said so, nothing kept.
    session.ProgramDir = dir.Path().string() + "/missing/";
    form->btnKeepReference->click();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].rfind("Can't open file " + session.ProgramDir, 0), 0u);
    EXPECT_EQ(session.Sweeps.Reference(), nullptr);
}

TEST_F(SweepAnalysisTest, ThePrintedPageHoldsTheReadOutsAndBothFigures)
{
    if (!testutil::HavePdfToText())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    auto form = Make();
    form->cmbFrame->setCurrentIndex(0);
    form->btnKeepReference->click();
    form->cmbFrame->setCurrentIndex(1);
    form->graph->SetCursor(AnalysisGraph::A, 10);
    form->graph->SetCursor(AnalysisGraph::B, 30);
    const std::string pdf = dir.File("analysis.pdf");
    form->setupPrinter = [&](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        return true;
    };
    form->btnPrintClick();
    EXPECT_TRUE(form->btnPrint->isEnabled());
    // pdftotext writes "fi" as its ligature.
    std::string text = testutil::PdfToText(pdf);
    for (std::size_t at; (at = text.find("\xEF\xAC\x81")) != std::string::npos;)
        text.replace(at, 3, "fi");
    for (const char *expected :
         {"Sweep Analysis", "Sweep: Scope frame 2 of 2", "Cursor A: 10 ms", "Cursor B: 30 ms", "Δt: 20 ms",
          "1/Δt: 50 Hz", "Step figures of Ch2 Velocity Feedback against Ch1 Velocity Command as command", "This sweep",
          "Reference", "Rise time (10-90 %)", "Settling time (±2 %)", "16.3 %", "Time in seconds"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    // A cancelled set-up prints nothing.
    std::filesystem::remove(pdf);
    form->setupPrinter = [](QPrinter &) { return false; };
    form->btnPrintClick();
    EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(SweepAnalysisTest, TheSavedCsvOpensAgainWithItsCursorsZoomAndFigures)
{
    auto form = Make();
    form->graph->SetCursor(AnalysisGraph::A, 15);
    form->graph->SetCursor(AnalysisGraph::B, 45);
    form->graph->ZoomToCursors();
    form->cmbFigureChannel->setCurrentIndex(0);
    form->cmbCommand->setCurrentIndex(1);
    QString chosen = QString::fromStdString(dir.File("kept.csv"));
    form->chooseSaveFile = [&](const QString &, const QString &) { return chosen; };
    form->btnSaveCsvClick();
    const std::string csv = testutil::ReadText(dir.File("kept.csv"));
    EXPECT_NE(csv.find("# View cursor A: 0.015 s\n"), std::string::npos) << csv.substr(0, 600);
    EXPECT_NE(csv.find("# Rise time (10-90 %): "), std::string::npos);
    chosen = QString::fromStdString(dir.File("analysis.png"));
    form->btnSavePictureClick();
    EXPECT_EQ(QImage(chosen).size(), QSize(1400, 1000));

    TSweepAnalysis other(session, messages);
    other.chooseOpenFile = [&](const QString &, const QString &) { return QString::fromStdString(dir.File("kept.csv")); };
    other.btnOpenClick();
    EXPECT_EQ(other.cmbFrame->count(), 1);
    ASSERT_EQ(other.Current().size(), 100u);
    for (std::size_t i = 0; i < 100; ++i)
        EXPECT_NEAR(other.Current().Channel(2).values[i], form->Current().Channel(2).values[i], 1e-6);
    EXPECT_EQ(other.graph->CursorSample(AnalysisGraph::A), 15u);
    EXPECT_EQ(other.graph->CursorSample(AnalysisGraph::B), 45u);
    ASSERT_TRUE(other.graph->Zoomed());
    EXPECT_NEAR(other.graph->Ranges()[0].low, 0.015, 1e-9);
    EXPECT_EQ(other.cmbFigureChannel->currentIndex(), 0);
    EXPECT_EQ(other.cmbCommand->currentIndex(), 1);
    EXPECT_TRUE(other.lblOrigin->text().startsWith(QString::fromStdString(dir.File("kept.csv"))));

    // A file that holds no sweep is said so and the sweep shown stays.
    testutil::WriteText(dir.File("bad.csv"), "Model=733\n");
    other.chooseOpenFile = [&](const QString &, const QString &) { return QString::fromStdString(dir.File("bad.csv")); };
    other.btnOpenClick();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("this is not a sweep file"), std::string::npos) << Boxes()[0];
    EXPECT_EQ(other.Current().size(), 100u);
}

TEST_F(SweepAnalysisTest, DataThatHoldsNoStepSaysSo)
{
    history = {ToSweep(Sample(100, 0.001, 10, 0, 500, [](double t) { return t / 0.089; }))};
    auto form = Make();
    EXPECT_FALSE(form->Figures().isStep);
    EXPECT_TRUE(form->lblNotAStep->isVisible());
    EXPECT_TRUE(form->lblNotAStep->text().startsWith(QStringLiteral("Not a step: it still moves"))) << form->lblNotAStep->text().toStdString();
    EXPECT_EQ(Cell(form->tblFigures, 3, 0), "-");
    // No sweep at all.
    history.clear();
    form->ShowScopeSweeps();
    EXPECT_EQ(form->cmbFrame->count(), 0);
    EXPECT_FALSE(form->btnKeepReference->isEnabled());
    EXPECT_FALSE(form->btnSaveCsv->isEnabled());
    EXPECT_TRUE(form->lblOrigin->text().startsWith(QStringLiteral("The scope holds no sweep yet")));
}

TEST_F(SweepAnalysisTest, ASingleSweepsEndShowsItWhileTheWindowFollowsTheScope)
{
    auto form = Make();
    history.push_back(ToSweep(Sample(100, 0.001, 20, 0, 300, FirstOrder(0.004))));
    session.Sweeps.SweepEnded();
    ASSERT_EQ(form->cmbFrame->count(), 3);
    EXPECT_EQ(form->cmbFrame->currentIndex(), 2);
    EXPECT_EQ(Cell(form->tblFigures, 0, 0), "20 ms");
    // A file shown stays when the scope's sweep ends.
    std::string error;
    ASSERT_TRUE(analysis::WriteSweepFile(dir.File("one.csv"), history[0], {}, {}, error));
    ASSERT_TRUE(form->OpenFile(QString::fromStdString(dir.File("one.csv"))));
    session.Sweeps.SweepEnded();
    EXPECT_EQ(form->cmbFrame->count(), 1);
}

TEST_F(SweepAnalysisTest, ItsHelpPageIsFoundByItsContextAndItsKeywords)
{
    TSweepAnalysis form(session, messages);
    HelpIndex index;
    index.Load(QStringLiteral(TOOLS700_BIN_DIR "/help"));
    const HelpPage *page = index.ByContext(form.property("helpContext").toInt());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->file, "analysis.html");
    ASSERT_FALSE(index.ByKeyword(QStringLiteral("overshoot")).isEmpty());
    EXPECT_EQ(index.ByKeyword(QStringLiteral("overshoot")).front()->file, "analysis.html");
}

} // namespace
