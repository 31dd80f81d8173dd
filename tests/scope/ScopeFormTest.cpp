// The scope window on Qt's offscreen platform: the number entries and their ranges, the stored
// settings and the check boxes, the trigger and timebase lists, single sweeps with Reset, the
// cursor read-outs, the summary page as a PDF, the CSV and picture, the switch to the on-line
// window, and the window running against drivesim while its settings change and while it goes.
#include "QtTestSupport.h"

#include "ListingText.h"
#include "ScriptedScopeLink.h"
#include "tools700/Line.h"
#include "SimProcess.h"

#include "tools700/ScriptedMessages.h"
#include "tools700/Session.h"
#include "tools700/Sweep.h"
#include "tools700/scope/ScopeForm.h"
#include "tools700/scope/ScopeGraph.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/HelpViewer.h"
#include "tools700/widgets/Settings.h"

#include "../config/TempDir.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <fstream>
#include <sstream>

#include <QElapsedTimer>
#include <thread>
#include <atomic>
#include <gtest/gtest.h>

using namespace tools700;
using testutil::ScopeReply;

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

class ScopeFormTest : public ::testing::Test {
protected:
    ScopeFormTest() { qttest::App(); session.ProgramDir = dir.Path().string() + "/"; }

    // A window over the scripted link (or the link library's call when `linked`).
    std::unique_ptr<TScopeForm> Make(bool linked = false)
    {
        auto form = linked ? std::make_unique<TScopeForm>(session, messages)
                           : std::make_unique<TScopeForm>(session, messages, nullptr, link.Reader());
        form->show();
        form->FormActivate();
        return form;
    }
    // Waits until the chart has been drawn `n` more times.
    static bool WaitFrames(TScopeForm &form, int n)
    {
        const int before = form.graph->Repaints();
        return qttest::WaitFor([&] { return form.graph->Repaints() >= before + n; });
    }
    // Types a text into an edit and leaves it with Enter.
    static void Enter(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    std::vector<std::string> Boxes() const
    {
        std::vector<std::string> out;
        for (const auto &s : messages.shown())
            out.push_back(s.text);
        return out;
    }

    qttest::SettingsFile settings;
    testsupport::TempDir dir;
    Session session;
    ScriptedMessages messages;
    testutil::ScriptedScopeLink link{ScopeReply{0, 100, 2}};
};

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

TEST_F(ScopeFormTest, TheHistoryGoesToTheSweepAnalysisAndItsReferenceIsDrawnBehindTheTraces)
{
    auto form = Make();
    form->cmbSource1->setCurrentIndex(form->cmbSource1->findText(QStringLiteral("Velocity Feedback")));
    Enter(form->edtCh1Gain, QStringLiteral("2"));
    const int before = form->graph->Repaints();
    ASSERT_TRUE(qttest::WaitFor([&] { return form->graph->Repaints() > before + 1; }));
    form->FormHide();
    ASSERT_TRUE(session.Sweeps.HasHistory());
    const std::vector<Sweep> sweeps = session.Sweeps.History();
    ASSERT_FALSE(sweeps.empty());
    const Sweep &last = sweeps.back();
    ASSERT_EQ(last.size(), 100u);
    EXPECT_EQ(last.Channel(1).signal, "Velocity Feedback");
    EXPECT_EQ(last.Channel(1).unit, "Rpm");
    EXPECT_DOUBLE_EQ(last.Channel(1).scale, 2);
    EXPECT_DOUBLE_EQ(last.Channel(1).values[7], 2) << "in signal units, not divisions";
    EXPECT_DOUBLE_EQ(last.Channel(2).values[7], -2);
    EXPECT_DOUBLE_EQ(last.seconds[50], 0.05);
    EXPECT_DOUBLE_EQ(last.timebaseMs, 1);
    EXPECT_EQ(last.trigger, "None (free-running)");
    EXPECT_EQ(last.origin, "Scope frame " + std::to_string(sweeps.size()) + " of " + std::to_string(sweeps.size()));

    // A reference of channel 1's signal is drawn at channel 1's scale; channel 2 shows another.
    auto reference = std::make_shared<Sweep>(last);
    reference->channels[0].values.assign(100, 10.0);
    reference->channels[1].signal = "Current Command";
    session.Sweeps.SetReference(reference);
    ASSERT_EQ(form->graph->Reference(0).size(), 100);
    EXPECT_DOUBLE_EQ(form->graph->Reference(0)[40].y(), 5);
    EXPECT_DOUBLE_EQ(form->graph->Reference(0)[40].x(), 0.04);
    EXPECT_TRUE(form->graph->Reference(1).isEmpty());
    Enter(form->edtCh1Gain, QStringLiteral("5"));
    EXPECT_DOUBLE_EQ(form->graph->Reference(0)[40].y(), 2);
    form->cmbSource1->setCurrentIndex(form->cmbSource1->findText(QStringLiteral("VBus")));
    EXPECT_TRUE(form->graph->Reference(0).isEmpty());
    form->cmbSource1->setCurrentIndex(form->cmbSource1->findText(QStringLiteral("Velocity Feedback")));
    EXPECT_EQ(form->graph->Reference(0).size(), 100);
    session.Sweeps.SetReference(nullptr);
    EXPECT_TRUE(form->graph->Reference(0).isEmpty());
    // A window that goes takes its history along.
    form.reset();
    EXPECT_FALSE(session.Sweeps.HasHistory());
}

TEST_F(ScopeFormTest, AnalysisOpensTheSweepAnalysisAndASingleSweepsEndIsTold)
{
    auto form = Make();
    EXPECT_FALSE(form->btnAnalysis->isEnabled());
    int analyses = 0, ended = 0;
    session.Register(Window::SweepAnalysis, [&] { ++analyses; });
    bool early = false; // told before a frame of the new sweep came
    session.Sweeps.OnSweepEnded([&] {
        ++ended;
        early = early || !link.FetchedSinceArm();
    });
    form->hide();
    form->show();
    ASSERT_TRUE(form->btnAnalysis->isEnabled());
    form->btnAnalysis->click();
    EXPECT_EQ(analyses, 1);

    form->ckbSingleSweep->click();
    ASSERT_TRUE(qttest::WaitFor([&] { return form->Pump().State() == scope::SweepState::Waiting; }));
    form->btnReset->click();
    ASSERT_TRUE(qttest::WaitFor([&] { return ended == 1; }));
    EXPECT_EQ(analyses, 1) << "a sweep armed by Reset does not open the analysis";
    EXPECT_FALSE(early);
    form->ckbSingleSweep->click();
    qttest::WaitFor([&] { return false; }, 200);
    EXPECT_EQ(ended, 1) << "free running is no sweep's end";
}

TEST_F(ScopeFormTest, TheStepResponseIsArmedOnTheVelocitySignalsAndOpensTheAnalysisAtItsEnd)
{
    EXPECT_EQ(TScopeForm::StepTimebase(25), 2);
    EXPECT_EQ(TScopeForm::StepTimebase(75), 1);
    EXPECT_EQ(TScopeForm::StepTimebase(10), 5);
    EXPECT_EQ(TScopeForm::StepTimebase(0.1), 100);
    EXPECT_FALSE(TScopeForm::StepTimebase(0));

    auto form = Make();
    int analyses = 0;
    bool early = false; // the analysis opened before a frame of the new sweep came
    session.Register(Window::SweepAnalysis, [&] {
        ++analyses;
        early = early || !link.FetchedSinceArm();
    });
    session.Sweeps.StepBandwidthHz = 25;
    link.Queue({0, 0, 0}); // the arm request
    form->ArmStepResponse();
    EXPECT_EQ(form->Scope().SourceName(1), "Velocity Command");
    EXPECT_EQ(form->Scope().SourceName(2), "Velocity Feedback");
    EXPECT_EQ(form->cmbSource1->currentText(), "Velocity Command");
    EXPECT_EQ(form->Scope().TriggerSource(), scope::kCh1Rising);
    EXPECT_DOUBLE_EQ(form->Scope().TriggerLevel(), 1);
    EXPECT_EQ(form->cmbTimebase->currentText(), "0.025 sec / div");
    EXPECT_TRUE(form->ckbSingleSweep->isChecked());
    ASSERT_TRUE(qttest::WaitFor([&] { return analyses == 1; }));
    // The drive was asked for the sweep on these signals, trigger and timebase.
    bool armed = false;
    for (const testutil::ScopeCall &c : link.Calls())
        armed = armed || (c.kind == scope::kArmRequest && c.ch1 == 28 && c.ch2 == 1 && c.trigger == 1 && c.timebase == 2);
    EXPECT_TRUE(armed);
    // A level set for that edge stays.
    Enter(form->edtTriggerLevel, QStringLiteral("250"));
    form->ArmStepResponse();
    EXPECT_DOUBLE_EQ(form->Scope().TriggerLevel(), 250);
    ASSERT_TRUE(qttest::WaitFor([&] { return analyses == 2; }));
    EXPECT_FALSE(early);
}

// The window on the real link against the drive simulator.
class ScopeFormSimTest : public ScopeFormTest {
protected:
    std::unique_ptr<testutil::SimProcess> sim = testutil::StartTraced({"--model", "733"}, dir.File("trace.txt"));
};

TEST_F(ScopeFormSimTest, RunsWhileItsSettingsChangeAndShowsALostDriveWithinAQuarterSecond)
{
    auto form = Make(true);
    auto frames = [&](int n) { return WaitFrames(*form, n); };
    ASSERT_TRUE(frames(3));
    EXPECT_FALSE(form->pnlNoComm->isVisible());
    // Changes while the pump fetches; signals that cross the level 0, so every trigger fires.
    const char *crossing[] = {"Velocity Feedback",       "Current Command",         "Current Feedback",
                              "IU (current in phase U)", "VU (voltage in phase U)", "Analog Output"};
    for (int i = 0; i < 6; ++i) {
        form->cmbSource1->setCurrentIndex(form->cmbSource1->findText(QString::fromLatin1(crossing[i])));
        form->cmbSource2->setCurrentIndex(form->cmbSource2->findText(QString::fromLatin1(crossing[5 - i])));
        Enter(form->edtCh1Gain, QString::number(i + 1));
        Enter(form->edtCh2Offset, QString::number(-i));
        form->cmbTrigger->setCurrentIndex(i % 5);
        form->cmbTimebase->setCurrentIndex(i % 3);
        ASSERT_TRUE(frames(1));
    }
    form->cmbTrigger->setCurrentIndex(0);
    form->cmbSource1->setCurrentIndex(form->cmbSource1->findText(QStringLiteral("Velocity Feedback")));
    sim->ClearTrace();
    ASSERT_TRUE(frames(2));
    const std::vector<testutil::TraceLine> trace = sim->Trace();
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.back().command, "READ_SCOPE");
    EXPECT_NE(trace.back().value.find(",ch1=1,"), std::string::npos) << trace.back().value;

    // Single sweeps on the real drive.
    form->ckbSingleSweep->click();
    ASSERT_TRUE(qttest::WaitFor([&] { return form->Pump().State() == scope::SweepState::Waiting; }));
    form->btnReset->click();
    ASSERT_TRUE(qttest::WaitFor([&] { return form->btnReset->isEnabled(); }));
    form->ckbSingleSweep->click();
    ASSERT_TRUE(frames(1));

    // The drive goes silent: the panel shows within 250 ms of the failed fetch (and its time-out).
    sim->Stop();
    ASSERT_TRUE(qttest::WaitFor([&] { return !form->Pump().ReadOk(); }));
    QElapsedTimer shown;
    shown.start();
    ASSERT_TRUE(qttest::WaitFor([&] { return form->pnlNoComm->isVisible(); }));
    EXPECT_LE(shown.elapsed(), 1000) << "the panel follows the pump's flag at the next slow tick";
    sim = testutil::StartTraced({"--model", "733"}, dir.File("trace.txt"));
    ASSERT_TRUE(qttest::WaitFor([&] { return !form->pnlNoComm->isVisible(); }, 10000));
}

// The drive answers everything but the scope's reads, each of which then holds the line for its
// 2 s time-out. The window keeps serving its events, shows "No communications!" within 250 ms of
// each failed fetch, keeps the source the user chose, and another thread's exchange waits for
// the fetch in flight only.
TEST(ScopeFormQuietTest, ADriveThatStopsAnsweringScopeReadsLeavesTheWindowAlive)
{
    qttest::App();
    qttest::SettingsFile settings;
    testsupport::TempDir dir;
    auto sim = testutil::StartTraced({"--model", "733", "--silent-on", "READ_SCOPE"}, dir.File("trace.txt"));
    Session session;
    session.ProgramDir = dir.Path().string() + "/";
    ScriptedMessages messages;
    const long uiCalls = UiThreadLineCalls();
    auto form = std::make_unique<TScopeForm>(session, messages);
    form->show();
    form->activateWindow();
    form->FormActivate();
    ASSERT_TRUE(qttest::WaitFor([&] { return form->Pump().FailedFetches() >= 1; }, 5000));

    // An event posted while a fetch waits for the drive is handled long before its time-out.
    QElapsedTimer posted;
    posted.start();
    qint64 handledAfter = -1;
    QTimer::singleShot(0, [&] { handledAfter = posted.elapsed(); });
    ASSERT_TRUE(qttest::WaitFor([&] { return handledAfter >= 0; }));
    EXPECT_LT(handledAfter, 1000);

    // The user picks a source while the fetches fail, and the window is activated again.
    const int velocity = form->cmbSource1->findText(QStringLiteral("Velocity Feedback"));
    ASSERT_GE(velocity, 0);
    form->cmbSource1->setCurrentIndex(velocity);
    const std::uint64_t failed = form->Pump().FailedFetches();
    form->FormActivate();
    // "No communications!" follows each failed fetch within 250 ms.
    ASSERT_TRUE(qttest::WaitFor([&] { return form->Pump().FailedFetches() > failed; }, 5000));
    QElapsedTimer sinceFailure;
    sinceFailure.start();
    ASSERT_TRUE(qttest::WaitFor([&] { return form->pnlNoComm->isVisible(); }, 2000));
    EXPECT_LE(sinceFailure.elapsed(), 250 + 100) << "the panel follows the pump's flag at the next slow tick";
    EXPECT_EQ(form->cmbSource1->count(), 31);
    EXPECT_EQ(form->cmbSource1->currentText(), "Velocity Feedback");
    EXPECT_EQ(form->Scope().SourceName(1), "Velocity Feedback");

    // A worker's read waits for the fetch in flight only: the pump, back at once after its
    // failure, queues behind it.
    std::atomic<int> status{-1};
    std::uint64_t fetchesDuringRead = 0;
    const std::uint64_t before = form->Pump().FailedFetches();
    std::thread reader([&] {
        double v = 0;
        status = line::GetVar700("Model", &v);
    });
    while (status.load() < 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    reader.join();
    fetchesDuringRead = form->Pump().FailedFetches() - before;
    EXPECT_EQ(status.load(), 0);
    EXPECT_LE(fetchesDuringRead, 1u);
    EXPECT_EQ(UiThreadLineCalls(), uiCalls) << LastUiThreadLineCall();

    // Closing while a fetch waits for the drive returns at once; the window goes at once too.
    QElapsedTimer closing;
    closing.start();
    form->close();
    EXPECT_LT(closing.elapsed(), 500);
    form.reset();
    EXPECT_LE(closing.elapsed(), 2000 + 500) << "destruction waits for the fetch in flight at most";
}

// A source chosen through the accessibility interface is sent as one chosen with the mouse.
TEST_F(ScopeFormSimTest, ASourceChosenThroughTheAccessibilityInterfaceIsSent)
{
    auto form = Make(true);
    auto frames = [&](int n) { return WaitFrames(*form, n); };
    ASSERT_TRUE(frames(1));
    QAccessibleInterface *source = QAccessible::queryAccessibleInterface(form->cmbSource1);
    EXPECT_EQ(source->text(QAccessible::Name), "Source:");
    QAccessibleInterface *list = source->child(0);
    ASSERT_NE(list, nullptr);
    const int vbus = form->cmbSource1->findText(QStringLiteral("VBus"));
    ASSERT_GE(vbus, 0);
    list->child(vbus)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(source->text(QAccessible::Value), "VBus");
    sim->ClearTrace();
    ASSERT_TRUE(frames(2));
    const std::vector<testutil::TraceLine> trace = sim->Trace();
    ASSERT_FALSE(trace.empty());
    EXPECT_NE(trace.back().value.find(",ch1=22,"), std::string::npos) << trace.back().value;
    EXPECT_EQ(AccessibilityProblems(form.get()), QStringList());
}

TEST_F(ScopeFormSimTest, GoesWhileFramesComeIn)
{
    for (int round = 0; round < 3; ++round) {
        auto form = Make(true);
        const int before = form->graph->Repaints();
        ASSERT_TRUE(qttest::WaitFor([&] { return form->graph->Repaints() > before; }));
        if (round == 1)
            form->close();
        // Destroyed with the pump in the middle of a fetch or waiting for its frame to be drawn.
    }
    // The link is still usable afterwards.
    double v = 0;
    EXPECT_EQ(GetVar700("Model", &v), 0);
}

} // namespace
