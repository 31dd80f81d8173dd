#include "tools700/scope/DataPump.h"

#include "comm700.h"
#include "tools700/common/Line.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tools700::scope {

namespace {

std::uint32_t FloatBits(float value)
{
    std::uint32_t bits = 0;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The pump runs below normal priority so that drawing and typing stay responsive while the
// fetches follow each other without pause. (A thread's nice value on Linux; raising it back
// needs no privilege we lack, since it is never raised.)
void LowerThisThreadsPriority()
{
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, tid);
    if (errno == 0)
        ::setpriority(PRIO_PROCESS, tid, nice + 4);
}

} // namespace

ScopeReader LinkScopeReader()
{
    return [](std::uint16_t kind, std::uint16_t reserved, std::uint16_t timebase, std::uint16_t trigger,
              std::uint32_t level, std::uint16_t ch1, std::uint16_t ch2, double *s1, double *s2, std::uint16_t *n) {
        return line::ReadScopeData700(kind, reserved, timebase, trigger, level, ch1, ch2, s1, s2, n);
    };
}

DataPump::DataPump(TScope &scope, std::function<void()> notify, ScopeReader reader)
    : scope_(scope), notify_(std::move(notify)), reader_(std::move(reader))
{
}

DataPump::~DataPump() { Terminate(); }

void DataPump::Resume()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (thread_.joinable() || terminated_)
        return;
    thread_ = std::thread([this] {
        LowerThisThreadsPriority();
        Loop();
    });
}

void DataPump::Terminate()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        terminated_ = true;
        stopLine_.store(true);
    }
    changed_.notify_all();
    // A fetch waiting for its turn on the line gives up: the thread ends after the exchange in
    // flight at most.
    WakeLineWaiters();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

void DataPump::Wake()
{
    // Taking the mutex orders the flag change before the thread's next look at it.
    { const std::lock_guard<std::mutex> lock(mutex_); }
    changed_.notify_all();
}

void DataPump::Start()
{
    running_ = true;
    Wake();
}

void DataPump::Stop()
{
    running_ = false;
    Wake();
}

void DataPump::SetSingleSweep(bool on)
{
    if (on) {
        sweepState_ = static_cast<std::uint8_t>(SweepState::Waiting);
        sweepDone_ = true;
    } else {
        sweepState_ = static_cast<std::uint8_t>(SweepState::Continuous);
    }
    Wake();
}

int DataPump::Arm()
{
    if (State() != SweepState::Waiting)
        return 0;
    sweepDone_ = true;
    return ArmNow();
}

void DataPump::RequestArm()
{
    if (State() != SweepState::Waiting)
        return;
    sweepDone_ = false;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        armRequested_ = true;
    }
    changed_.notify_all();
}

int DataPump::ArmNow()
{
    // The arm request has buffers of its own: the thread's hold a frame that may be being drawn.
    double ch1[kPoints];
    double ch2[kPoints];
    std::uint16_t count = 0;
    const AcquisitionParams p = scope_.GetAcquisitionParams();
    const int status = reader_(kArmRequest, 0, p.timebase, p.triggerSource, FloatBits(p.triggerLevel), p.ch1Signal,
                               p.ch2Signal, ch1, ch2, &count);
    readOk_ = status == 0;
    // Acquiring only once the drive has been asked: a fetch before the arm request would find
    // the last (complete) buffer and end the sweep with a frame the user did not ask for. A failed
    // request still leaves the pump fetching, so the sweep ends as soon as the drive has one.
    sweepDone_ = false;
    sweepState_ = static_cast<std::uint8_t>(SweepState::Acquiring);
    Wake();
    return status;
}

bool DataPump::FetchAndHandOver(bool &full)
{
    full = false;
    const AcquisitionParams p = scope_.GetAcquisitionParams();
    std::uint16_t count = 0;
    const int status = reader_(kFetchRequest, 0, p.timebase, p.triggerSource, FloatBits(p.triggerLevel), p.ch1Signal,
                               p.ch2Signal, ch1_, ch2_, &count);
    readOk_ = status == 0;
    if (status != 0) {
        ++failures_;
        std::this_thread::yield();
        return true;
    }
    count_ = count > kPoints ? kPoints : count;
    ++fetches_;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (terminated_)
            return false;
        framePending_ = true;
    }
    if (notify_)
        notify_();
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !framePending_ || terminated_; });
    if (terminated_)
        return false;
    full = count_ == kPoints;
    return true;
}

bool DataPump::ServeFrame()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!framePending_)
            return false;
    }
    if (count_ > 0)
        scope_.ProcessFrame(ch1_, ch2_, count_);
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        framePending_ = false;
    }
    changed_.notify_all();
    return true;
}

bool DataPump::WaitAndServe(int timeoutMs)
{
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [this] { return framePending_ || terminated_; }) ||
            !framePending_)
            return false;
    }
    return ServeFrame();
}

void DataPump::Loop()
{
    const LineStopWhen stop([this] { return stopLine_.load(); });
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (terminated_)
                return;
            if (armRequested_) {
                armRequested_ = false;
                if (State() == SweepState::Waiting) {
                    lock.unlock();
                    ArmNow();
                    continue;
                }
            }
            if (!running_) {
                // A stopped pump looks at its flag once a second, or at once when started.
                changed_.wait_for(lock, std::chrono::milliseconds(1000), [this] { return terminated_ || running_.load(); });
                continue;
            }
            if (State() == SweepState::Waiting) {
                // Nothing to fetch until the sweep is armed, single sweep is turned off or the
                // pump is stopped: sleep until one of them is told.
                changed_.wait(lock, [this] {
                    return terminated_ || !running_ || armRequested_ || State() != SweepState::Waiting;
                });
                continue;
            }
        }
        bool full = false;
        switch (State()) {
        case SweepState::Continuous:
            if (!FetchAndHandOver(full))
                return;
            break;
        case SweepState::Acquiring: {
            sweepDone_ = false;
            if (!FetchAndHandOver(full))
                return;
            if (full) {
                // Unless single sweep was turned off meanwhile: then the scope runs on freely.
                std::uint8_t acquiring = static_cast<std::uint8_t>(SweepState::Acquiring);
                sweepDone_ = true;
                sweepState_.compare_exchange_strong(acquiring, static_cast<std::uint8_t>(SweepState::Waiting));
            }
            break;
        }
        case SweepState::Waiting:
            break;
        default:
            sweepState_ = static_cast<std::uint8_t>(SweepState::Continuous);
            break;
        }
    }
}

} // namespace tools700::scope
