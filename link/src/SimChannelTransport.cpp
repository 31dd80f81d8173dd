#include "SimChannelTransport.h"

#include <chrono>
#include <poll.h>

#include "Status.h"
#include "tools700/wire/Frame.h"

namespace tools700::link {

using platform::Direction;

void SimChannelTransport::Choose(bool chosen, bool barred)
{
    barred_ = barred;
    HoldClaim(chosen && !barred);
}

void SimChannelTransport::TakeClaimUnlessBarred()
{
    if (!barred_)
        HoldClaim(true);
}

void SimChannelTransport::Close()
{
    barred_ = true;
    HoldClaim(false);
}

void SimChannelTransport::HoldClaim(bool take)
{
    std::lock_guard<std::mutex> g(claimMutex_);
    if (take)
        claim_.Take();
    else
        claim_.Release();
    host_ = claim_.Held();
}

bool SimChannelTransport::Host()
{
    if (host_.load())
        return true;
    if (barred_.load())
        return false;
    // Not ours (yet): the holder may have ended since; the claim is one system call to try.
    std::lock_guard<std::mutex> g(claimMutex_);
    if (claim_.Take())
        host_ = true;
    return host_.load();
}

int SimChannelTransport::Ready() { return Host() ? kOk : kNoPort; }

int SimChannelTransport::HostPut(int byte)
{
    if (!Host())
        return -1;  // another host process has the simulator channel
    return envsim_.Put(Direction::HostToDrive, byte);
}

int SimChannelTransport::HostGet()
{
    if (!Host())
        return -1;  // the replies in the queue belong to another host process
    return envsim_.Get(Direction::DriveToHost);
}

int SimChannelTransport::DrivePut(int byte) { return envsim_.Put(Direction::DriveToHost, byte); }

int SimChannelTransport::DriveGet() { return envsim_.Get(Direction::HostToDrive); }

bool SimChannelTransport::SendFrame(const uint16_t* words)
{
    // One byte per queue operation. A frame longer than the queue (a PutVars request is over
    // 200 bytes) needs the simulator to read while we write: when the queue is full and another
    // process is attached, wait for room (up to 100 ms at a time); once such a wait runs out, or
    // nobody else is attached, the rest of the frame is dropped as a full queue drops bytes, and
    // the exchange ends at its reply time-out.
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

std::size_t SimChannelTransport::ReceiveSome(uint8_t* buf, std::size_t cap, int wakeFd,
                                             const std::atomic<bool>* stop)
{
    if (!Host()) {
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

}  // namespace tools700::link
