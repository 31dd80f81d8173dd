// The signals that steer a running simulator: SIGTERM and SIGINT end it, SIGUSR1 makes its
// drives stop answering and SIGUSR2 makes them answer again.
//
// They are blocked in every thread and taken by a thread of their own with sigwaitinfo(), not by
// a handler. A sanitizer runtime defers a handler until its next interception and can lose one
// that arrives while a reply is being written; a simulator that missed its SIGTERM would hold
// the line until it was killed. The thread passes each signal on through flags and wakes the
// line's wait, so the main loop sees it at once.
#pragma once

#include <atomic>
#include <csignal>
#include <functional>
#include <thread>

namespace drivesim {

class ControlSignals {
public:
    // Blocks the signals in the calling thread, so in every thread started after it, and ignores
    // SIGPIPE (a host that closed its end must not end the simulator). Construct it before any
    // other thread starts.
    ControlSignals();
    // Ends the signal thread (it is sent a SIGTERM of its own when none came) and unblocks the
    // signals again.
    ~ControlSignals();
    ControlSignals(const ControlSignals&) = delete;
    ControlSignals& operator=(const ControlSignals&) = delete;

    // Starts taking the signals; `wake` runs on the signal thread after each one, to end a wait
    // of the main loop.
    void Start(std::function<void()> wake);

    // Set once SIGTERM or SIGINT came.
    const std::atomic<bool>& Stop() const { return stop_; }
    // What SIGUSR1 and SIGUSR2 asked since the last call: 0 nothing, 1 quiet, 2 answer again.
    int TakeQuietRequest() { return quiet_.exchange(0); }

private:
    void Run();

    sigset_t signals_ {};
    sigset_t before_ {};
    std::atomic<bool> stop_ {false};
    std::atomic<int> quiet_ {0};
    std::function<void()> wake_;
    std::thread thread_;
};

}  // namespace drivesim
