#include "SerialTransport.h"

#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <utility>

#include "Status.h"
#include "tools700/wire/Frame.h"

namespace tools700::link {

SerialTransport::SerialTransport(LineStatistics& statistics, std::function<void()> wakeReader,
                                 std::function<void()> lineLost)
    : statistics_(statistics), wakeReader_(std::move(wakeReader)), lineLost_(std::move(lineLost))
{
}

int SerialTransport::Open(int port)
{
    int rc = kNoPort;
    changing_ = true;
    wakeReader_();  // out of its poll on the old port, so the port can be closed now
    {
        std::unique_lock<std::shared_mutex> g(mutex_);
        port_.Close();
        wanted_ = false;
        path_.clear();
        if (port >= 1 && port <= platform::kComPortCount) {
            path_ = platform::ComPortDevice(port);
            lastOpen_ = std::chrono::steady_clock::now();
            if (port_.Open(path_))
                rc = kOk;
            else
                wanted_ = port_.inUse();
        }
    }
    changing_ = false;
    return rc;
}

void SerialTransport::Close()
{
    std::unique_lock<std::shared_mutex> g(mutex_);
    port_.Close();
    wanted_ = false;
}

int SerialTransport::Ready()
{
    if (!wanted_)
        return kOk;
    return TryReopen() ? kOk : kNoPort;
}

int SerialTransport::HostPut(int byte)
{
    const uint8_t b = static_cast<uint8_t>(byte & 0xFF);
    bool lost = false;
    {
        std::shared_lock<std::shared_mutex> g(mutex_);
        if (port_.Write(&b, 1) != 1)  // waits (bounded) for room rather than dropping it
            lost = port_.lost();
    }
    if (lost)
        LoseDevice();
    return byte;
}

int SerialTransport::HostGet()
{
    int b;
    bool lost = false;
    {
        std::shared_lock<std::shared_mutex> g(mutex_);
        b = port_.ReadByte();
        lost = b < 0 && port_.lost();
    }
    if (lost)
        LoseDevice();
    return b;
}

bool SerialTransport::SendFrame(const uint16_t* words)
{
    // One write of the whole encoded frame: the kernel queues it and the line drains it at
    // 19200 bit/s; byte-by-byte writes would only add system calls.
    uint8_t buf[wire::kMaxEncodedFrameBytes];
    const std::size_t n = wire::EncodeFrame(words, buf, sizeof buf);
    statistics_.FrameSent(n);
    bool lost = false;
    {
        std::shared_lock<std::shared_mutex> g(mutex_);
        lost = !port_.IsOpen() || (port_.Write(buf, n) != n && port_.lost());
    }
    if (lost)
        LoseDevice();
    return !lost;
}

std::size_t SerialTransport::ReceiveSome(uint8_t* buf, std::size_t cap, int wakeFd,
                                         const std::atomic<bool>* /*stop: the wake fd ends the poll*/)
{
    if (changing_) {  // InitComPort700 is closing or opening the port: keep off it
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 0;
    }
    std::shared_lock<std::shared_mutex> g(mutex_);
    pollfd fds[2] = {{wakeFd, POLLIN, 0}, {port_.fd(), POLLIN, 0}};
    const nfds_t count = port_.IsOpen() ? 2 : 1;  // no port: wait for a nudge only
    if (::poll(fds, count, kIdleWaitMs) <= 0)
        return 0;
    if (fds[0].revents & POLLIN) {
        uint64_t drain = 0;
        (void)!read(wakeFd, &drain, sizeof drain);
        return 0;
    }
    if (count == 2 && (fds[1].revents & POLLIN)) {
        const long n = port_.Read(buf, cap);
        if (n > 0)
            return static_cast<std::size_t>(n);
        if (n < 0 && !port_.lost())
            return 0;
        if (n < 0) {  // EIO, ENXIO: the device is gone
            g.unlock();
            LoseDevice();
            return 0;
        }
    }
    if (count == 2 && (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))) {
        // The other end hung up (an adapter unplugged, a pseudo-terminal's master closed): the
        // descriptor is dead. Close it and fail what waits on it, at once.
        g.unlock();
        LoseDevice();
    }
    return 0;
}

void SerialTransport::LoseDevice()
{
    {
        std::unique_lock<std::shared_mutex> g(mutex_);
        if (!port_.IsOpen())
            return;
        port_.Close();
        wanted_ = true;
        lastOpen_ = std::chrono::steady_clock::now();
    }
    lineLost_();
}

bool SerialTransport::TryReopen()
{
    {
        std::unique_lock<std::shared_mutex> g(mutex_);
        if (port_.IsOpen())
            return true;
        if (!wanted_ || path_.empty())
            return false;
        const auto now = std::chrono::steady_clock::now();
        if (now - lastOpen_ < std::chrono::milliseconds(kReopenIntervalMs))
            return false;
        lastOpen_ = now;
        if (!port_.Open(path_))
            return false;
        wanted_ = false;
    }
    wakeReader_();  // into a poll of the new descriptor
    return true;
}

}  // namespace tools700::link
