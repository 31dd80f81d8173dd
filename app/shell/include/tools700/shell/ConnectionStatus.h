// TConnectionStatus: the connection monitor. A background thread asks the drive about once a
// second for its axis address, state and fault codes (one GetVars700 exchange), and hands the
// result to the user-interface thread, where Report turns it into one line of status text for
// the main window; the thread waits until Report has run.
//
// Ending is safe at any moment, also while a poll is in flight or a report is queued: WaitFor()
// (user-interface thread) marks the thread terminated and wakes it from any wait; a report that
// is still queued is then dropped, so the thread never waits for a user-interface thread that
// waits for it.
#pragma once

#include <QObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace tools700 {

// The text of one poll: "No connection", "CommError?" or
// "Status: Axis <a>  <DriveStatus text>[ (Cause: <FaultCode text>[ (<ExtFault text>)])]".
std::string StatusLine(int result, const double values[4], int validMask);

class TConnectionStatus : public QObject {
    Q_OBJECT
public:
    using UpdateFn = std::function<void(const std::string &text)>;
    using PollFn = std::function<int(const char *const *names, double *values, int *validMask)>;

    // Created suspended: the thread starts with the first Resume(). `update` runs on the
    // thread that owns this object (the user-interface thread). `poll` defaults to GetVars700.
    explicit TConnectionStatus(UpdateFn update, PollFn poll = {}, QObject *parent = nullptr);
    // Ends the thread (as WaitFor).
    ~TConnectionStatus() override;

    void Resume();
    void StartPolling() { polling_.store(true); }
    void StopPolling() { polling_.store(false); }
    bool Polling() const { return polling_.load(); }
    // Asks the main loop to end after its current sleep or poll.
    void Terminate();
    // Terminate, resume, and wait until the thread has ended. User-interface thread only.
    void WaitFor();
    bool Running() const { return thread_.joinable(); }

    // Counters for tests and benchmarks.
    int Polls() const { return polls_.load(); }
    int Reports() const { return reports_.load(); }

    static constexpr int kPollIntervalMs = 1000;
    // A failed poll is followed by the next one no sooner than this after its start.
    static constexpr int kFailedPollPaceMs = 500;
    static const char *const kNames[5];

private:
    void Execute();
    // User-interface thread: the queued half of a poll.
    void RunReport(unsigned long long ticket);
    void Report();

    UpdateFn update_;
    PollFn poll_;
    std::thread thread_;
    std::atomic<bool> polling_{false};
    std::atomic<int> polls_{0};
    std::atomic<int> reports_{0};

    std::mutex mutex_;
    std::condition_variable wake_;
    bool terminated_ = false;
    bool reportDone_ = false;
    unsigned long long ticket_ = 0;

    // Written by the thread before it queues a report, read by Report while the thread waits.
    double values_[4] = {0, 0, 0, 0};
    int validMask_ = 0;
    int lastResult_ = 0;
    std::chrono::milliseconds lastPollTook_{0}; // the monitor thread's own
};

} // namespace tools700
