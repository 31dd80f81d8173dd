#include "Library.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <sys/eventfd.h>
#include <unistd.h>

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
    serial_.Close();
    port_ = -1;
    sim_.Close();
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
    const bool serial = rc == kOk || serial_.wanted();
    transport_ = serial ? static_cast<Transport*>(&serial_) : &sim_;
    // Outside 0..4 there is no channel at all: the claim is let go and not taken again behind
    // the caller's back until a channel is chosen.
    sim_.Choose(!serial, !serial && (port < 0 || port > NPORTS));
    receiver_.Start();
    libraryLock_.Unlock();
    return rc == kOk ? 1 : 0;
}

void Library::HostMode()
{
    if (transport_.load() == &sim_)
        sim_.TakeClaimUnlessBarred();
    receiver_.Start();
}

int Library::InitComPort(int port)
{
    if (!libraryLock_.AcquireWithRecovery(kLockWaitMs))
        return kPortMutexNotAvailable;
    port_ = port;
    // The serial port is opened here whichever transport carries the exchanges: only
    // UseSerialPort700 chooses the transport.
    const int rc = serial_.Open(port);
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
// Exchange

int Library::Exchange(wire::Message& request, wire::Message& reply)
{
    // Outside 0..4 the port lock below reports that there is no port.
    if (const int p = port_.load(); p >= 0 && p <= NPORTS)
        if (const int ready = transport().Ready(); ready != kOk)
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
    const bool sent = transport().SendFrame(request.words());
    ReleasePortLock(which);
    const bool got = mailboxes_.AwaitAndRelease(box, sent ? reply.ReplyTimeout() : 0);
    if (!sent || (got && statusWord == kMailboxLineLost))
        return kCommError;  // the device went away under this exchange
    if (!got || statusWord != 0)
        return kNoResponse;
    return reply.ReplyStatus();
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
        const std::size_t n = lib_.transport().ReceiveSome(buf, sizeof buf, wakeFd_, &stop_);
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

}  // namespace tools700::link
