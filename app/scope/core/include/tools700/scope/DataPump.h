// DataPump: the scope's data thread. While running it fetches the drive's capture buffer again
// and again and hands each frame to the user-interface thread, waiting until it has been drawn
// there, so its buffers are never overwritten meanwhile. Single sweeps: Waiting fetches nothing
// until Arm asks the drive for a new sweep; Acquiring fetches and draws until a fetch brings all
// 100 pairs, then waits again.
//
// The hand-off: the thread stores the frame, calls the `notify` function it was given (which
// asks the user-interface thread to call ServeFrame soon, from any thread) and waits. A window
// posts an event; the command-line tool and the tests call WaitAndServe on their own thread.
#pragma once

#include "tools700/scope/TScope.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace tools700::scope {

// The link call that fetches (kind 0) or arms (kind 2); ReadScopeData700's arguments and result.
using ScopeReader = std::function<int(std::uint16_t kind, std::uint16_t reserved, std::uint16_t timebase,
                                      std::uint16_t triggerSource, std::uint32_t levelBits, std::uint16_t ch1,
                                      std::uint16_t ch2, double *ch1Samples, double *ch2Samples,
                                      std::uint16_t *count)>;
// ReadScopeData700 of the link library.
ScopeReader LinkScopeReader();

enum class SweepState : std::uint8_t { Continuous = 0, Waiting = 1, Acquiring = 2 };

inline constexpr std::uint16_t kFetchRequest = 0;
inline constexpr std::uint16_t kArmRequest = 2;

class DataPump {
public:
    // The thread is created later, by Resume (the window resumes it when first activated).
    DataPump(TScope &scope, std::function<void()> notify, ScopeReader reader = LinkScopeReader());
    // Tells the thread to end and waits for it.
    ~DataPump();
    DataPump(const DataPump &) = delete;
    DataPump &operator=(const DataPump &) = delete;

    // Starts the thread (once; later calls do nothing).
    void Resume();
    // Tells the thread to end and waits for it; a frame waiting to be drawn is dropped.
    void Terminate();

    void Start();
    void Stop();
    bool Running() const { return running_.load(); }
    // On: Waiting, with the last sweep counted as done. Off: Continuous.
    void SetSingleSweep(bool on);
    // Only while Waiting: asks the drive for a new sweep (on the calling thread) and fetches until
    // it is complete. The link status of the arm request (0 when nothing was asked), so a caller
    // can tell a drive that refused the sweep from one that did not answer.
    int Arm();
    // The same, with the request made by the pump's thread (a window's thread never waits for
    // the drive): the sweep counts as not done from now on.
    void RequestArm();
    bool SweepDone() const { return sweepDone_.load(); }
    bool ReadOk() const { return readOk_.load(); }
    SweepState State() const { return static_cast<SweepState>(sweepState_.load()); }

    // On the user-interface thread: draws the frame the thread handed over, if any, and lets the
    // thread go on. True when a frame was waiting.
    bool ServeFrame();
    // The same, waiting up to `timeoutMs` for a frame (a thread without an event loop).
    bool WaitAndServe(int timeoutMs);

    // Successful fetches so far (frames handed over, including empty ones).
    std::uint64_t Fetches() const { return fetches_.load(); }
    std::uint64_t FailedFetches() const { return failures_.load(); }

private:
    void Loop();
    // One fetch and its hand-off; false when the thread was told to end meanwhile.
    bool FetchAndHandOver(bool &full);
    // The arm request and the switch to Acquiring; the request's link status.
    int ArmNow();
    void Wake();

    TScope &scope_;
    std::function<void()> notify_;
    ScopeReader reader_;
    std::uint16_t count_ = 0;
    double ch1_[kPoints] = {};
    double ch2_[kPoints] = {};
    std::atomic<bool> running_{false};
    std::atomic<std::uint8_t> sweepState_{0};
    std::atomic<bool> sweepDone_{false};
    std::atomic<bool> readOk_{true};
    std::atomic<std::uint64_t> fetches_{0}, failures_{0};

    // The thread's waits: for a change of the flags, and for the drawing of a frame.
    std::mutex mutex_;
    std::condition_variable changed_;
    bool terminated_ = false;
    bool framePending_ = false;
    bool armRequested_ = false;
    std::atomic<bool> stopLine_{false}; // terminated_, for the thread's turn on the line
    std::thread thread_;
};

} // namespace tools700::scope
