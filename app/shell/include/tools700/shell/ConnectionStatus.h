// TConnectionStatus: the connection monitor. A background thread asks the drive about once a
// second for its axis address, state and fault codes (one GetVars700 exchange), turns the answer
// into one line of status text, reads what the main window's status update shows besides (the
// drive's Model, MfgLock and operating mode; no exchange is left for the user-interface thread),
// and hands both to the user-interface thread, where Report gives them to the main window; the
// thread waits until Report has run.
//
// Ending is safe at any moment, also while a poll is in flight or a report is queued: WaitFor()
// (user-interface thread) marks the thread terminated and wakes it from any wait, its turn on the
// line included; a report that is still queued is then dropped, so the thread never waits for a
// user-interface thread that waits for it, and WaitFor() waits for one exchange at most.
#pragma once

#include "tools700/config/DriveState.h"

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
    using UpdateFn = std::function<void(const std::string &text, const StatusReading &reading)>;
    using PollFn = std::function<int(const char *const *names, double *values, int *validMask)>;
    // What the status update shows besides the text, read after a poll whose text is `text`.
    using ReadFn = std::function<StatusReading(const std::string &text)>;

    // Created suspended: the thread starts with the first Resume(). `update` runs on the
    // thread that owns this object (the user-interface thread). `poll` defaults to GetVars700,
    // `read` to ReadStatus of a text other than "No connection".
    explicit TConnectionStatus(UpdateFn update, PollFn poll = {}, ReadFn read = {}, QObject *parent = nullptr);
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
    ReadFn read_;
    std::thread thread_;
    std::atomic<bool> polling_{false};
    std::atomic<int> polls_{0};
    std::atomic<int> reports_{0};

    std::mutex mutex_;
    std::condition_variable wake_;
    bool terminated_ = false;
    std::atomic<bool> stopLine_{false}; // terminated_, for the thread's turn on the line
    bool reportDone_ = false;
    unsigned long long ticket_ = 0;

    // Written by the thread before it queues a report, read by Report while the thread waits.
    std::string text_;
    StatusReading reading_;
    int lastResult_ = 0;
    std::chrono::milliseconds lastPollTook_{0}; // the monitor thread's own
    double shown_[4] = {0, 0, 0, 0};            // the monitor thread's own: each value last delivered
};

} // namespace tools700
