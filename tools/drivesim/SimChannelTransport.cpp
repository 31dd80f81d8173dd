// The drive side of the library's simulator channel: the host-to-drive queue is read with
// SrlGetChar, replies go into the drive-to-host queue with SrlPutChar. An idle simulator sleeps
// on the channel's doorbell (a second view of the shared region, not counted as a process), so
// it wakes as soon as the host puts a byte and costs nothing while the line is quiet.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "Transport.h"
#include "comm700.h"
#include "tools700/platform/EnvSim.h"

namespace drivesim {

namespace {

using tools700::platform::Direction;

class SimChannelTransport : public Transport {
public:
    SimChannelTransport() { bells_ = region_.Open(); }

    std::size_t Read(std::uint8_t* buf, std::size_t cap) override
    {
        std::size_t n = 0;
        while (n < cap) {
            int b = SrlGetChar();
            if (b < 0) break;
            buf[n++] = static_cast<std::uint8_t>(b);
        }
        return n;
    }

    bool TryWrite(std::uint8_t byte) override { return SrlPutChar(byte) >= 0; }

    void Wait(double ms) override
    {
        if (ms <= 0) return;
        int whole = static_cast<int>(std::ceil(std::min(ms, 100.0)));
        if (bells_) {
            region_.WaitForData(Direction::HostToDrive, whole, &interrupted_);
            interrupted_.store(false);
        } else {
            // Without the doorbells: poll every millisecond.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    void WaitWritable(double ms) override
    {
        int whole = static_cast<int>(std::ceil(std::min(std::max(ms, 1.0), 100.0)));
        if (bells_)
            region_.WaitForSpace(Direction::DriveToHost, whole);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    void Interrupt() override
    {
        // The flag catches a wait that has not yet read the doorbell; the bell ends one that has.
        interrupted_.store(true);
        region_.Wake(Direction::HostToDrive);
    }

    std::string ReadyLine() const override { return "simulator channel"; }

private:
    tools700::platform::EnvSim region_;
    bool bells_ = false;
    std::atomic<bool> interrupted_ {false};
};

}  // namespace

std::unique_ptr<Transport> OpenSimulatorChannel(std::string&)
{
    return std::make_unique<SimChannelTransport>();
}

}  // namespace drivesim
