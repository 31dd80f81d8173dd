#include "Library.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <unistd.h>

#include "tools700/platform/Process.h"
#include "tools700/wire/Frame.h"

namespace tools700::link {

using platform::Direction;

// ---------------------------------------------------------------------------------------
// Library state, attach and detach

Library::Library()
{
    // Attach: the shared region first (its first process resets both queues and the attach
    // count is rebuilt from the processes still alive), then the locks. Port none, number -1,
    // axis 255; the mailbox set exists from here to unload.
    if (envsim_.Open())
        envsim_.Attach();
    libraryLock_.Open(kLibraryLockName);
    for (int p = 0; p <= NPORTS; ++p)
        portLocks_[p].Open(std::string(kLibraryLockName) + "_" + std::to_string(p));
}

void Library::Detach()
{
    // A stop request wakes the receive thread at once; wait for it to end rather than sleeping
    // a fixed time.
    receiver_.Stop();
    {
        std::unique_lock<std::shared_mutex> g(serialMutex_);
        serial_.Close();
    }
    port_ = -1;
    serialWanted_ = false;
    simBarred_ = true;
    TakeOrReleaseSimClaim(false);
    envsim_.Detach();
    mailboxes_.TearDown();
}

// ---------------------------------------------------------------------------------------
// Port and axis selection

int Library::UseSerialPort(int port)
{
    if (!libraryLock_.AcquireWithRecovery(kLockWaitMs))
        return 0;
    receiver_.Stop();
    const int rc = InitComPort(port);
    // A device held by another process keeps this process on it (calls fail with NO_PORT and
    // try it again) rather than on the simulator channel, where another drive may answer.
    serialMode_ = rc == kOk || serialWanted_;
    // Outside 0..4 there is no channel at all: the claim is let go and not taken again behind
    // the caller's back until a channel is chosen.
    simBarred_ = !serialMode_ && (port < 0 || port > NPORTS);
    TakeOrReleaseSimClaim(!serialMode_ && !simBarred_);
    receiver_.Start();
    libraryLock_.Unlock();
    return rc == kOk ? 1 : 0;
}

void Library::HostMode()
{
    if (!serialMode_ && !simBarred_)
        TakeOrReleaseSimClaim(true);
    receiver_.Start();
}

void Library::TakeOrReleaseSimClaim(bool take)
{
    std::lock_guard<std::mutex> g(simClaimMutex_);
    if (take)
        simClaim_.Take();
    else
        simClaim_.Release();
    simHost_ = simClaim_.Held();
}

bool Library::SimHost()
{
    if (simHost_.load())
        return true;
    if (simBarred_.load())
        return false;
    // Not ours (yet): the holder may have ended since; the claim is one system call to try.
    std::lock_guard<std::mutex> g(simClaimMutex_);
    if (simClaim_.Take())
        simHost_ = true;
    return simHost_.load();
}

int Library::InitComPort(int port)
{
    if (!libraryLock_.AcquireWithRecovery(kLockWaitMs))
        return kPortMutexNotAvailable;
    port_ = port;
    int rc = kNoPort;
    portChanging_ = true;
    receiver_.Nudge();  // out of its poll on the old port, so the port can be closed now
    {
        std::unique_lock<std::shared_mutex> g(serialMutex_);
        serial_.Close();
        serialWanted_ = false;
        serialPath_.clear();
        if (port >= 1 && port <= NPORTS) {
            serialPath_ = platform::ComPortDevice(port);
            lastOpen_ = std::chrono::steady_clock::now();
            if (serial_.Open(serialPath_))
                rc = kOk;
            else
                serialWanted_ = serial_.inUse();
        }
    }
    portChanging_ = false;
    libraryLock_.Unlock();
    return rc;
}

bool Library::AcquirePortLock(int* which)
{
    const int p = port_.load();
    if (p < 0 || p > NPORTS)
        return false;
    // Only the thread whose turn it is asks for the system-wide lock, so that lock's own
    // (unfair) wake-up order never decides between this process's threads.
    const auto start = std::chrono::steady_clock::now();
    if (portTurns_[p].Lock(kLockWaitMs) != platform::FairLock::Result::Acquired)
        return false;
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    const int left = kLockWaitMs - static_cast<int>(std::min<long long>(waited.count(), kLockWaitMs));
    if (!portLocks_[p].AcquireWithRecovery(left)) {
        portTurns_[p].Unlock();
        return false;
    }
    *which = p;
    return true;
}

void Library::ReleasePortLock(int which)
{
    if (which >= 0 && which <= NPORTS) {
        portLocks_[which].Unlock();
        portTurns_[which].Unlock();
    }
}

int Library::SetAxis(int axis)
{
    int which = -1;
    if (!AcquirePortLock(&which))
        return kPortMutexNotAvailable;
    int rc = kInvalidAxis;
    if (axis >= 1 && axis <= 255) {
        axis_ = static_cast<uint8_t>(axis);
        rc = kOk;
    }
    ReleasePortLock(which);
    return rc;
}

// ---------------------------------------------------------------------------------------
// The byte channel

int Library::HostPut(int byte)
{
    if (serialMode_) {
        const uint8_t b = static_cast<uint8_t>(byte & 0xFF);
        bool lost = false;
        {
            std::shared_lock<std::shared_mutex> g(serialMutex_);
            if (serial_.Write(&b, 1) != 1)  // waits (bounded) for room rather than dropping it
                lost = serial_.lost();
        }
        if (lost)
            LoseDevice();
        return byte;
    }
    if (!SimHost())
        return -1;  // another host process has the simulator channel
    return envsim_.Put(Direction::HostToDrive, byte);
}

int Library::HostGet()
{
    if (serialMode_) {
        int b;
        bool lost = false;
        {
            std::shared_lock<std::shared_mutex> g(serialMutex_);
            b = serial_.ReadByte();
            lost = b < 0 && serial_.lost();
        }
        if (lost)
            LoseDevice();
        return b;
    }
    if (!SimHost())
        return -1;  // the replies in the queue belong to another host process
    return envsim_.Get(Direction::DriveToHost);
}

int Library::SrlPut(int byte)
{
    if (serialMode_)
        return HostPut(byte);
    return envsim_.Put(Direction::DriveToHost, byte);
}

int Library::SrlGet()
{
    if (serialMode_)
        return HostGet();
    return envsim_.Get(Direction::HostToDrive);
}

bool Library::SendFrame(const uint16_t* words)
{
    if (serialMode_) {
        // One write of the whole encoded frame: the kernel queues it and the line drains it
        // at 19200 bit/s; byte-by-byte writes would only add system calls.
        uint8_t buf[wire::kMaxEncodedFrameBytes];
        const std::size_t n = wire::EncodeFrame(words, buf, sizeof buf);
        statistics_.FrameSent(n);
        bool lost = false;
        {
            std::shared_lock<std::shared_mutex> g(serialMutex_);
            lost = !serial_.IsOpen() || (serial_.Write(buf, n) != n && serial_.lost());
        }
        if (lost)
            LoseDevice();
        return !lost;
    }
    // Simulator channel: one byte per queue operation. A frame longer than the queue (a
    // PutVars request is over 200 bytes) needs the simulator to read while we write: when
    // the queue is full and another process is attached, wait for room (up to 100 ms at a
    // time); once such a wait runs out, or nobody else is attached, the rest of the frame is
    // dropped as a full queue drops bytes, and the exchange ends at its reply time-out.
    bool waiting = envsim_.AttachCount() > 1;
    std::size_t bytes = 0;
    wire::WriteFrame(words, [&](uint8_t b) {
        ++bytes;
        if (envsim_.Put(Direction::HostToDrive, b) >= 0 || !waiting)
            return;
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
        while (std::chrono::steady_clock::now() < until) {
            envsim_.WaitForSpace(Direction::HostToDrive, 10);
            if (envsim_.Put(Direction::HostToDrive, b) >= 0)
                return;
        }
        waiting = false;
    });
    statistics_.FrameSent(bytes);
    return true;
}

std::size_t Library::ReceiveSome(uint8_t* buf, std::size_t cap, int wakeFd, const std::atomic<bool>* stop)
{
    if (serialMode_) {
        if (portChanging_) {  // InitComPort700 is closing or opening the port: keep off it
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return 0;
        }
        std::shared_lock<std::shared_mutex> g(serialMutex_);
        pollfd fds[2] = {{wakeFd, POLLIN, 0}, {serial_.fd(), POLLIN, 0}};
        const nfds_t count = serial_.IsOpen() ? 2 : 1;  // no port: wait for a nudge only
        if (::poll(fds, count, kIdleWaitMs) <= 0)
            return 0;
        if (fds[0].revents & POLLIN) {
            uint64_t drain = 0;
            (void)!read(wakeFd, &drain, sizeof drain);
            return 0;
        }
        if (count == 2 && (fds[1].revents & POLLIN)) {
            const long n = serial_.Read(buf, cap);
            if (n > 0)
                return static_cast<std::size_t>(n);
            if (n < 0 && !serial_.lost())
                return 0;
            if (n < 0) {  // EIO, ENXIO: the device is gone
                g.unlock();
                LoseDevice();
                return 0;
            }
        }
        if (count == 2 && (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))) {
            // The other end hung up (an adapter unplugged, a pseudo-terminal's master closed):
            // the descriptor is dead. Close it and fail what waits on it, at once.
            g.unlock();
            LoseDevice();
        }
        return 0;
    }
    if (!SimHost()) {
        // Another process is the host of the simulator channel: its replies are not ours to
        // take. Look again after a while (or a nudge).
        pollfd w {wakeFd, POLLIN, 0};
        ::poll(&w, 1, kIdleWaitMs);
        return 0;
    }
    std::size_t n = 0;
    while (n < cap) {
        const int b = envsim_.Get(Direction::DriveToHost);
        if (b < 0)
            break;
        buf[n++] = static_cast<uint8_t>(b);
    }
    if (n == 0)
        envsim_.WaitForData(Direction::DriveToHost, kIdleWaitMs, stop);
    return n;
}

// ---------------------------------------------------------------------------------------
// Exchange

void Library::LoseDevice()
{
    {
        std::unique_lock<std::shared_mutex> g(serialMutex_);
        if (!serial_.IsOpen())
            return;
        serial_.Close();
        serialWanted_ = true;
        lastOpen_ = std::chrono::steady_clock::now();
    }
    mailboxes_.FailAll(kMailboxLineLost);
}

bool Library::TryReopen()
{
    {
        std::unique_lock<std::shared_mutex> g(serialMutex_);
        if (serial_.IsOpen())
            return true;
        if (!serialWanted_ || serialPath_.empty())
            return false;
        const auto now = std::chrono::steady_clock::now();
        if (now - lastOpen_ < std::chrono::milliseconds(kReopenIntervalMs))
            return false;
        lastOpen_ = now;
        if (!serial_.Open(serialPath_))
            return false;
        serialWanted_ = false;
    }
    receiver_.Nudge();  // into a poll of the new descriptor
    return true;
}

int Library::ChannelReady()
{
    const int p = port_.load();
    if (p < 0 || p > NPORTS)
        return kOk;  // the port lock reports it
    if (serialMode_) {
        if (!serialWanted_)
            return kOk;
        return TryReopen() ? kOk : kNoPort;
    }
    return SimHost() ? kOk : kNoPort;
}

int Library::Exchange(wire::Message& request, wire::Message& reply)
{
    if (const int ready = ChannelReady(); ready != kOk)
        return ready;
    uint16_t statusWord = 0;
    Mailbox* box = mailboxes_.Allocate(&statusWord, reply.words(), reply.count(), reply.ReplyTimeout());
    if (box == nullptr)
        return kNoResponse;  // all 16 mailboxes stayed busy for the whole reply time
    request.words()[1] = box->seq;
    int which = -1;
    if (!AcquirePortLock(&which)) {
        mailboxes_.AwaitAndRelease(box, 0);
        return kPortMutexNotAvailable;
    }
    const bool sent = SendFrame(request.words());
    ReleasePortLock(which);
    const bool got = mailboxes_.AwaitAndRelease(box, sent ? reply.ReplyTimeout() : 0);
    if (!sent || (got && statusWord == kMailboxLineLost))
        return kCommError;  // the device went away under this exchange
    if (!got || statusWord != 0)
        return kNoResponse;
    return reply.ReplyStatus();
}

// ---------------------------------------------------------------------------------------
// Simulator process

int Library::LaunchSimulator(const char* program)
{
    if (program == nullptr || *program == '\0')
        return 1;
    const pid_t pid = platform::SpawnProgram(program);
    if (pid < 0)
        return 1;
    std::lock_guard<std::mutex> g(simMutex_);
    simulatorPid_ = pid;
    simulatorEnded_ = false;
    return 0;
}

int Library::ShootSimulator()
{
    std::lock_guard<std::mutex> g(simMutex_);
    // Once the process has been ended and reaped its pid may belong to someone else: a second
    // call does not signal it again.
    if (simulatorPid_ > 0 && !simulatorEnded_)
        simulatorEnded_ = platform::EndProcess(simulatorPid_, 1000);
    return 0;
}

// ---------------------------------------------------------------------------------------
// Receive thread

ReceiveThread::ReceiveThread(Library& lib) : lib_(lib)
{
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

ReceiveThread::~ReceiveThread()
{
    Stop();
    if (wakeFd_ >= 0)
        close(wakeFd_);
}

void ReceiveThread::Start()
{
    std::lock_guard<std::mutex> g(controlMutex_);
    if (running_)
        return;
    if (thread_.joinable())
        thread_.join();
    uint64_t drain = 0;
    while (wakeFd_ >= 0 && read(wakeFd_, &drain, sizeof drain) > 0) {
    }
    receiver_.Reset();
    stop_ = false;
    running_ = true;
    thread_ = std::thread([this] { Run(); });
}

void ReceiveThread::Stop()
{
    std::lock_guard<std::mutex> g(controlMutex_);
    if (!thread_.joinable())
        return;
    stop_ = true;
    Nudge();
    lib_.envsim().Wake(Direction::DriveToHost);  // out of a wait on the simulator channel
    // Every wait of the thread is bounded (the idle wait, the queue lock), so it ends; it is
    // joined, never left behind, so a following Start always has a reader.
    thread_.join();
    running_ = false;
}

void ReceiveThread::Nudge()
{
    if (wakeFd_ >= 0) {
        const uint64_t one = 1;
        (void)!write(wakeFd_, &one, sizeof one);
    }
}

void ReceiveThread::Run()
{
    uint8_t buf[256];
    while (!stop_.load(std::memory_order_relaxed)) {
        const std::size_t n = lib_.ReceiveSome(buf, sizeof buf, wakeFd_, &stop_);
        receiver_.Feed(buf, n);
        if (n > 0)
            Publish();
    }
    running_ = false;
}

void ReceiveThread::Publish() { lib_.statistics().Received(receiver_.counts()); }

void ReceiveThread::OnFrame(const uint16_t* frame)
{
    // Published before the delivery, so the caller woken by its reply finds it counted.
    Publish();
    if (!lib_.mailboxes().Deliver(frame))
        lib_.statistics().ReplyUnmatched();
}

void ReceiveThread::OnRCalValue(uint16_t value)
{
    Publish();
    lib_.rcal().Post(value);
}

// ---------------------------------------------------------------------------------------
// Line statistics

void LineStatistics::FrameSent(std::size_t bytes)
{
    values_[kBytesSent].fetch_add(bytes, std::memory_order_relaxed);
    values_[kFramesSent].fetch_add(1, std::memory_order_relaxed);
}

void LineStatistics::Received(const wire::ReceiveCounts& counts)
{
    // Only the receive thread writes these: plain stores of its receiver's running totals.
    Store(kBytesReceived, counts.bytes);
    Store(kFramesReceived, counts.frames);
    Store(kFramesDamaged, counts.damagedFrames);
    Store(kBytesDiscarded, counts.discardedBytes);
    Store(kRCalValues, counts.rcalValues);
}

void LineStatistics::ReplyUnmatched() { values_[kRepliesUnmatched].fetch_add(1, std::memory_order_relaxed); }

void LineStatistics::Copy(uint64_t* out, int n) const
{
    for (int i = 0; i < n && i < kCount; ++i)
        out[i] = values_[i].load(std::memory_order_relaxed);
}

}  // namespace tools700::link
