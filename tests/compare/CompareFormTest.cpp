// The Compare window walked through real flows on the offscreen platform against the drive
// simulator: the differences of an edited configuration, ticks by mouse and keyboard, Send to
// Drive and the reading that follows it, Take from Drive, every variable, the PDF; a file of
// another model after the warning, with Send refused and Take saved after the question; and every
// control named for accessibility tools.
#include "../support/FixedFileDialog.h"
#include "../support/QtTestSupport.h"
#include "../support/TraceOrder.h"
#include "ListingText.h"
#include "SimTest.h"
#include "tools700/common/Line.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/common/Session.h"
#include "tools700/compare/CompareForm.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/HelpViewer.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

using namespace tools700;
using testsupport::FixedFileDialog;
using wizardtest::Request;

namespace {

class CompareFormTest : public testutil::SimTest {
protected:
    void SetUp() override { qttest::App(); }
    // The names of the rows shown, in order.
    static std::vector<std::string> Rows(const TCompareForm &form)
    {
        std::vector<std::string> out;
        for (int r = 0; r < form.tblVariables->rowCount(); ++r)
            out.push_back(form.tblVariables->item(r, 0)->text().toStdString());
        return out;
    }
    static int RowOf(const TCompareForm &form, const std::string &name)
    {
        for (int r = 0; r < form.tblVariables->rowCount(); ++r)
            if (form.tblVariables->item(r, 0)->text().toStdString() == name)
                return r;
        return -1;
    }
    // A click on the row's name, as with the mouse.
    static void Click(TCompareForm &form, const std::string &name)
    {
        QTableWidgetItem *item = form.tblVariables->item(RowOf(form, name), 0);
        ASSERT_NE(item, nullptr) << name;
        QTest::mouseClick(form.tblVariables->viewport(), Qt::LeftButton, {},
                          form.tblVariables->visualItemRect(item).center());
    }
    // The table as a screen reader reads it.
    static QAccessibleTableInterface *Table(TCompareForm &form)
    {
        QAccessibleInterface *table = QAccessible::queryAccessibleInterface(form.tblVariables);
        return table ? table->tableInterface() : nullptr;
    }
    static bool Idle(const TCompareForm &form)
    {
        return qttest::WaitFor([&] { return !form.Busy(); }, 20000);
    }
    Session session;
};

TEST_F(CompareFormTest, TheDifferencesOfTheEditedConfigurationAreSentTakenAndPrinted)
{
    auto sim = Start({"--model", "733"});
    Cfg cfg;
    cfg.Load(UploadedFile(733));
    cfg.Set("Kvp", 12.5);
    cfg.Set("Kvi", 7);
    cfg.Set("BlkType", 5);
    cfg.ClearModified();
    ScriptedMessages messages({}, Answer::Yes);
    TCompareForm form(session, messages);
    ASSERT_TRUE(form.BeginConfiguration(cfg, "edited"));
    ASSERT_TRUE(Idle(form));
    EXPECT_EQ(Rows(form), (std::vector<std::string>{"BlkType", "Kvi", "Kvp"}));
    EXPECT_EQ(form.lblSummary->text().toStdString(), form.Workflow().Current().Summary());
    EXPECT_EQ(form.lblDrive->text(), QStringLiteral("Drive: SV733"));
    EXPECT_FALSE(form.lblModelWarning->isVisible());
    const int kvp = RowOf(form, "Kvp");
    EXPECT_EQ(form.tblVariables->item(kvp, 1)->text(), QStringLiteral("Sets the proportional gain of the velocity loop"));
    EXPECT_EQ(form.tblVariables->item(kvp, 2)->text(), QStringLiteral("12.5 amps/rad/sec"));
    EXPECT_EQ(form.tblVariables->item(kvp, 3)->text(), QStringLiteral("0 amps/rad/sec"));
    EXPECT_EQ(form.tblVariables->item(RowOf(form, "BlkType"), 5)->text(), QStringLiteral("written first"));
    EXPECT_FALSE(form.btnSend->isEnabled()) << "nothing ticked yet";
    EXPECT_EQ(AccessibilityProblems(&form), QStringList());
    EXPECT_EQ(form.tblVariables->accessibleName(), QStringLiteral("Differences"));

    // A screen reader reads the table by its rows and columns.
    QAccessibleTableInterface *table = Table(form);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->columnCount(), 6);
    EXPECT_EQ(table->columnDescription(2), QStringLiteral("Configuration"));
    EXPECT_EQ(table->cellAt(kvp, 3)->text(QAccessible::Name), QStringLiteral("0 amps/rad/sec"));
    EXPECT_EQ(table->cellAt(kvp, 0)->text(QAccessible::Name), QStringLiteral("Kvp"));

    // Kvp ticked with the mouse, BlkType with the keyboard's space bar, Kvi through the
    // accessibility interface and unticked the same way.
    Click(form, "Kvp");
    form.tblVariables->setFocus();
    form.tblVariables->setCurrentCell(RowOf(form, "BlkType"), 0, QItemSelectionModel::NoUpdate);
    QTest::keyClick(form.tblVariables, Qt::Key_Space);
    QAccessibleInterface *kvi = table->cellAt(RowOf(form, "Kvi"), 0);
    kvi->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(form.Workflow().Ticked("Kvi"));
    EXPECT_TRUE(kvi->state().selected);
    EXPECT_EQ(kvi->text(QAccessible::Name), QStringLiteral("Kvi, ticked"));
    EXPECT_EQ(form.tblVariables->item(RowOf(form, "Kvi"), 0)->checkState(), Qt::Checked);
    kvi->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(form.Workflow().TickedNames(), (std::vector<std::string>{"BlkType", "Kvp"}));
    EXPECT_EQ(form.tblVariables->item(kvp, 0)->checkState(), Qt::Checked);
    ASSERT_TRUE(form.btnSend->isEnabled());

    sim->ClearTrace();
    form.btnSend->click();
    ASSERT_TRUE(Idle(form));
    const std::vector<std::string> sent{"BlkType", "Kvp"};
    std::vector<Request> want{{"GET", "AxisAddr"}, {"GET", "Model"}, {"GET", "Enabled"}};
    for (const auto &r : wizardtest::DownloadRequests(cfg.PrimaryList(), &sent))
        want.push_back(r);
    want.emplace_back("EXE", "NVSave");
    auto traced = wizardtest::TracedRequests(sim->Trace());
    ASSERT_GT(traced.size(), want.size());
    EXPECT_TRUE(wizardtest::SameRequests({traced.begin(), traced.begin() + static_cast<long>(want.size())}, want));
    EXPECT_EQ(traced[want.size()], (Request{"GET", "Model"})) << "then the drive is read again";
    EXPECT_EQ(messages.texts().back().rfind("Your configuration has been downloaded.", 0), 0u);
    EXPECT_EQ(form.lblResult->text(), QStringLiteral("2 values sent to the drive and saved in its non-volatile memory."));
    EXPECT_EQ(Rows(form), std::vector<std::string>{"Kvi"});

    // Take from Drive: exactly the ticked value comes into the configuration.
    Click(form, "Kvi");
    const double kvpBefore = cfg.Get("Kvp");
    form.btnTake->click();
    EXPECT_EQ(cfg.Get("Kvi"), 0.0);
    EXPECT_EQ(cfg.Get("Kvp"), kvpBefore);
    EXPECT_TRUE(cfg.IsModified());
    EXPECT_EQ(form.Workflow().TakenSinceSave(), 1);
    EXPECT_TRUE(Rows(form).empty());
    EXPECT_EQ(form.lblSummary->text().left(15), QStringLiteral("0 differences, "));

    // Every variable, and the printout of them as a PDF.
    form.chkAll->click();
    EXPECT_EQ(static_cast<size_t>(form.tblVariables->rowCount()), cfg.PrimaryList().size());
    EXPECT_EQ(form.tblVariables->accessibleName(), QStringLiteral("Variables compared"));
    const std::string pdf = dir.File("compare.pdf");
    form.SetPdfDialog(std::make_unique<FixedFileDialog>(pdf));
    form.btnPdf->click();
    if (testutil::HavePdfToText()) {
        const auto pages = testutil::NormalizedPages(testutil::PdfToText(pdf));
        ASSERT_GT(pages.size(), 2u);
        EXPECT_EQ(pages[0][0].rfind("edited compared with the SV733 ", 0), 0u) << pages[0][0];
        EXPECT_EQ(pages[0][1], form.lblSummary->text().toStdString());
    }
    form.btnClose->click();
    EXPECT_FALSE(form.isVisible());
}

// The boxes a window shows, with the thread each was shown on.
class ThreadRecordingMessages : public ScriptedMessages {
public:
    using ScriptedMessages::ScriptedMessages;
    Answer Show(BoxKind kind, const std::string &text, unsigned buttons) override
    {
        if (QThread::currentThread() != qApp->thread())
            offThread.push_back(text);
        return ScriptedMessages::Show(kind, text, buttons);
    }
    std::vector<std::string> offThread; // shown on another thread than the windows'
};

TEST_F(CompareFormTest, ASendToA740AsksItsRefusalOnTheWindowsThreadAndAnEnabledDriveGetsNothing)
{
    auto sim = Start(Writable("1743"));
    Cfg cfg(740);
    cfg.Load(UploadedFile(740));
    cfg.Set("Kvp", 33);
    cfg.Set("Kvi", 21);
    cfg.ClearModified();
    sim.reset();
    sim = Start({"--model", "1743", "--serial-control", "--refuse", "Kvp=66"});
    const long uiCalls = UiThreadLineCalls();
    // Yes to the refusal, No to the non-volatile save.
    ThreadRecordingMessages messages({Answer::Yes, Answer::No});
    TCompareForm form(session, messages);
    ASSERT_TRUE(form.BeginConfiguration(cfg, "tuned.cfg"));
    ASSERT_TRUE(Idle(form));
    EXPECT_EQ(form.lblDrive->text().toStdString(), "Drive: " + ModelText(1743));
    ASSERT_EQ(Rows(form), (std::vector<std::string>{"Kvi", "Kvp"}));
    form.btnTickAll->click();
    EXPECT_EQ(form.Workflow().TickedNames(), (std::vector<std::string>{"Kvi", "Kvp"}));
    EXPECT_TRUE(Table(form)->cellAt(0, 0)->state().selected);

    sim->ClearTrace();
    form.btnSend->click();
    ASSERT_TRUE(Idle(form));
    ASSERT_EQ(messages.texts().size(), 2u);
    EXPECT_EQ(messages.texts()[0], "Warning: Kvp BOUNDS_ERROR\n Continue?");
    EXPECT_EQ(messages.texts()[1].rfind("Your configuration has been downloaded.", 0), 0u);
    EXPECT_TRUE(messages.offThread.empty()) << messages.offThread.front();
    const auto traced = wizardtest::TracedRequests(sim->Trace());
    std::vector<Request> puts;
    for (const Request &r : traced)
        if (r.first != "GET")
            puts.push_back(r);
    EXPECT_EQ(puts, (std::vector<Request>{{"PUT", "Enable"}, {"PUT", "Kvi"}, {"PUT", "Kvp"}, {"EXE", "TableGen"},
                                          {"PUT", "Enable"}}));
    EXPECT_EQ(form.lblResult->text(), QStringLiteral("2 values sent to the drive."));
    EXPECT_EQ(Rows(form), std::vector<std::string>{"Kvp"}) << "the refused value still differs";
    EXPECT_TRUE(form.Workflow().TickedNames().empty());

    // The drive is enabled now (the send ended with Enable 1): a second send writes nothing.
    Click(form, "Kvp");
    sim->ClearTrace();
    form.btnSend->click();
    ASSERT_TRUE(Idle(form));
    EXPECT_EQ(messages.texts().back(), "The drive is enabled and unabled to write to drive now-- download aborted");
    for (const auto &t : sim->Trace())
        EXPECT_EQ(t.command.substr(0, 3), "GET") << t.name;
    EXPECT_EQ(form.lblResult->text(), QStringLiteral("Nothing was sent, or the sending stopped part way."));
    EXPECT_EQ(UiThreadLineCalls(), uiCalls) << LastUiThreadLineCall();
    EXPECT_EQ(AccessibilityProblems(&form), QStringList());
    form.reject();
    EXPECT_FALSE(form.isVisible());
}

TEST_F(CompareFormTest, AFileOfAnotherModelIsComparedAfterTheWarningSendIsRefusedTakeIsSaved)
{
    auto sim = Start({"--model", "733"});
    const std::string file = UploadedFile(733);
    EditValues(file, {{"Model", 734}, {"Kpp", 9}});
    ScriptedMessages messages({}, Answer::Yes);
    TCompareForm form(session, messages);
    ASSERT_TRUE(form.BeginFile(file));
    ASSERT_TRUE(Idle(form));
    ASSERT_FALSE(messages.texts().empty());
    EXPECT_EQ(messages.texts()[0].rfind(OtherModelWarning(734, 733), 0), 0u) << messages.texts()[0];
    EXPECT_TRUE(form.lblModelWarning->isVisibleTo(&form));
    EXPECT_EQ(Rows(form), (std::vector<std::string>{"Kpp", "Model"}));
    const int model = RowOf(form, "Model");
    Click(form, "Model");
    EXPECT_FALSE(form.Workflow().Ticked("Model")) << "the drive's own";
    EXPECT_FALSE(form.tblVariables->item(model, 0)->flags() & Qt::ItemIsSelectable);

    Click(form, "Kpp");
    sim->ClearTrace();
    form.btnSend->click();
    ASSERT_TRUE(Idle(form));
    const auto texts = messages.texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Drive Model number mismatch"), texts.end());
    for (const auto &t : sim->Trace())
        EXPECT_EQ(t.command.substr(0, 3), "GET") << t.name;

    // Asked once: the reading after the send compared without asking again.
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                            [](const std::string &t) { return t.find("Compare them anyway?") != std::string::npos; }),
              1);

    // Yes to the question saves what was taken.
    Click(form, "Kpp");
    form.btnTake->click();
    EXPECT_EQ(messages.texts().back(), "Save the values taken from the drive in\n" + file + "?");
    Cfg saved;
    saved.Load(file);
    EXPECT_EQ(saved.Get("Kpp"), 15.0);
    EXPECT_EQ(saved.Get("Model"), 734.0);
    EXPECT_EQ(form.Workflow().TakenSinceSave(), 0);
    form.close();
}

TEST_F(CompareFormTest, ItsHelpPageIsFoundByItsContextAndItsKeywords)
{
    ScriptedMessages messages;
    TCompareForm form(session, messages);
    HelpIndex index;
    index.Load(QStringLiteral(TOOLS700_BIN_DIR "/help"));
    const HelpPage *page = index.ByContext(form.property("helpContext").toInt());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->file, "compare.html");
    EXPECT_EQ(page->title, "Compare with Drive");
    ASSERT_FALSE(index.ByKeyword(QStringLiteral("Take from Drive")).isEmpty());
    EXPECT_EQ(index.ByKeyword(QStringLiteral("Take from Drive")).front()->file, "compare.html");
}

} // namespace
