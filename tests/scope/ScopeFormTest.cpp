// The scope window on Qt's offscreen platform: the number entries and their ranges, the stored
// settings and the check boxes, the trigger and timebase lists, single sweeps with Reset, the
// cursor read-outs, the summary page as a PDF, the CSV and picture, the switch to the on-line
// window and its help page.
#include "ScopeFormFixture.h"

using namespace tools700;
using scopeformtest::ScopeFormTest;

namespace {

// pdftotext joins runs of blanks and writes "ff" as its ligature: the texts compared the same way.
std::string Plain(std::string text)
{
    for (std::size_t at; (at = text.find("\xEF\xAC\x80")) != std::string::npos;)
        text.replace(at, 3, "ff");
    for (std::size_t at; (at = text.find("  ")) != std::string::npos;)
        text.erase(at, 1);
    return text;
}

} // namespace

TEST_F(ScopeFormTest, EntriesOutsideTheirRangesAreRefusedAndLeaveTheSettingAsItWas)
{
    auto form = Make();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    Enter(form->edtCh1Offset, QStringLiteral("1e20"));
    EXPECT_DOUBLE_EQ(form->Scope().Offset(1), 1e20);
    EXPECT_TRUE(Boxes().empty());

    Enter(form->edtCh2Offset, QStringLiteral("1e20"));
    EXPECT_DOUBLE_EQ(form->Scope().Offset(2), 0);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], "bounds error");
    EXPECT_EQ(QApplication::focusWidget(), form->edtCh2Offset);
    Enter(form->edtCh2Offset, QStringLiteral("5"));
    EXPECT_DOUBLE_EQ(form->Scope().Offset(2), 5);

    Enter(form->edtCh1Gain, QStringLiteral("0"));
    EXPECT_DOUBLE_EQ(form->Scope().Scale(1), 1);
    Enter(form->edtCh1Gain, QStringLiteral("3"));
    Enter(form->edtCh2Gain, QStringLiteral("two"));
    EXPECT_DOUBLE_EQ(form->Scope().Scale(2), 1);
    // Leaving the edit by moving the focus is an entry too.
    form->edtCh2Gain->setText(QStringLiteral("0.25"));
    form->edtCh1Gain->setFocus();
    EXPECT_DOUBLE_EQ(form->Scope().Scale(2), 0.25);
    EXPECT_DOUBLE_EQ(form->Scope().Scale(1), 3);

    form->cmbTrigger->setCurrentIndex(1);
    Enter(form->edtTriggerLevel, QStringLiteral("1e31"));
    EXPECT_DOUBLE_EQ(form->Scope().TriggerLevel(), 0);
    Enter(form->edtTriggerLevel, QStringLiteral("-12.5"));
    EXPECT_DOUBLE_EQ(form->Scope().TriggerLevel(), -12.5);
    const std::vector<std::string> expected = {"bounds error", "bounds error",
                                               "'two' is not a valid floating point value", "bounds error"};
    EXPECT_EQ(Boxes(), expected);
}

TEST_F(ScopeFormTest, AStoredTimebaseNotInTheListShowsTheFirstItemAndSetsOne)
{
    {
        auto store = OpenSettings();
        const double level = 0, timebase = 3;
        store->setValue(QStringLiteral("SOFTWARE/Korvane/700/Scope/TriggerLevel"),
                        QByteArray(reinterpret_cast<const char *>(&level), 8));
        store->setValue(QStringLiteral("SOFTWARE/Korvane/700/Scope/TriggerSource"), 0);
        store->setValue(QStringLiteral("SOFTWARE/Korvane/700/Scope/Timebase"),
                        QByteArray(reinterpret_cast<const char *>(&timebase), 8));
    }
    TScopeForm form(session, messages, nullptr, link.Reader());
    EXPECT_DOUBLE_EQ(form.Scope().Timebase(), 3);
    form.FormActivate();
    EXPECT_EQ(form.cmbTimebase->currentIndex(), 0);
    EXPECT_EQ(form.cmbTimebase->currentText(), "0.01 sec / div");
    EXPECT_DOUBLE_EQ(form.Scope().Timebase(), 1);
    EXPECT_DOUBLE_EQ(form.graph->ManualMaxX(), 0.1);
    form.cmbTimebase->setCurrentIndex(4);
    EXPECT_DOUBLE_EQ(form.Scope().Timebase(), 20);
    EXPECT_DOUBLE_EQ(form.graph->ManualMaxX(), 2.0);
}

TEST_F(ScopeFormTest, TheTriggerListChoosesTheLevelsUnitAndWhetherALevelIsAsked)
{
    auto form = Make();
    form->cmbSource2->setCurrentIndex(form->cmbSource2->findText(QStringLiteral("Current Command")));
    form->cmbTrigger->setCurrentIndex(0);
    EXPECT_FALSE(form->edtTriggerLevel->isEnabled());
    EXPECT_EQ(form->lblTriggerUnits->text(), "none");
    form->cmbTrigger->setCurrentIndex(4);
    EXPECT_TRUE(form->edtTriggerLevel->isEnabled());
    EXPECT_EQ(form->lblTriggerUnits->text(), "Amps");
    EXPECT_EQ(form->Scope().TriggerSource(), 4);
    form->cmbTrigger->setCurrentIndex(1);
    EXPECT_EQ(form->lblTriggerUnits->text(), "Volts");
    // The sources: the unit labels and the trace's label follow; each signal keeps its own scale.
    form->cmbSource1->setCurrentIndex(form->cmbSource1->findText(QStringLiteral("Velocity Feedback")));
    EXPECT_EQ(form->lblCh1Units->text(), "Rpm");
    EXPECT_EQ(form->lblGain1Units->text(), "Rpm");
    EXPECT_EQ(form->lblOffset1Units->text(), "Rpm");
    EXPECT_EQ(form->lblTriggerUnits->text(), "Rpm");
    EXPECT_EQ(form->graph->SubsetLabel(0), "Velocity Feedback");
    Enter(form->edtCh1Gain, QStringLiteral("500"));
    form->cmbSource1->setCurrentIndex(form->cmbSource1->findText(QStringLiteral("VBus")));
    EXPECT_EQ(form->edtCh1Gain->text(), "1");
    form->cmbSource1->setCurrentIndex(form->cmbSource1->findText(QStringLiteral("Velocity Feedback")));
    EXPECT_EQ(form->edtCh1Gain->text(), "500");
    EXPECT_EQ(form->cmbSource1->count(), 31);
    EXPECT_TRUE(AccessibilityProblems(form.get()).isEmpty()) << AccessibilityProblems(form.get()).join(", ").toStdString();
}

TEST_F(ScopeFormTest, ResetIsOfferedWhenASweepIsCompleteAndNotWhileOneIsTaken)
{
    auto form = Make();
    EXPECT_FALSE(form->btnReset->isEnabled());
    form->ckbSingleSweep->click();
    EXPECT_TRUE(form->btnReset->isEnabled());
    ASSERT_TRUE(qttest::WaitFor([&] { return form->Pump().State() == scope::SweepState::Waiting; }));
    link.Queue({0, 0, 0});  // the arm request
    link.Queue({0, 40, 5}); // a short frame, then the full ones of the fallback
    const int before = form->graph->Repaints();
    form->btnReset->click();
    EXPECT_FALSE(form->btnReset->isEnabled());
    ASSERT_TRUE(qttest::WaitFor([&] { return form->btnReset->isEnabled(); }));
    EXPECT_EQ(form->Pump().State(), scope::SweepState::Waiting);
    EXPECT_TRUE(form->Pump().SweepDone());
    ASSERT_TRUE(qttest::WaitFor([&] { return form->graph->Repaints() > before; }));
    EXPECT_FLOAT_EQ(form->graph->GetYData(0, 99), 2.0f);
    // The caption blinks while single sweep is on and reads "Enabled" again when it is off.
    ASSERT_TRUE(qttest::WaitFor([&] { return form->ckbSingleSweep->text().isEmpty(); }));
    form->ckbSingleSweep->click();
    EXPECT_FALSE(form->btnReset->isEnabled());
    ASSERT_TRUE(qttest::WaitFor([&] { return form->ckbSingleSweep->text() == "Enabled"; }));
}

TEST_F(ScopeFormTest, TheCursorReadsTheTimeAndValuesOfItsPoint)
{
    auto form = Make();
    form->cmbTimebase->setCurrentIndex(1);
    Enter(form->edtCh1Gain, QStringLiteral("4"));
    Enter(form->edtCh1Offset, QStringLiteral("1"));
    const int before = form->graph->Repaints();
    ASSERT_TRUE(qttest::WaitFor([&] { return form->graph->Repaints() > before + 1; }));
    // A click on the chart's left edge enables the cursor at point 0; the arrows move it.
    QTest::mouseClick(form->graph->viewport(), Qt::LeftButton, {}, QPoint(2, 200));
    EXPECT_TRUE(form->graph->CursorEnabled());
    EXPECT_EQ(form->graph->GetCursorPoint(), 0);
    for (int i = 0; i < 52; ++i)
        QTest::keyClick(form->graph, Qt::Key_Right);
    for (int i = 0; i < 2; ++i)
        QTest::keyClick(form->graph, Qt::Key_Left);
    EXPECT_EQ(form->graph->GetCursorPoint(), 50);
    EXPECT_EQ(form->windowTitle(), "Cursor @ 00.100 seconds");
    // Sample 2 drawn at (2 + 1) / 4 divisions reads 2 again; channel 2's -2 at scale 1.
    EXPECT_EQ(form->edtCursorValue1->text(), "2.000");
    EXPECT_EQ(form->edtCursorValue2->text(), "-2.000");
    EXPECT_TRUE(form->graph->accessibleDescription().contains(QStringLiteral("00.100 seconds")));
}

TEST_F(ScopeFormTest, TheSummaryPageHoldsTheSettingsAndTheCursor)
{
    if (!testutil::HavePdfToText())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    auto form = Make();
    form->cmbSource1->setCurrentIndex(form->cmbSource1->findText(QStringLiteral("Velocity Feedback")));
    form->cmbSource2->setCurrentIndex(form->cmbSource2->findText(QStringLiteral("Current Command")));
    form->cmbTimebase->setCurrentIndex(1);
    form->cmbTrigger->setCurrentIndex(1);
    Enter(form->edtTriggerLevel, QStringLiteral("100"));
    Enter(form->edtCh1Gain, QStringLiteral("250"));
    const int before = form->graph->Repaints();
    ASSERT_TRUE(qttest::WaitFor([&] { return form->graph->Repaints() > before + 1; }));
    form->graph->SetCursorPoint(50);
    form->Timer1Timer();
    const std::string pdf = dir.File("summary.pdf");
    int setups = 0;
    form->setupPrinter = [&](QPrinter &printer) {
        ++setups;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        return true;
    };
    form->btnPrintClick();
    EXPECT_EQ(setups, 1);
    EXPECT_TRUE(form->btnPrint->isEnabled());
    const std::string text = Plain(testutil::PdfToText(pdf));
    for (const char *line : {"DazuDizir Summary ", "Cursor Position: 00.100 seconds", "Ch1 Source: Velocity Feedback",
                             "Ch1 Scale:  250 Rpm per division", "Ch1 Offset: 0 Rpm", "Ch1 value at cursor:  2.000",
                             "Ch2 Source: Current Command", "Ch2 Scale:  1 Amps per division", "Ch2 Offset: 0 Amps",
                             "Ch2 value at cursor:  -2.000", "Timebase: 0.025 sec / div",
                             "Trigger Source: Chnl 1, rising edge", "Trigger Level: 100 Rpm"})
        EXPECT_NE(text.find(Plain(line)), std::string::npos) << line << "\n" << text;
    // The chart's own texts come with its picture.
    EXPECT_NE(text.find("Korvane Systems DazuDizir"), std::string::npos);
    EXPECT_NE(text.find("Time in seconds"), std::string::npos);

    // A cancelled set-up prints nothing.
    std::remove(pdf.c_str());
    form->setupPrinter = [](QPrinter &) { return false; };
    form->btnPrintClick();
    EXPECT_FALSE(std::ifstream(pdf).good());
}

TEST_F(ScopeFormTest, TheHistoryGoesToACsvFileAndTheChartToAPicture)
{
    auto form = Make();
    form->cmbSource1->setCurrentIndex(form->cmbSource1->findText(QStringLiteral("Velocity Feedback")));
    Enter(form->edtCh1Gain, QStringLiteral("2"));
    const int before = form->graph->Repaints();
    ASSERT_TRUE(qttest::WaitFor([&] { return form->graph->Repaints() > before + 1; }));
    form->FormHide();
    QString chosen = QString::fromStdString(dir.File("capture.csv"));
    form->chooseSaveFile = [&](const QString &, const QString &) { return chosen; };
    form->btnSaveCsvClick();
    const std::string csv = testutil::ReadText(dir.File("capture.csv"));
    EXPECT_NE(csv.find("Frame,Time (s),Velocity Feedback (Rpm),Analog Input (Volts)\n1,0.000000,2,-2\n"),
              std::string::npos)
        << csv.substr(0, 300);
    chosen = QString::fromStdString(dir.File("chart.png"));
    form->btnSavePictureClick();
    QImage picture(chosen);
    EXPECT_EQ(picture.size(), form->graph->size());
    // A file that cannot be written is said so, and nothing else happens.
    chosen = QString::fromStdString(dir.File("missing/x.csv"));
    form->btnSaveCsvClick();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], "Can't open file " + chosen.toStdString());
}

TEST_F(ScopeFormTest, ClosingKeepsTheSettingsAndTheLogForTheNextWindow)
{
    {
        auto form = Make();
        form->ckbThickTrace2->click();
        EXPECT_EQ(form->graph->SubsetLineType(1), kThickLine);
        EXPECT_EQ(form->graph->SubsetLineType(0), kNormalLine);
        EXPECT_EQ(form->graph->SubsetColor(0), QColor(Qt::red));
        EXPECT_EQ(form->graph->SubsetColor(1), QColor(Qt::blue));
        form->cmbSource2->setCurrentIndex(form->cmbSource2->findText(QStringLiteral("VBus")));
        Enter(form->edtCh2Offset, QStringLiteral("-300"));
        form->cmbTimebase->setCurrentIndex(5);
        const int before = form->graph->Repaints();
        ASSERT_TRUE(qttest::WaitFor([&] { return form->graph->Repaints() > before; }));
        form->close();
        EXPECT_FALSE(form->isVisible());
    }
    EXPECT_EQ(testutil::ReadText(dir.File("Scope.log")).rfind("*** frame 1 ***\n", 0), 0u);
    QSettings ini(settings.path(), QSettings::IniFormat);
    EXPECT_EQ(ini.value(QStringLiteral("SOFTWARE/Korvane/700/Scope/ThickTrace2")).toInt(), 1);
    EXPECT_EQ(ini.value(QStringLiteral("SOFTWARE/Korvane/700/Scope/SingleSweep")).toInt(), 0);
    EXPECT_EQ(ini.value(QStringLiteral("SOFTWARE/Korvane/700/Scope/ch2/Source")).toString(), "VBus");
    EXPECT_EQ(ini.value(QStringLiteral("SOFTWARE/Korvane/700/Scope/Timebase")).toByteArray().size(), 8);

    auto again = Make();
    EXPECT_TRUE(again->ckbThickTrace2->isChecked());
    EXPECT_EQ(again->graph->SubsetLineType(1), kThickLine);
    EXPECT_EQ(again->cmbSource2->currentText(), "VBus");
    EXPECT_EQ(again->edtCh2Offset->text(), "-300");
    EXPECT_EQ(again->cmbTimebase->currentIndex(), 5);
}

TEST_F(ScopeFormTest, SwitchBringsUpTheOnlineWindowWhenThereIsOne)
{
    auto form = Make();
    form->hide();
    form->show();
    EXPECT_FALSE(form->btnSwitch->isEnabled());
    int opened = 0;
    session.Register(Window::OnlineDrive, [&] { ++opened; });
    form->hide();
    form->show();
    ASSERT_TRUE(form->btnSwitch->isEnabled());
    form->btnSwitch->click();
    EXPECT_EQ(opened, 1);
}

TEST_F(ScopeFormTest, ItsHelpPageIsFoundByItsContextAndItsKeywords)
{
    TScopeForm form(session, messages, nullptr, link.Reader());
    HelpIndex index;
    index.Load(QStringLiteral(TOOLS700_BIN_DIR "/help"));
    const HelpPage *page = index.ByContext(form.property("helpContext").toInt());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->file, "scope.html");
    EXPECT_EQ(page->title, "Oscilloscope");
    ASSERT_FALSE(index.ByKeyword(QStringLiteral("single sweep")).isEmpty());
    EXPECT_EQ(index.ByKeyword(QStringLiteral("single sweep")).front()->file, "scope.html");
}
