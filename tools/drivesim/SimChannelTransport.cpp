// The drive side of the library's simulator channel: the host-to-drive queue is read with
// SrlGetChar, replies go into the drive-to-host queue with SrlPutChar. The queues hold 128
// bytes each and give no notification, so an idle simulator polls them every millisecond.
#include <chrono>
#include <thread>

#include "Transport.h"
#include "comm700.h"

namespace drivesim {

namespace {

class SimChannelTransport : public Transport {
public:
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
        auto d = std::chrono::duration<double, std::milli>(ms < 1.0 ? ms : 1.0);
        std::this_thread::sleep_for(d);
    }

    std::string ReadyLine() const override { return "simulator channel"; }
};

}  // namespace

std::unique_ptr<Transport> OpenSimulatorChannel(std::string&)
{
    return std::make_unique<SimChannelTransport>();
}

}  // namespace drivesim
