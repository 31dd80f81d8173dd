// The diagnostics window on Qt's offscreen platform against the drive simulator: a faulted drive
// run through real message boxes (Cancel at the first failure, then OK to every one), Exit in the
// middle of a run, and a drive that does not answer.
#include "OnlineSim.h"
#include "QtTestSupport.h"

#include "comm700.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/diagnostics/Troubleshooting.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/Dial.h"
#include "tools700/widgets/QtMessages.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <QElapsedTimer>

#include <QTimer>

#include <gtest/gtest.h>

using namespace tools700;

namespace {

QStringList Lines(const TTroubleshooting &w) { return w.Checklist->toPlainText().split(QLatin1Char('\n')); }

class TroubleshootingTest : public testutil::OnlineSimTest {
protected:
    void SetUp() override { qttest::App(); }
};

} // namespace

TEST_F(TroubleshootingTest, AFaultedDriveCancelledAtItsFirstFailureThenRunToTheEnd)
{
    auto sim = Start({"--model", "733", "--fault", "2"});
    QtMessages messages;
    TTroubleshooting w(messages);
    w.SetStepDelay(0);
    EXPECT_EQ(w.windowTitle(), "Diagnostics");
    EXPECT_EQ(w.size(), QSize(627, 380));
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(w.btnStart->text(), "&Start");
    EXPECT_EQ(w.btnCancel->text(), "Exit");
    EXPECT_EQ(w.AbDial1->maximum(), 100);
    EXPECT_EQ(w.Checklist->toPlainText(), "Press the 'Start' button to begin a diagnostic test");
    EXPECT_FALSE(w.ProgressBar1->isVisible());
    w.show();
    EXPECT_EQ(AccessibilityProblems(&w), QStringList());

    {
        qttest::BoxWatcher watcher({QStringLiteral("Cancel")});
        w.btnStart->click();
        ASSERT_TRUE(qttest::WaitFor([&] { return !w.Running(); }, 20000));
        ASSERT_EQ(watcher.boxes().size(), 1u);
        EXPECT_EQ(watcher.boxes()[0].buttons, (QStringList{"OK", "Cancel"}));
        EXPECT_EQ(watcher.boxes()[0].icon, QMessageBox::Warning);
    }
    QStringList lines = Lines(w);
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines[0], "Uploading from drive...");
    EXPECT_EQ(lines[1], "Drive is faulted!");
    EXPECT_TRUE(lines[2].startsWith("  FaultCode : "));
    EXPECT_TRUE(lines[3].startsWith("  ExtFault  : "));
    EXPECT_TRUE(lines[4].endsWith(" failed! <---"));
    EXPECT_EQ(lines.last(), "Testing aborted!");
    EXPECT_EQ(lines.size(), 6);
    EXPECT_TRUE(w.btnStart->isEnabled());
    EXPECT_FALSE(w.ProgressBar1->isVisible());
    EXPECT_LT(w.AbDial1->value(), 18) << "the dial stopped where Cancel was pressed";
    // The values of the run stay: the simulator's drive is faulted.
    EXPECT_EQ(w.Values().Fault, 1);

    // Again, with OK to every failure: one line per failed check, then the summary.
    std::size_t failures = diagnostics::RunChecks(w.Values()).failures.size();
    qttest::BoxWatcher watcher;
    w.btnStart->click();
    ASSERT_TRUE(qttest::WaitFor([&] { return !w.Running(); }, 20000));
    EXPECT_EQ(watcher.boxes().size(), failures);
    lines = Lines(w);
    EXPECT_EQ(lines.size(), static_cast<int>(1 + 3 + failures + 2));
    EXPECT_EQ(lines[lines.size() - 2], "One or more checks failed.");
    EXPECT_EQ(lines.last(), "Done!");
    EXPECT_EQ(w.AbDial1->value(), 100);
    // The failure boxes carry the checks' messages.
    const diagnostics::ChecklistResult expected = diagnostics::RunChecks(w.Values());
    for (std::size_t i = 0; i < failures && i < watcher.boxes().size(); ++i)
        EXPECT_EQ(watcher.boxes()[i].text.toStdString(), expected.failures[i].message);

    // Exit puts the prompt back and hides the window.
    w.btnCancel->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.Checklist->toPlainText(), "Press the 'Start' button to begin a diagnostic test");
    EXPECT_EQ(w.AbDial1->value(), 0);
}

TEST_F(TroubleshootingTest, ExitDuringARunEndsItAtItsNextStep)
{
    auto sim = Start({"--model", "733", "--configured"});
    ASSERT_EQ(PutVar700("CommEnbl", 1), 0);
    ScriptedMessages messages({}, Answer::Ok);
    TTroubleshooting w(messages);
    w.SetStepDelay(20);
    w.show();
    int finished = -1;
    QObject::connect(&w, &TTroubleshooting::runFinished, [&](int end) { finished = end; });
    // Exit as soon as the sweep is under way.
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (w.AbDial1->value() >= 30)
            w.btnCancel->click();
    });
    poll.start();
    w.btnStart->click();
    ASSERT_TRUE(qttest::WaitFor([&] { return !w.Running(); }, 20000));
    poll.stop();
    EXPECT_EQ(finished, static_cast<int>(diagnostics::RunEnd::Interrupted));
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.Running());
    EXPECT_EQ(w.Checklist->toPlainText(), "Press the 'Start' button to begin a diagnostic test")
        << "no summary after Exit";
    EXPECT_TRUE(w.btnStart->isEnabled());
}

TEST_F(TroubleshootingTest, ExitWhileAReadWaitsForASilentDriveReturnsAtOnce)
{
    auto sim = Start({"--model", "733", "--configured", "--silent-after", "4"});
    ScriptedMessages messages;
    TTroubleshooting w(messages);
    w.show();
    int finished = -1;
    QObject::connect(&w, &TTroubleshooting::runFinished, [&](int end) { finished = end; });
    w.btnStart->click();
    // The window keeps serving its events while the read waits for the drive.
    QElapsedTimer posted;
    posted.start();
    qint64 handledAfter = -1;
    QTimer::singleShot(0, [&] { handledAfter = posted.elapsed(); });
    ASSERT_TRUE(qttest::WaitFor([&] { return w.ProgressBar1->value() >= 12 && handledAfter >= 0; }));
    EXPECT_LT(handledAfter, 250);
    QElapsedTimer exiting;
    exiting.start();
    w.btnCancel->click();
    EXPECT_LT(exiting.elapsed(), 250) << "Exit does not wait for the drive";
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.Running());
    EXPECT_EQ(finished, static_cast<int>(diagnostics::RunEnd::Interrupted));
    // Nothing of the dropped read shows later.
    qttest::WaitFor([] { return false; }, 800);
    EXPECT_TRUE(messages.texts().empty());
    EXPECT_EQ(w.Checklist->toPlainText(), "Press the 'Start' button to begin a diagnostic test");
}

TEST_F(TroubleshootingTest, ADriveThatDoesNotAnswer)
{
    auto sim = Start({"--model", "733"});
    sim->Stop();
    ScriptedMessages messages;
    TTroubleshooting w(messages);
    w.show();
    w.btnStart->click();
    ASSERT_TRUE(qttest::WaitFor([&] { return !w.Running(); }, 20000));
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Can't communicate with drive"});
    EXPECT_EQ(messages.shown()[0].kind, BoxKind::Plain);
    EXPECT_EQ(w.Checklist->toPlainText(), "Failed to upload from drive");
    EXPECT_FALSE(w.ProgressBar1->isVisible());
    EXPECT_TRUE(w.btnStart->isEnabled());
}
