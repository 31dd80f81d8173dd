// A window's drive worker: work off the window's thread, results and questions back on it in
// order, nothing from cancelled work, and a window that never waits for its worker.
#include "QtTestSupport.h"

#include "tools700/common/Line.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/widgets/WindowWorker.h"

#include <QThread>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <thread>

using namespace tools700;
using namespace std::chrono_literals;

namespace {

// Messages that note the thread each box is shown on.
class ThreadNotingMessages : public ScriptedMessages {
public:
    using ScriptedMessages::ScriptedMessages;
    Answer Show(BoxKind kind, const std::string &text, unsigned buttons) override
    {
        onWindowThread = onWindowThread && QThread::currentThread() == qApp->thread();
        return ScriptedMessages::Show(kind, text, buttons);
    }
    bool onWindowThread = true;
};

class WindowWorkerTest : public ::testing::Test {
protected:
    QApplication &app = qttest::App(); // before the window
    QWidget window;
    ThreadNotingMessages messages{{Answer::Yes, Answer::No}};
};

} // namespace

TEST_F(WindowWorkerTest, WorkRunsOffTheWindowThreadAndQuestionsComeBackInOrder)
{
    WindowWorker worker(&window, messages);
    std::vector<std::string> steps; // written by the work, read by `done` after it
    bool workOffWindowThread = false;
    std::vector<double> shownProgress;
    bool finished = false;
    worker.Run(
        [&] {
            workOffWindowThread = QThread::currentThread() != qApp->thread();
            steps.push_back("exchange 1");
            steps.push_back(worker.Questions().Confirm("first?") ? "yes" : "no");
            steps.push_back("exchange 2");
            steps.push_back(worker.Questions().Confirm("second?") ? "yes" : "no");
            const ProgressFn progress = worker.Progress([&](double f) { shownProgress.push_back(f); });
            progress(0.5);
            progress(1.0);
        },
        [&] { finished = true; });
    ASSERT_TRUE(qttest::WaitFor([&] { return finished; }));
    EXPECT_TRUE(workOffWindowThread);
    EXPECT_TRUE(messages.onWindowThread);
    EXPECT_EQ(steps, (std::vector<std::string>{"exchange 1", "yes", "exchange 2", "no"}));
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"first?", "second?"}));
    ASSERT_FALSE(shownProgress.empty());
    EXPECT_EQ(shownProgress.back(), 1.0); // the latest fraction, once or twice

    // A typed result reaches the window; an error goes to the error box instead of `done`.
    int got = 0;
    worker.Run<int>([] { return 42; }, [&](const int &v) { got = v; });
    ASSERT_TRUE(qttest::WaitFor([&] { return got == 42; }));
    qttest::BoxWatcher watcher;
    bool doneAfterError = false;
    worker.Run([] { throw std::runtime_error("NO RESPONSE"); }, [&] { doneAfterError = true; });
    ASSERT_TRUE(qttest::WaitFor([&] { return !watcher.boxes().empty(); }));
    EXPECT_EQ(watcher.boxes()[0].text, "NO RESPONSE.");
    EXPECT_FALSE(doneAfterError);
}

TEST_F(WindowWorkerTest, CancelledWorkReportsAndAsksNothingAndTheWindowNeverWaits)
{
    WindowWorker worker(&window, messages);
    std::promise<void> started;
    std::atomic<bool> release{false};
    std::atomic<int> answerWhenCancelled{-1};
    bool done = false, progressShown = false;
    worker.Run(
        [&] {
            started.set_value();
            while (!release)
                std::this_thread::sleep_for(1ms);
            answerWhenCancelled = static_cast<int>(worker.Questions().Show(BoxKind::Confirmation, "asked?", BtnYes | BtnNo));
            worker.Progress([&](double) { progressShown = true; })(0.5);
        },
        [&] { done = true; });
    started.get_future().wait();
    worker.Cancel(); // the window closes while the work runs
    release = true;
    while (worker.Busy())
        std::this_thread::sleep_for(1ms);
    QCoreApplication::processEvents();
    EXPECT_EQ(answerWhenCancelled.load(), static_cast<int>(Answer::Closed));
    EXPECT_TRUE(messages.texts().empty());
    EXPECT_FALSE(done);
    EXPECT_FALSE(progressShown);

    // The window's thread keeps running while the work waits for the line (another thread holds
    // it); a timer event posted meanwhile is handled before the work ends.
    std::promise<void> holding, releaseLine;
    std::thread holder([&] {
        const LineTurn turn;
        holding.set_value();
        releaseLine.get_future().wait();
    });
    holding.get_future().wait();
    bool exchanged = false, timerRan = false;
    worker.Run([] {
        double v = 0;
        line::GetVar700("Model", &v);
    }, [&] { exchanged = true; });
    QTimer::singleShot(5, [&] { timerRan = true; });
    ASSERT_TRUE(qttest::WaitFor([&] { return timerRan; }));
    EXPECT_FALSE(exchanged);
    releaseLine.set_value();
    holder.join();
    ASSERT_TRUE(qttest::WaitFor([&] { return exchanged; }));
}

TEST_F(WindowWorkerTest, DestroyingTheWindowWhileItsWorkWaitsReturnsAtOnce)
{
    std::promise<void> holding, releaseLine;
    std::thread holder([&] {
        const LineTurn turn;
        holding.set_value();
        releaseLine.get_future().wait();
    });
    holding.get_future().wait();
    {
        auto *owner = new QWidget;
        auto worker = std::make_unique<WindowWorker>(owner, messages);
        worker->Run([] {
            double v = 0;
            line::GetVar700("Model", &v);
        });
        while (LineWaiters() < 1)
            std::this_thread::sleep_for(1ms);
        worker.reset(); // returns without the turn: the work gave up waiting
        delete owner;
    }
    releaseLine.set_value();
    holder.join();
}
