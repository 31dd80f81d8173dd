// The serial port as the link's transport: a termios device ("COM1".."COM4") held by this
// process alone. A device that goes away (an adapter unplugged, a pseudo-terminal's master
// closed) is closed at once, the exchanges in flight fail, and later calls open the same path
// again, at most every kReopenIntervalMs.
#pragma once

#include <chrono>
#include <functional>
#include <shared_mutex>
#include <string>

#include "LineStatistics.h"
#include "Transport.h"
#include "tools700/platform/SerialPort.h"

namespace tools700::link {

// A lost or busy serial device is tried again at most this often; calls in between fail at
// once with NO_PORT.
constexpr int kReopenIntervalMs = 250;

class SerialTransport final : public Transport {
public:
    // `wakeReader` wakes the receive thread out of its wait on the port (before the port is
    // closed, after it was reopened); `lineLost` ends every exchange in flight. Sent frames are
    // counted in `statistics`.
    SerialTransport(LineStatistics& statistics, std::function<void()> wakeReader,
                    std::function<void()> lineLost);

    // Closes the port in use and opens COMn (n = 1..4; any other number leaves the port closed).
    // kOk, or kNoPort when it could not be opened; wanted() then tells whether another process
    // holds the device, in which case later calls try it again.
    int Open(int port);
    // Closes the port for good (the library is unloading).
    void Close();
    // The device is to be used although it is not open now (held elsewhere, or lost).
    bool wanted() const { return wanted_.load(); }

    int Ready() override;
    int HostPut(int byte) override;
    int HostGet() override;
    int DrivePut(int byte) override { return HostPut(byte); }
    int DriveGet() override { return HostGet(); }
    bool SendFrame(const uint16_t* words) override;
    std::size_t ReceiveSome(uint8_t* buf, std::size_t cap, int wakeFd,
                            const std::atomic<bool>* stop) override;

private:
    // The device reported a hang-up or an error that means it is gone: close it and end every
    // exchange in flight with COMM_ERROR.
    void LoseDevice();
    bool TryReopen();

    LineStatistics& statistics_;
    std::function<void()> wakeReader_;
    std::function<void()> lineLost_;
    // Exclusive for open/close, shared for reading and writing.
    std::shared_mutex mutex_;
    platform::SerialPort port_;
    std::atomic<bool> changing_ {false};  // the receive thread keeps off the port meanwhile
    std::string path_;                    // the device opened (or to reopen), under mutex_
    std::atomic<bool> wanted_ {false};
    std::chrono::steady_clock::time_point lastOpen_ {};  // under mutex_
};

}  // namespace tools700::link
