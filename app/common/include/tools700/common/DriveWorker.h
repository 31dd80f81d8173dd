// DriveWorker: the thread on which one window's drive work runs, job after job, so that the
// window's own thread never waits for the drive. Jobs run in the order they were posted.
//
// Cancel() (the window was closed) drops the jobs not yet started and cancels the one running:
// its exchange in flight finishes within its time-out, and every later call of tools700::line in
// it gets no turn and fails at once, so the job runs to its end quickly; whoever hands its results
// or questions to the window looks at Cancelled() and drops them. Jobs posted after Cancel() run
// as usual (the window was opened again).
//
// The destructor cancels and waits for the thread: never longer than the exchange in flight.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace tools700 {

class DriveWorker {
public:
    using Job = std::function<void()>;

    DriveWorker() = default;
    ~DriveWorker();
    DriveWorker(const DriveWorker &) = delete;
    DriveWorker &operator=(const DriveWorker &) = delete;

    // Queues a job (the thread starts with the first one). Returns the job's ticket: its
    // generation, which Cancel() moves on.
    std::uint64_t Post(Job job);
    // Drops the jobs not yet started and cancels the running one (see above).
    void Cancel();
    // Cancels and ends the thread; later posts are dropped. Waits for the job in flight.
    void Stop();

    // True while a job runs or waits to run.
    bool Busy() const;
    // The generation of jobs posted now; a job posted with an older one has been cancelled.
    std::uint64_t Generation() const { return generation_.load(); }
    bool Cancelled(std::uint64_t ticket) const { return ticket != generation_.load() || ending_.load(); }

    // On a worker's thread: true when the job running there has been cancelled. False on any
    // other thread.
    static bool CurrentJobCancelled();
    // On a worker's thread: the worker and the running job's ticket (null elsewhere).
    static DriveWorker *Current();
    static std::uint64_t CurrentTicket();

private:
    void Loop();

    struct Queued {
        std::uint64_t ticket;
        Job job;
    };

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Queued> queue_;
    bool running_ = false; // a job is running (under mutex_)
    std::atomic<std::uint64_t> generation_{1};
    std::atomic<bool> ending_{false};
    std::thread thread_;
};

} // namespace tools700
