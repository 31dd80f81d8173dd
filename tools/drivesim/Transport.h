// Where the simulator's bytes travel: the link library's simulator channel, a serial device,
// or a pseudo-terminal of its own. One narrow set of operations for all three.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace drivesim {

class Transport {
public:
    virtual ~Transport() = default;
    // Bytes the host sent, without blocking: the count (0 when none).
    virtual std::size_t Read(std::uint8_t* buf, std::size_t cap) = 0;
    // Writes one byte when there is room now; false when the line cannot take it yet.
    virtual bool TryWrite(std::uint8_t byte) = 0;
    // Sleeps until the host may have sent something, at most `ms` milliseconds.
    virtual void Wait(double ms) = 0;
    // Sleeps until the line may take another byte, at most `ms` milliseconds.
    virtual void WaitWritable(double ms) = 0;
    // Ends a Wait under way on another thread at once, or the next one when none is.
    virtual void Interrupt() = 0;
    // The line that is printed on stdout once the simulator answers on this transport.
    virtual std::string ReadyLine() const = 0;
};

// The simulator channel of the library (SrlGetChar/SrlPutChar).
std::unique_ptr<Transport> OpenSimulatorChannel(std::string& error);
// A serial device, set to the link's line settings.
std::unique_ptr<Transport> OpenDevice(const std::string& path, std::string& error);
// A new pseudo-terminal; its slave's path is the ready line.
std::unique_ptr<Transport> OpenPty(std::string& error);

}  // namespace drivesim
