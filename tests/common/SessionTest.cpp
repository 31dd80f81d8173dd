// The session's pauses of the connection monitor's polling: they nest, so a workflow that pauses
// inside another's pause does not turn the polling back on while the outer one still needs the
// line to itself.
#include "tools700/common/Session.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using tools700::Session;

TEST(SessionPolling, PausesNestAndThePollingResumesWithTheLastResume)
{
    Session session;
    std::vector<bool> monitor;
    session.SetStatusPolling([&](bool on) { monitor.push_back(on); });

    // A window pauses, then a download it starts pauses and resumes at its end.
    session.SuspendStatusPolling();
    EXPECT_TRUE(session.StatusPollingPaused());
    session.SuspendStatusPolling();
    session.ResumeStatusPolling();
    EXPECT_TRUE(session.StatusPollingPaused()) << "the window's pause still holds";
    EXPECT_EQ(monitor, std::vector<bool>{false});
    session.ResumeStatusPolling();
    EXPECT_FALSE(session.StatusPollingPaused());
    EXPECT_EQ(monitor, (std::vector<bool>{false, true}));

    // A resume nobody paused for is not counted ahead of the next pause.
    session.ResumeStatusPolling();
    session.SuspendStatusPolling();
    EXPECT_TRUE(session.StatusPollingPaused());
    EXPECT_EQ(monitor, (std::vector<bool>{false, true, false}));
    session.ResumeStatusPolling();
    EXPECT_EQ(monitor, (std::vector<bool>{false, true, false, true}));
}

TEST(SessionPolling, PausesFromSeveralThreadsBalance)
{
    Session session;
    int turnedOff = 0, turnedOn = 0;
    session.SetStatusPolling([&](bool on) { ++(on ? turnedOn : turnedOff); });
    session.SuspendStatusPolling();
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < 1000; ++i) {
                session.SuspendStatusPolling();
                session.ResumeStatusPolling();
            }
        });
    for (std::thread &w : workers)
        w.join();
    EXPECT_EQ(turnedOff, 1);
    EXPECT_EQ(turnedOn, 0) << "the first pause held throughout";
    session.ResumeStatusPolling();
    EXPECT_EQ(turnedOn, 1);
    EXPECT_FALSE(session.StatusPollingPaused());
}
