// The scope window on the real link against the drive simulator: running while its settings
// change, a lost drive, a drive that stops answering the scope's reads, a source chosen through
// the accessibility interface, and the window going while frames come in.
#include "ScopeFormFixture.h"

using namespace tools700;
using scopeformtest::ScopeFormTest;
using scopeformtest::ScopeFormSimTest;
using testutil::ScopeReply;

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
